// Shared by the controls' tests: wxWidgets started once per test program, a way to let the
// event loop run, and pixels read back from a bitmap.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/image.h>

#include <ostream>

// Test failures name colours by their components.
inline void PrintTo(const wxColour& colour, std::ostream* out) {
    *out << "rgb(" << int(colour.Red()) << ", " << int(colour.Green()) << ", " << int(colour.Blue())
         << ")";
}

namespace tarv::testing {

// Lets the event loop handle what is pending for about `milliseconds`.
void PumpEvents(int milliseconds = 50);

// A bitmap filled with one colour.
wxBitmap FilledBitmap(int width, int height, const wxColour& colour);

// Colours of a bitmap's pixels compared as RGB only.
wxColour PixelAt(const wxImage& image, int x, int y);

}  // namespace tarv::testing
