// Build step: renders the program's icon into the desktop's icon theme sizes, so the menu
// entry and the file manager show it sharp at every size.
//
//   tarv_export_icons SVG_FOLDER OUTPUT_FOLDER ICON_NAME

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>

#include "ArtworkCompose.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tarv_export_icons SVG_FOLDER OUTPUT_FOLDER ICON_NAME\n");
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "tarv_export_icons: cannot start wxWidgets\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    const wxString svgFolder = wxString::FromUTF8(argv[1]);
    const wxString outputFolder = wxString::FromUTF8(argv[2]);
    const wxString iconName = wxString::FromUTF8(argv[3]);
    for (const int size : {16, 32, 48, 256}) {
        // The smallest size has a drawing of its own, simpler so it stays legible.
        const wxString source = svgFolder + (size == 16 ? "/icon-small.svg" : "/icon.svg");
        const auto image = RenderSvgFile(source, wxSize(size, size));
        const wxString folder = wxString::Format("%s/%dx%d/apps", outputFolder, size, size);
        if (!image || !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL) ||
            !image->SaveFile(folder + "/" + iconName + ".png", wxBITMAP_TYPE_PNG)) {
            std::fprintf(stderr, "tarv_export_icons: cannot make the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
