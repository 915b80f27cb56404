#include "ArtworkCompose.h"

#include <wx/bmpbndl.h>

#include <algorithm>
#include <cmath>

namespace {

unsigned char Blend(unsigned char over, unsigned char under, unsigned alpha) {
    return static_cast<unsigned char>((over * alpha + under * (255 - alpha) + 127) / 255);
}

bool HasColour(const unsigned char* rgb, const wxColour& colour) {
    return rgb[0] == colour.Red() && rgb[1] == colour.Green() && rgb[2] == colour.Blue();
}

// Moves a pixel one step off the key colour in its blue channel: invisible to the eye, but the
// mask no longer takes it for background.
void StepOffKey(unsigned char* rgb) {
    rgb[2] = rgb[2] < 255 ? rgb[2] + 1 : 254;
}

// `coverage` holds one alpha value per pixel deciding what stays picture; the picture's own alpha
// still decides how much of the matte shows through at the edges.
// Without a key every pixel must be covered.
wxImage Flatten(const wxImage& picture, const unsigned char* coverage, const wxColour* key,
                const wxColour& matte) {
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    wxImage out(width, height, false);
    const unsigned char* source = picture.GetData();
    const unsigned char* alpha = picture.GetAlpha();
    unsigned char* target = out.GetData();
    const unsigned char matteRgb[3] = {matte.Red(), matte.Green(), matte.Blue()};
    for (int i = 0; i < width * height; ++i) {
        unsigned char* rgb = target + 3 * i;
        if (key && coverage[i] < kCoverageThreshold) {
            rgb[0] = key->Red();
            rgb[1] = key->Green();
            rgb[2] = key->Blue();
            continue;
        }
        const unsigned a = alpha ? alpha[i] : 255;
        for (int c = 0; c < 3; ++c) {
            rgb[c] = Blend(source[3 * i + c], matteRgb[c], a);
        }
        if (key && HasColour(rgb, *key)) {
            StepOffKey(rgb);
        }
    }
    return out;
}

std::vector<unsigned char> CoverageOf(const wxImage& picture) {
    const std::size_t count = static_cast<std::size_t>(picture.GetWidth()) * picture.GetHeight();
    if (!picture.HasAlpha()) {
        return std::vector<unsigned char>(count, 255);
    }
    return std::vector<unsigned char>(picture.GetAlpha(), picture.GetAlpha() + count);
}

}  // namespace

wxColour EdgeMatteColour() {
    return wxColour(242, 242, 242);
}

std::optional<wxImage> RenderSvgFile(const wxString& path, const wxSize& size) {
    const wxBitmapBundle bundle = wxBitmapBundle::FromSVGFile(path, size);
    if (!bundle.IsOk()) {
        return std::nullopt;
    }
    wxImage image = bundle.GetBitmap(size).ConvertToImage();
    if (!image.IsOk() || image.GetSize() != size) {
        return std::nullopt;
    }
    if (!image.HasAlpha()) {
        image.InitAlpha();
    }
    return image;
}

wxImage PlaceSideBySide(const std::vector<wxImage>& pictures) {
    int width = 0;
    const int height = pictures.empty() ? 0 : pictures.front().GetHeight();
    for (const wxImage& picture : pictures) {
        width += picture.GetWidth();
    }
    wxImage strip(width, height, true);
    strip.InitAlpha();
    int left = 0;
    for (const wxImage& picture : pictures) {
        const int w = picture.GetWidth();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < w; ++x) {
                strip.SetRGB(left + x, y, picture.GetRed(x, y), picture.GetGreen(x, y),
                             picture.GetBlue(x, y));
                strip.SetAlpha(left + x, y, picture.HasAlpha() ? picture.GetAlpha(x, y) : 255);
            }
        }
        left += w;
    }
    return strip;
}

wxImage GreyedLook(const wxImage& picture) {
    wxImage grey = picture.Copy();
    unsigned char* rgb = grey.GetData();
    const int count = grey.GetWidth() * grey.GetHeight();
    for (int i = 0; i < count; ++i) {
        const double luma = 0.299 * rgb[3 * i] + 0.587 * rgb[3 * i + 1] + 0.114 * rgb[3 * i + 2];
        // Keep half the contrast, towards white: the shapes stay recognisable but clearly inactive.
        const auto value = static_cast<unsigned char>(std::lround(255.0 - (255.0 - luma) * 0.5));
        rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = value;
    }
    return grey;
}

wxImage FlattenOnKey(const wxImage& picture, const wxColour& key, const wxColour& matte) {
    const std::vector<unsigned char> coverage = CoverageOf(picture);
    return Flatten(picture, coverage.data(), &key, matte);
}

std::pair<wxImage, wxImage> FlattenPairOnKey(const wxImage& first, const wxImage& second,
                                             const wxColour& key, const wxColour& matte) {
    std::vector<unsigned char> coverage = CoverageOf(first);
    const std::vector<unsigned char> secondCoverage = CoverageOf(second);
    for (std::size_t i = 0; i < coverage.size() && i < secondCoverage.size(); ++i) {
        coverage[i] = std::max(coverage[i], secondCoverage[i]);
    }
    return {Flatten(first, coverage.data(), &key, matte),
            Flatten(second, coverage.data(), &key, matte)};
}

wxImage FlattenOpaque(const wxImage& picture, const wxColour& background) {
    const std::vector<unsigned char> everything(
        static_cast<std::size_t>(picture.GetWidth()) * picture.GetHeight(), 255);
    return Flatten(picture, everything.data(), nullptr, background);
}
