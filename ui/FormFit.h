// Room for longer texts on the form: a label whose translation is wider than its place grows
// to the left, up to what stands before it, and then the fields of its column move right; a
// captioned button grows to the left, and the field before it gives up the width. Where every
// text fits, nothing moves, so the form keeps its template's places in English.
#pragma once

#include <wx/gdicmn.h>

#include <vector>

namespace tarv {

struct FitItem {
    enum class Role {
        Label,   // a caption for the field to its right on its line
        Field,   // an edit or a drop-down list
        Button,  // a button with a caption
        Box,     // a group box: labels inside keep clear of its edge
        Other,   // anything else labels keep clear of (the list, the preview)
    };
    Role role = Role::Other;
    wxRect rect;   // where the template puts it, in pixels
    int need = 0;  // the width its text needs (labels and buttons)
};

// Adjusts the rectangles in place. `margin` is the least room kept between a label and what
// stands to its left, and inside a group box's edge.
void FitTexts(std::vector<FitItem>& items, int margin);

}  // namespace tarv
