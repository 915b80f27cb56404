#include <gtest/gtest.h>

#include <wx/arrstr.h>

#include <fstream>

#include "ConversionList.h"
#include "TempFolder.h"

using namespace tarv;

TEST(ConversionListLogic, NewPathsSkipDuplicatesInAnyCaseMissingFilesAndFolders) {
    TempFolder folder;
    const wxString a = folder.Touch("a.avi");
    const wxString b = folder.Touch("b.mp4");
    const wxString c = folder.Touch("c.flv");
    // A file of its own on disk, but the same name as a row's but for letter case.
    const wxString upperA = folder.Touch("A.AVI");
    const std::vector<wxString> fresh =
        NewSourcePaths({b, upperA, folder.Path() + "gone.avi", folder.Path(), c, c}, {a});
    EXPECT_EQ(fresh, (std::vector<wxString>{b, c}));
}

TEST(ConversionListLogic, SizesShowMegabytesWithTwoDecimals) {
    EXPECT_EQ(SizeText(1572864), "1.50");
    EXPECT_EQ(SizeText(0), "0.00");
    EXPECT_EQ(SizeText(5ull << 40), "5242880.00");  // 5 TiB: sizes are 64-bit
}

TEST(ConversionListLogic, TheFilterOffersEveryPatternInUpperCaseToo) {
    const wxString filter = MediaFileFilter();
    EXPECT_TRUE(filter.StartsWith("All Media files|*.3gp;*.3g2;*.avi;"));
    EXPECT_NE(filter.Find("|AVI files(*.avi)|*.avi;*.AVI|"), wxNOT_FOUND);
    EXPECT_NE(filter.Find("|MPEG-4 files(*.mp4;*.m4a;*.m4v)|*.mp4;*.m4v;*.MP4;*.M4V|"),
              wxNOT_FOUND);
    // Every file, with or without a dot in its name.
    EXPECT_TRUE(filter.EndsWith("|All files(*.*)|*"));
}

TEST(ConversionListLogic, TheShellCompletionsOfferTheAddDialogsMediaTypes) {
    // The filter's first pair, "All Media files|*.3gp;*.3g2;...;*.3GP;...", holds every type in
    // both cases.
    const wxString allMedia = MediaFileFilter().AfterFirst('|').BeforeFirst('|');
    wxArrayString offered;
    for (const wxString& pattern : wxSplit(allMedia, ';', '\0')) {
        if (pattern == pattern.Lower()) {
            offered.push_back(pattern.AfterFirst('.'));
        }
    }
    // Each script names them once, as "media='...(3gp|3g2|...)'".
    for (const char* name : {"tarv-convert", "_tarv-convert"}) {
        std::ifstream file(std::string(TARV_COMPLETION_DIR "/") + name);
        const std::string script((std::istreambuf_iterator<char>(file)), {});
        const size_t media = script.find("media='");
        ASSERT_NE(media, std::string::npos) << name;
        const size_t start = script.rfind('(', script.find('|', media)) + 1;
        const wxArrayString completed =
            wxSplit(script.substr(start, script.find(')', start) - start), '|', '\0');
        EXPECT_EQ(completed, offered) << name;
    }
}

TEST(ConversionListLogic, TheWindowsInstallerAssociatesTheAddDialogsMediaTypes) {
    const wxString allMedia = MediaFileFilter().AfterFirst('|').BeforeFirst('|');
    wxArrayString offered;
    for (const wxString& pattern : wxSplit(allMedia, ';', '\0')) {
        if (pattern == pattern.Lower()) {
            offered.push_back(pattern.AfterFirst('.'));
        }
    }
    // The installer lists them once, a line "!insertmacro ${MACRO} "3gp"" each.
    std::ifstream file(TARV_WINDOWS_INSTALLER);
    wxArrayString associated;
    for (std::string line; std::getline(file, line);) {
        const std::string marker = "!insertmacro ${MACRO} \"";
        const size_t at = line.find(marker);
        if (at != std::string::npos) {
            const size_t start = at + marker.size();
            associated.push_back(line.substr(start, line.find('"', start) - start));
        }
    }
    EXPECT_EQ(associated, offered);
}
