// The form's look on desktops whose default text fields and drop-down lists are taller than
// the form's rows: they are made compact enough to sit in their rows without touching.
#pragma once

class wxWindow;

namespace tarv {

// Applies to the form and everything in it; other windows keep the desktop's look.
void ApplyCompactFormStyle(wxWindow& form);

}  // namespace tarv
