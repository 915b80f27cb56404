#include "Resources.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "EmbeddedResources.h"

namespace {

wxImage DecodePng(const EmbeddedResource& resource) {
    // The application may or may not have registered every image handler; PNG is all we need.
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    wxMemoryInputStream stream(resource.data, resource.length);
    return wxImage(stream, wxBITMAP_TYPE_PNG);
}

wxBitmap DecodeBitmap(const EmbeddedResource& resource) {
    const wxImage image = DecodePng(resource);
    return image.IsOk() ? wxBitmap(image, 24) : wxBitmap();
}

}  // namespace

wxBitmap LoadResourceBitmap(int id) {
    for (const EmbeddedResource& resource : EmbeddedResources()) {
        if (resource.id == id && resource.size == 0 && resource.scale == 1) {
            return DecodeBitmap(resource);
        }
    }
    return wxBitmap();
}

wxBitmapBundle LoadResourceBitmapBundle(int id) {
    wxVector<wxBitmap> bitmaps;
    for (const EmbeddedResource& resource : EmbeddedResources()) {
        if (resource.id == id && resource.size == 0) {
            const wxBitmap bitmap = DecodeBitmap(resource);
            if (bitmap.IsOk()) {
                bitmaps.push_back(bitmap);
            }
        }
    }
    return wxBitmapBundle::FromBitmaps(bitmaps);
}

wxIconBundle LoadResourceIcons(int id) {
    wxIconBundle icons;
    for (const EmbeddedResource& resource : EmbeddedResources()) {
        if (resource.id == id && resource.size > 0) {
            const wxImage image = DecodePng(resource);
            if (image.IsOk()) {
                wxIcon icon;
                icon.CopyFromBitmap(wxBitmap(image));
                icons.AddIcon(icon);
            }
        }
    }
    return icons;
}

wxColour ResourceKeyColour(int id) {
    for (const EmbeddedResource& resource : EmbeddedResources()) {
        if (resource.id == id && resource.size == 0 && resource.keyed) {
            return wxColour(resource.key[0], resource.key[1], resource.key[2]);
        }
    }
    return wxColour();
}
