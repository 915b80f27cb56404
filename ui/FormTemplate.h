// The main form's layout in dialog units, control by control, as the form view builds it.
#pragma once

#include <span>

namespace tarv {

// The form's size in dialog units. The size limit's row makes it taller than the original's
// 277 units: its group ends as far above the form's edge as the preview's slider does.
inline constexpr int kFormWidthDu = 493;
inline constexpr int kFormHeightDu = 283;

struct FormControl {
    enum class Kind { List, Label, Edit, ImageButton, Choice, GroupBox, PreviewArea, Slider };

    int id;  // 0 for controls nobody refers to
    Kind kind;
    const char* text;
    // Dialog units; for a drop-down list the height is that of its opened list.
    int x, y, width, height;
};

// Every control of the form, in creation order (so a group box lies under what it frames).
std::span<const FormControl> MainFormTemplate();

}  // namespace tarv
