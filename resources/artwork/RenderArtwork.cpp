// Build step: renders the SVG artwork into the exact bitmaps the program uses, writes them as PNG
// files plus a C++ source that embeds them, and puts logo.bmp and the help pictures into the
// program folder.
//
//   tarv_render_artwork SVG_FOLDER OUTPUT_FOLDER PROGRAM_FOLDER

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../KeyColours.h"
#include "../ResourceIds.h"
#include "ArtworkCompose.h"

namespace {

// The toolbar pictures in button order.
const char* const kToolbarSources[] = {"toolbar-add",     "toolbar-remove", "toolbar-clear",
                                       "toolbar-convert", "toolbar-stop",   "toolbar-help"};

struct Embedded {
    int id;
    int size;
    std::string pngPath;
};

class Renderer {
public:
    Renderer(wxString svgFolder, wxString outputFolder, wxString programFolder)
        : m_svgFolder(std::move(svgFolder)),
          m_outputFolder(std::move(outputFolder)),
          m_programFolder(std::move(programFolder)) {}

    bool Run() {
        RenderToolbar();
        RenderPreviewButtons();
        RenderSlider();
        RenderIcon();
        RenderLogo();
        if (m_ok) {
            WriteEmbeddingSource();
        }
        return m_ok;
    }

private:
    wxImage Svg(const char* name, const wxSize& size) {
        const wxString path = m_svgFolder + "/" + name + ".svg";
        if (auto image = RenderSvgFile(path, size)) {
            return *image;
        }
        Fail("cannot render " + path);
        wxImage blank(size);
        blank.InitAlpha();
        return blank;
    }

    void Fail(const wxString& message) {
        std::fprintf(stderr, "tarv_render_artwork: %s\n", message.utf8_str().data());
        m_ok = false;
    }

    void Save(const wxImage& image, const wxString& path, wxBitmapType type) {
        if (!image.SaveFile(path, type)) {
            Fail("cannot write " + path);
        }
    }

    void AddBitmap(int id, const wxImage& image) {
        const wxString path = wxString::Format("%s/bitmap-%d.png", m_outputFolder, id);
        Save(image, path, wxBITMAP_TYPE_PNG);
        m_embedded.push_back({id, 0, path.utf8_string()});
    }

    void RenderToolbar() {
        const wxSize cell(64, 45);
        std::vector<wxImage> pictures;
        for (const char* name : kToolbarSources) {
            pictures.push_back(Svg(name, cell));
            // The help page shows the same pictures, with their real transparency.
            Save(pictures.back(), m_programFolder + "/help/" + name + ".png", wxBITMAP_TYPE_PNG);
        }
        const wxImage strip = PlaceSideBySide(pictures);
        const wxColour key(kToolbarKeyColour.red, kToolbarKeyColour.green, kToolbarKeyColour.blue);
        AddBitmap(kBitmapToolbar, FlattenOnKey(strip, key, EdgeMatteColour()));
        AddBitmap(kBitmapToolbarDisabled, FlattenOnKey(GreyedLook(strip), key, EdgeMatteColour()));
    }

    void RenderPreviewButtons() {
        const wxColour key(kPreviewButtonKeyColour.red, kPreviewButtonKeyColour.green,
                           kPreviewButtonKeyColour.blue);
        AddBitmap(kBitmapPreviewPlay,
                  FlattenOnKey(Svg("preview-play", wxSize(19, 20)), key, EdgeMatteColour()));
        AddBitmap(kBitmapPreviewPause,
                  FlattenOnKey(Svg("preview-pause", wxSize(20, 20)), key, EdgeMatteColour()));
        AddBitmap(kBitmapPreviewStop,
                  FlattenOnKey(Svg("preview-stop", wxSize(19, 20)), key, EdgeMatteColour()));
    }

    void RenderSlider() {
        const wxColour key(kSliderKeyColour.red, kSliderKeyColour.green, kSliderKeyColour.blue);
        const wxSize channelSize(151, 15);
        const auto [channel, channelActive] =
            FlattenPairOnKey(Svg("slider-channel", channelSize),
                             Svg("slider-channel-active", channelSize), key, EdgeMatteColour());
        AddBitmap(kBitmapSliderChannel, channel);
        AddBitmap(kBitmapSliderChannelActive, channelActive);
        const wxSize thumbSize(21, 10);
        const auto [thumb, thumbActive] =
            FlattenPairOnKey(Svg("slider-thumb", thumbSize), Svg("slider-thumb-active", thumbSize),
                             key, EdgeMatteColour());
        AddBitmap(kBitmapSliderThumb, thumb);
        AddBitmap(kBitmapSliderThumbActive, thumbActive);
    }

    void RenderIcon() {
        for (int size : {16, 32, 48, 256}) {
            // The full mark turns to mush at 16 pixels, so that size has its own drawing.
            const wxImage image = Svg(size == 16 ? "icon-small" : "icon", wxSize(size, size));
            const wxString path =
                wxString::Format("%s/icon-%d-%d.png", m_outputFolder, kIconMain, size);
            Save(image, path, wxBITMAP_TYPE_PNG);
            m_embedded.push_back({kIconMain, size, path.utf8_string()});
            if (size == 48) {
                Save(image, m_programFolder + "/help/icon.png", wxBITMAP_TYPE_PNG);
            }
        }
    }

    void RenderLogo() {
        const wxImage logo = FlattenOpaque(Svg("logo", wxSize(228, 176)), wxColour(0, 0, 0));
        Save(logo, m_programFolder + "/logo.bmp", wxBITMAP_TYPE_BMP);
    }

    void WriteEmbeddingSource() {
        std::ostringstream source;
        source << "// Written by tarv_render_artwork from the SVG artwork. Do not edit.\n"
               << "#include \"EmbeddedResources.h\"\n\nnamespace {\n";
        for (std::size_t i = 0; i < m_embedded.size(); ++i) {
            std::ifstream png(m_embedded[i].pngPath, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(png), {}};
            if (bytes.empty()) {
                Fail("cannot read back " + m_embedded[i].pngPath);
                return;
            }
            source << "const unsigned char kData" << i << "[] = {";
            for (std::size_t b = 0; b < bytes.size(); ++b) {
                source << (b % 20 == 0 ? "\n    " : "")
                       << static_cast<unsigned>(static_cast<unsigned char>(bytes[b])) << ",";
            }
            source << "\n};\n";
        }
        source << "const EmbeddedResource kResources[] = {\n";
        for (std::size_t i = 0; i < m_embedded.size(); ++i) {
            source << "    {" << m_embedded[i].id << ", " << m_embedded[i].size << ", kData" << i
                   << ", sizeof kData" << i << "},\n";
        }
        source << "};\n}  // namespace\n\n"
               << "std::span<const EmbeddedResource> EmbeddedResources() { return kResources; }\n";
        const std::string path = (m_outputFolder + "/ResourceData.cpp").utf8_string();
        std::ofstream out(path, std::ios::binary);
        out << source.str();
        if (!out) {
            Fail("cannot write " + path);
        }
    }

    wxString m_svgFolder;
    wxString m_outputFolder;
    wxString m_programFolder;
    std::vector<Embedded> m_embedded;
    bool m_ok = true;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: tarv_render_artwork SVG_FOLDER OUTPUT_FOLDER PROGRAM_FOLDER\n");
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "tarv_render_artwork: cannot initialise wxWidgets\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    for (const char* folder : {argv[2], argv[3]}) {
        wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    }
    wxFileName::Mkdir(wxString(argv[3]) + "/help", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    Renderer renderer(argv[1], argv[2], argv[3]);
    return renderer.Run() ? 0 : 1;
}
