#include "Resources.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "EmbeddedResources.h"
#include "KeyColours.h"

namespace {

wxImage DecodePng(const EmbeddedResource& resource) {
    // The application may or may not have registered every image handler; PNG is all we need.
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    wxMemoryInputStream stream(resource.data, resource.length);
    return wxImage(stream, wxBITMAP_TYPE_PNG);
}

wxColour ToColour(const KeyColour& key) {
    return wxColour(key.red, key.green, key.blue);
}

}  // namespace

wxBitmap LoadResourceBitmap(int id) {
    for (const EmbeddedResource& resource : EmbeddedResources()) {
        if (resource.id == id && resource.size == 0) {
            const wxImage image = DecodePng(resource);
            return image.IsOk() ? wxBitmap(image, 24) : wxBitmap();
        }
    }
    return wxBitmap();
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
    switch (id) {
        case kBitmapToolbar:
        case kBitmapToolbarDisabled:
            return ToColour(kToolbarKeyColour);
        case kBitmapPreviewPlay:
        case kBitmapPreviewPause:
        case kBitmapPreviewStop:
            return ToColour(kPreviewButtonKeyColour);
        case kBitmapSliderChannel:
        case kBitmapSliderChannelActive:
        case kBitmapSliderThumb:
        case kBitmapSliderThumbActive:
            return ToColour(kSliderKeyColour);
        default:
            return wxColour();
    }
}
