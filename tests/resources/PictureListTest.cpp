#include "PictureList.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureList, ReadsEachKindOfPictureWithItsOptions) {
    const PictureList list = ParsePictureList(
        "# a comment\n"
        "bitmap 142 64x45 255,255,0 greyed one two   # the strip\n"
        "\n"
        "bitmap 133 151x15 255,0,255 pair=134 channel\r\n"
        "bitmap 134 151x15 255,0,255 pair=133 channel-active\n"
        "icon 128 16 icon-small\n"
        "file logo.bmp 228x176 0,0,0 logo\n"
        "file help/add.png 64x45 - add\n");
    ASSERT_TRUE(list.errors.empty()) << list.errors.front();
    ASSERT_EQ(list.entries.size(), 6u);

    const PictureEntry& strip = list.entries[0];
    EXPECT_EQ(strip.kind, PictureEntry::Kind::Bitmap);
    EXPECT_EQ(strip.id, 142);
    EXPECT_EQ(strip.size, wxSize(64, 45));
    EXPECT_EQ(strip.colour, wxColour(255, 255, 0));
    EXPECT_TRUE(strip.greyed);
    EXPECT_EQ(strip.sources, (std::vector<wxString>{"one", "two"}));

    EXPECT_EQ(list.entries[1].pairId, 134);
    EXPECT_FALSE(list.entries[1].greyed);
    EXPECT_EQ(list.entries[1].sources, std::vector<wxString>{"channel"});

    EXPECT_EQ(list.entries[3].kind, PictureEntry::Kind::Icon);
    EXPECT_EQ(list.entries[3].size, wxSize(16, 16));
    EXPECT_EQ(list.entries[3].sources, std::vector<wxString>{"icon-small"});

    EXPECT_EQ(list.entries[4].fileName, "logo.bmp");
    EXPECT_EQ(list.entries[4].colour, wxColour(0, 0, 0));
    EXPECT_EQ(list.entries[5].fileName, "help/add.png");
    EXPECT_FALSE(list.entries[5].colour.has_value());
}

TEST(PictureList, NamesEveryLineThatDoesNotReadAndPairsThatDoNotFit) {
    const PictureList list = ParsePictureList(
        "bitmap 131 64x45 255,255,0\n"        // no drawing
        "bitmap 131 64by45 255,255,0 add\n"   // no size
        "bitmap 131 64x45 255,256,0 add\n"    // no colour
        "picture 5 1x1 add\n"                 // no such kind
        "file logo.bmp 228x176 black logo\n"  // no background
        "bitmap 135 21x10 255,0,255 pair=132 thumb\n"
        "bitmap 132 21x11 255,0,255 pair=135 thumb-active\n");
    ASSERT_EQ(list.errors.size(), 7u);
    EXPECT_TRUE(list.errors[0].StartsWith("line 1:"));
    EXPECT_TRUE(list.errors[3].Contains("\"picture\""));
    EXPECT_TRUE(list.errors[4].StartsWith("line 5:"));
    EXPECT_TRUE(list.errors[5].StartsWith("bitmap 135:"));
    EXPECT_TRUE(list.errors[6].StartsWith("bitmap 132:"));
}

}  // namespace
