#include "TransparentBitmap.h"

#include <wx/image.h>

#include <algorithm>
#include <cmath>

namespace tarv {

bool MakeMask(wxBitmap& bitmap, const wxColour& transparent) {
    if (!bitmap.IsOk() || !transparent.IsOk()) {
        return false;
    }
    // A masked bitmap is drawn by the toolkit in one step, so the colour keeps its pixels: no
    // blackening is needed for a later OR.
    bitmap.SetMask(new wxMask(bitmap, transparent));
    return bitmap.GetMask() != nullptr;
}

wxColour PixelColour(const wxBitmap& bitmap, int x, int y) {
    if (!bitmap.IsOk() || x < 0 || y < 0 || x >= bitmap.GetWidth() || y >= bitmap.GetHeight()) {
        return wxColour();
    }
    const wxImage image = bitmap.ConvertToImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

wxBitmap EmbossedBitmap(const wxBitmap& picture, const wxColour& highlight,
                        const wxColour& shadow) {
    if (!picture.IsOk()) {
        return wxBitmap();
    }
    const wxImage source = picture.ConvertToImage();
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    const int offset = std::max(1, static_cast<int>(std::lround(picture.GetScaleFactor())));
    auto isInk = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return false;
        }
        if (source.IsTransparent(x, y)) {
            return false;
        }
        return !(source.GetRed(x, y) == 255 && source.GetGreen(x, y) == 255 &&
                 source.GetBlue(x, y) == 255);
    };

    wxImage result(width + offset, height + offset);
    result.SetAlpha();
    for (int y = 0; y < height + offset; ++y) {
        for (int x = 0; x < width + offset; ++x) {
            // The shadow copy lies on top of the highlight copy.
            const wxColour* colour = isInk(x, y)                     ? &shadow
                                     : isInk(x - offset, y - offset) ? &highlight
                                                                     : nullptr;
            if (colour) {
                result.SetRGB(x, y, colour->Red(), colour->Green(), colour->Blue());
                result.SetAlpha(x, y, wxALPHA_OPAQUE);
            } else {
                result.SetRGB(x, y, 0, 0, 0);
                result.SetAlpha(x, y, wxALPHA_TRANSPARENT);
            }
        }
    }
    return wxBitmap(result, -1, picture.GetScaleFactor());
}

wxBitmapBundle MaskedPictures(const wxBitmapBundle& pictures, const wxColour& transparent,
                              int sampleX, int sampleY) {
    if (!pictures.IsOk()) {
        return wxBitmapBundle();
    }
    const wxSize size = pictures.GetDefaultSize();
    wxVector<wxBitmap> masked;
    for (int scale : {1, 2}) {
        const wxBitmap source = pictures.GetBitmap(size * scale);
        // A copy of our own at its plain pixel size, so the mask does not reach the caller's.
        wxBitmap copy(source.ConvertToImage());
        const wxColour key =
            transparent.IsOk() ? transparent : PixelColour(copy, sampleX * scale, sampleY * scale);
        if (!MakeMask(copy, key)) {
            return wxBitmapBundle();
        }
        masked.push_back(copy);
    }
    return wxBitmapBundle::FromBitmaps(masked);
}

wxBitmap PictureFor(const wxBitmapBundle& pictures, const wxDC& dc) {
    const double scale = std::max(1.0, dc.GetContentScaleFactor());
    const wxSize size = pictures.GetDefaultSize();
    return pictures.GetBitmap(wxSize(static_cast<int>(std::lround(size.x * scale)),
                                     static_cast<int>(std::lround(size.y * scale))));
}

}  // namespace tarv
