// Build step: makes every picture of the picture list from its SVG drawings - the bitmaps and
// icons built into the program, written as PNG files plus a C++ source that embeds them, and the
// files that lie in the program folder.
//
//   tarv_render_artwork PICTURE_LIST SVG_FOLDER OUTPUT_FOLDER PROGRAM_FOLDER

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ArtworkCompose.h"
#include "PictureList.h"

namespace {

// The resolutions each built-in bitmap is made in, as multiples of its size at 100 %: each is
// drawn afresh from the drawings, so a screen at 200 % gets a sharp picture, not a doubled one.
const int kBitmapScales[] = {1, 2};

struct Embedded {
    int id;
    int size;
    int scale;
    std::optional<wxColour> key;
    std::string pngPath;
};

class Renderer {
public:
    Renderer(PictureList list, wxString svgFolder, wxString outputFolder, wxString programFolder)
        : m_list(std::move(list)),
          m_svgFolder(std::move(svgFolder)),
          m_outputFolder(std::move(outputFolder)),
          m_programFolder(std::move(programFolder)) {}

    bool Run() {
        for (const wxString& error : m_list.errors) {
            Fail(error);
        }
        if (!m_ok) {
            return false;
        }
        for (const PictureEntry& entry : m_list.entries) {
            switch (entry.kind) {
                case PictureEntry::Kind::Bitmap:
                    RenderBitmap(entry);
                    break;
                case PictureEntry::Kind::Icon:
                    RenderIcon(entry);
                    break;
                case PictureEntry::Kind::File:
                    RenderFile(entry);
                    break;
            }
        }
        if (m_ok) {
            WriteEmbeddingSource();
        }
        return m_ok;
    }

private:
    wxImage Svg(const wxString& name, const wxSize& size) {
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

    void Save(const wxImage& image, const wxString& path) {
        const wxBitmapType type =
            path.Lower().EndsWith(".bmp") ? wxBITMAP_TYPE_BMP : wxBITMAP_TYPE_PNG;
        wxFileName::Mkdir(wxFileName(path).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        if (!image.SaveFile(path, type)) {
            Fail("cannot write " + path);
        }
    }

    void Embed(int id, int size, int scale, const std::optional<wxColour>& key,
               const wxImage& image) {
        const wxString path =
            wxString::Format("%s/picture-%d-%d-%dx.png", m_outputFolder, id, size, scale);
        Save(image, path);
        m_embedded.push_back({id, size, scale, key, path.utf8_string()});
    }

    // The entry's drawings side by side at `scale`, greyed when it asks for that; unflattened.
    wxImage Composed(const PictureEntry& entry, int scale) {
        std::vector<wxImage> pictures;
        for (const wxString& source : entry.sources) {
            pictures.push_back(Svg(source, entry.size * scale));
        }
        const wxImage strip = PlaceSideBySide(pictures);
        return entry.greyed ? GreyedLook(strip) : strip;
    }

    const PictureEntry* Bitmap(int id) const {
        for (const PictureEntry& entry : m_list.entries) {
            if (entry.kind == PictureEntry::Kind::Bitmap && entry.id == id) {
                return &entry;
            }
        }
        return nullptr;
    }

    void RenderBitmap(const PictureEntry& entry) {
        for (int scale : kBitmapScales) {
            const wxImage picture = Composed(entry, scale);
            const PictureEntry* pair = Bitmap(entry.pairId);
            const wxImage flat = pair ? FlattenPairOnKey(picture, Composed(*pair, scale),
                                                         *entry.colour, EdgeMatteColour())
                                            .first
                                      : FlattenOnKey(picture, *entry.colour, EdgeMatteColour());
            Embed(entry.id, 0, scale, entry.colour, flat);
        }
    }

    void RenderIcon(const PictureEntry& entry) {
        Embed(entry.id, entry.size.x, 1, std::nullopt, Svg(entry.sources.front(), entry.size));
    }

    void RenderFile(const PictureEntry& entry) {
        const wxImage picture = Svg(entry.sources.front(), entry.size);
        Save(entry.colour ? FlattenOpaque(picture, *entry.colour) : picture,
             m_programFolder + "/" + entry.fileName);
    }

    void WriteEmbeddingSource() {
        std::ostringstream source;
        source << "// Written by tarv_render_artwork from the picture list. Do not edit.\n"
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
            const Embedded& e = m_embedded[i];
            const wxColour key = e.key.value_or(*wxBLACK);
            source << "    {" << e.id << ", " << e.size << ", " << e.scale << ", "
                   << (e.key ? "true" : "false") << ", {" << int(key.Red()) << ", "
                   << int(key.Green()) << ", " << int(key.Blue()) << "}, kData" << i
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

    PictureList m_list;
    wxString m_svgFolder;
    wxString m_outputFolder;
    wxString m_programFolder;
    std::vector<Embedded> m_embedded;
    bool m_ok = true;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: tarv_render_artwork PICTURE_LIST SVG_FOLDER OUTPUT_FOLDER "
                     "PROGRAM_FOLDER\n");
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "tarv_render_artwork: cannot initialise wxWidgets\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    wxString listText;
    wxFFile listFile(wxString::FromUTF8(argv[1]), "rb");
    if (!listFile.IsOpened() || !listFile.ReadAll(&listText, wxConvUTF8)) {
        std::fprintf(stderr, "tarv_render_artwork: cannot read %s\n", argv[1]);
        return 1;
    }
    for (const char* folder : {argv[3], argv[4]}) {
        wxFileName::Mkdir(wxString::FromUTF8(folder), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    }
    Renderer renderer(ParsePictureList(listText), wxString::FromUTF8(argv[2]),
                      wxString::FromUTF8(argv[3]), wxString::FromUTF8(argv[4]));
    return renderer.Run() ? 0 : 1;
}
