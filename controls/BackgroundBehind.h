// The colour that shows behind a self-drawn control, so that a flat control blends into the
// window it sits on.
#pragma once

#include <wx/colour.h>
#include <wx/window.h>

namespace tarv {

// The background colour of the nearest window up the parent chain that was given one, else
// the top-level window's: a panel without a colour of its own shows the top-level window's
// background, whatever it reports as its own.
wxColour BackgroundBehind(const wxWindow* window);

}  // namespace tarv
