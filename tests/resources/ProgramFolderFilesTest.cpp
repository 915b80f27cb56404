#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/regex.h>

#include <algorithm>
#include <set>

#include "PictureList.h"
#include "Resources.h"
#include "WxTestEnvironment.h"

namespace {

wxString ProgramFile(const wxString& name) {
    return wxString(TARV_PROGRAM_DIR) + name;
}

wxString ReadAll(const wxString& path) {
    wxString text;
    wxFFile file(path, "rb");
    if (file.IsOpened()) {
        file.ReadAll(&text, wxConvUTF8);
    }
    return text;
}

// Every value of an attribute `name` in the page.
std::vector<wxString> AttributeValues(const wxString& html, const wxString& name) {
    std::vector<wxString> values;
    wxRegEx attribute("[[:space:]]" + name + "=\"([^\"]*)\"", wxRE_ADVANCED | wxRE_ICASE);
    wxString rest = html;
    size_t start = 0;
    size_t length = 0;
    while (attribute.Matches(rest)) {
        values.push_back(attribute.GetMatch(rest, 1));
        attribute.GetMatch(&start, &length, 0);
        rest = rest.Mid(start + length);
    }
    return values;
}

}  // namespace

TEST(Logo, IsAWindowsBitmapFileBesideTheProgram) {
    const wxString path = ProgramFile(kLogoFileName);
    wxFFile file(path, "rb");
    ASSERT_TRUE(file.IsOpened()) << path;
    char magic[2] = {};
    ASSERT_EQ(file.Read(magic, 2), 2u);
    EXPECT_EQ(magic[0], 'B');
    EXPECT_EQ(magic[1], 'M');
    file.Close();

    wxImage logo;
    ASSERT_TRUE(logo.LoadFile(path, wxBITMAP_TYPE_BMP));
    EXPECT_EQ(logo.GetSize(), wxSize(228, 176));
    // Not a blank placeholder: the picture has light marks on its dark ground.
    int light = 0;
    for (int y = 0; y < logo.GetHeight(); ++y) {
        for (int x = 0; x < logo.GetWidth(); ++x) {
            light += logo.GetRed(x, y) > 200 && logo.GetGreen(x, y) > 200;
        }
    }
    EXPECT_GT(light, 500);
    EXPECT_LT(logo.GetRed(2, 2), 80);
}

class HelpFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = ProgramFile(kHelpFileName);
        ASSERT_TRUE(wxFileName::FileExists(m_path)) << m_path;
        m_html = ReadAll(m_path);
        ASSERT_FALSE(m_html.empty());
    }

    wxString m_path;
    wxString m_html;
};

TEST_F(HelpFile, EveryLocalLinkAndPictureResolves) {
    std::set<wxString> ids;
    for (const wxString& id : AttributeValues(m_html, "id")) {
        ids.insert(id);
    }
    int local = 0;
    for (const char* attribute : {"href", "src"}) {
        for (const wxString& target : AttributeValues(m_html, attribute)) {
            if (target.StartsWith("http:") || target.StartsWith("https:") ||
                target.StartsWith("mailto:")) {
                continue;
            }
            ++local;
            if (target.StartsWith("#")) {
                EXPECT_TRUE(ids.count(target.Mid(1))) << "no anchor for " << target;
                continue;
            }
            const wxString file = ProgramFile(target.BeforeFirst('#'));
            ASSERT_TRUE(wxFileName::FileExists(file)) << target;
            if (file.EndsWith(".png")) {
                EXPECT_TRUE(wxImage(file, wxBITMAP_TYPE_PNG).IsOk()) << target;
            }
        }
    }
    // Guards the parsing itself: the page has a table of contents and toolbar pictures.
    EXPECT_GT(local, 20);
}

TEST_F(HelpFile, DescribesEveryOptionOfTheHeadlessCommand) {
    for (const char* option :
         {"tarv-convert", "-o FOLDER", "--format", "--video-quality", "--resolution", "--framerate",
          "--audio-quality", "--sample-rate", "--aspect", "--max-size", "--list-options"}) {
        EXPECT_TRUE(m_html.Contains(option)) << option;
    }
}

TEST_F(HelpFile, ShowsEveryHelpPictureThePictureListMakes) {
    const PictureList list = ParsePictureList(ReadAll(TARV_PICTURE_LIST));
    ASSERT_TRUE(list.errors.empty());
    const std::vector<wxString> shown = AttributeValues(m_html, "src");
    int pictures = 0;
    for (const PictureEntry& entry : list.entries) {
        if (entry.kind == PictureEntry::Kind::File && entry.fileName.StartsWith("help/")) {
            ++pictures;
            EXPECT_NE(std::find(shown.begin(), shown.end(), entry.fileName), shown.end())
                << entry.fileName << " is made but not shown";
        }
    }
    EXPECT_GT(pictures, 0);
}
