// Pictures with a transparent colour, as the image buttons and the slider draw them: the mask
// that hides that colour, the colour of a sample pixel, the embossed look of a disabled
// picture, and the resolution of a picture that suits the surface it is drawn on.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/colour.h>
#include <wx/dc.h>

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
// A picture of a higher resolution moves its copies by as many pixels as it has per logical
// one, and keeps its resolution.
wxBitmap EmbossedBitmap(const wxBitmap& picture, const wxColour& highlight, const wxColour& shadow);

// The picture at 100 % and at 200 %, each a copy of the caller's with its own mask for
// `transparent`; an invalid colour takes each resolution's pixel at (sampleX, sampleY) of the
// picture at 100 %, scaled. A bundle without a 200 % picture gets its 100 % one doubled. An
// empty bundle when `pictures` is empty or the mask cannot be made.
wxBitmapBundle MaskedPictures(const wxBitmapBundle& pictures, const wxColour& transparent,
                              int sampleX = 0, int sampleY = 0);

// The resolution of `pictures` that fills the pixels of `dc` one for one, marked with its scale
// so that it is drawn at its size at 100 %.
wxBitmap PictureFor(const wxBitmapBundle& pictures, const wxDC& dc);

}  // namespace tarv
