// Pictures with a transparent colour, as the image buttons and the slider draw them: the mask
// that hides that colour, the colour of a sample pixel, and the embossed look of a disabled
// picture.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>

namespace tarv {

// Attaches to `bitmap` the mask that lets every pixel of exactly `transparent` show whatever
// lies beneath when the bitmap is drawn with its mask. False, and the bitmap unchanged, when
// the bitmap or the colour is not valid.
bool MakeMask(wxBitmap& bitmap, const wxColour& transparent);

// The colour of the pixel at (x, y); an invalid colour when the point lies outside the bitmap.
wxColour PixelColour(const wxBitmap& bitmap, int x, int y);

// The disabled look of a picture: every pixel that is visible (not masked) and not white
// becomes ink; the ink is drawn once in `highlight` one pixel right and down, and again in
// `shadow` at its place, over a transparent background. The result is one pixel wider and
// taller than the picture.
wxBitmap EmbossedBitmap(const wxBitmap& picture, const wxColour& highlight, const wxColour& shadow);

}  // namespace tarv
