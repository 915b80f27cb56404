#include "DrawBitmapFile.h"

#include <wx/bitmap.h>
#include <wx/ffile.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <vector>

namespace tarv {
namespace {

constexpr size_t kFileHeaderSize = 14;

}  // namespace

bool DrawBitmapFile(wxDC& dc, const wxString& path, const wxRect& target) {
    if (target.width <= 0 || target.height <= 0) {
        return false;
    }
    // The image loader reports its troubles as log messages; a missing logo is no news to the
    // user.
    wxLogNull quiet;

    wxFFile file;
    if (!file.Open(path, "rb")) {
        return false;
    }
    const wxFileOffset length = file.Length();
    if (length < static_cast<wxFileOffset>(kFileHeaderSize)) {
        return false;
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(length));
    if (file.Read(bytes.data(), bytes.size()) != bytes.size()) {
        return false;
    }
    if (bytes[0] != 'B' || bytes[1] != 'M') {
        return false;
    }

    wxMemoryInputStream stream(bytes.data(), bytes.size());
    wxImage image;
    if (!image.LoadFile(stream, wxBITMAP_TYPE_BMP) || !image.IsOk()) {
        return false;
    }
    // A plain copy: a fourth byte per pixel is padding, not transparency.
    if (image.HasAlpha()) {
        image.ClearAlpha();
    }
    if (image.GetWidth() != target.width || image.GetHeight() != target.height) {
        image.Rescale(target.width, target.height, wxIMAGE_QUALITY_NEAREST);
    }
    dc.DrawBitmap(wxBitmap(image), target.x, target.y, false);
    return true;
}

}  // namespace tarv
