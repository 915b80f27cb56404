#pragma once
// Turns vector artwork into the bitmaps the program uses: rasterising, laying pictures into
// strips, the greyed look, and flattening onto a key colour without losing picture pixels.

#include <wx/colour.h>
#include <wx/image.h>

#include <optional>
#include <utility>
#include <vector>

// A pixel at least this opaque belongs to the picture; anything fainter becomes transparent.
inline constexpr unsigned char kCoverageThreshold = 128;

// The background that antialiased edges are blended with: a light window colour, as the toolbar
// and the form have in the usual light themes.
wxColour EdgeMatteColour();

// The SVG file rendered at exactly `size` pixels, with an alpha channel; nothing if it fails.
std::optional<wxImage> RenderSvgFile(const wxString& path, const wxSize& size);

// The pictures side by side, left to right. All must have the same height and an alpha channel.
wxImage PlaceSideBySide(const std::vector<wxImage>& pictures);

// The same picture in light greys, as for a disabled button; the alpha channel is kept.
wxImage GreyedLook(const wxImage& picture);

// An opaque 24-bit image: covered pixels blended over `matte`, all others exactly `key`. No
// covered pixel ever equals `key`, so masking never eats into the picture.
wxImage FlattenOnKey(const wxImage& picture, const wxColour& key, const wxColour& matte);

// Flattens two variants of one picture with one shared transparent area (the union of both
// coverages), so either one's mask fits the other.
std::pair<wxImage, wxImage> FlattenPairOnKey(const wxImage& first, const wxImage& second,
                                             const wxColour& key, const wxColour& matte);

// An opaque 24-bit image: the picture blended over `background`.
wxImage FlattenOpaque(const wxImage& picture, const wxColour& background);
