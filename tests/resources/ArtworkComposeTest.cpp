#include "ArtworkCompose.h"

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filename.h>

#include <cstdlib>

#include "WxTestEnvironment.h"

namespace {

const wxColour kYellowKey(255, 255, 0);
const wxColour kMatte(242, 242, 242);

// A one-row picture: every pixel has the same colour, the alphas differ.
wxImage Row(const wxColour& colour, std::initializer_list<unsigned char> alphas) {
    wxImage image(static_cast<int>(alphas.size()), 1);
    image.InitAlpha();
    int x = 0;
    for (unsigned char alpha : alphas) {
        image.SetRGB(x, 0, colour.Red(), colour.Green(), colour.Blue());
        image.SetAlpha(x, 0, alpha);
        ++x;
    }
    return image;
}

wxColour At(const wxImage& image, int x, int y = 0) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

}  // namespace

TEST(FlattenOnKey, FaintPixelsBecomeTheKeyAndSolidOnesKeepTheirColour) {
    const wxColour ink(10, 20, 30);
    const wxImage flat = FlattenOnKey(
        Row(ink, {0, kCoverageThreshold - 1, kCoverageThreshold, 255}), kYellowKey, kMatte);
    ASSERT_EQ(flat.GetWidth(), 4);
    EXPECT_FALSE(flat.HasAlpha());
    EXPECT_EQ(At(flat, 0), kYellowKey);
    EXPECT_EQ(At(flat, 1), kYellowKey);
    EXPECT_NE(At(flat, 2), kYellowKey);
    EXPECT_EQ(At(flat, 3), ink);
}

TEST(FlattenOnKey, HalfCoveredEdgesAreBlendedWithTheMatteNotTheKey) {
    const wxImage flat = FlattenOnKey(Row(*wxBLACK, {128}), kYellowKey, kMatte);
    // Half of 242 on each channel: a neutral grey, no trace of the yellow key.
    EXPECT_NEAR(flat.GetRed(0, 0), 121, 1);
    EXPECT_NEAR(flat.GetGreen(0, 0), 121, 1);
    EXPECT_NEAR(flat.GetBlue(0, 0), 121, 1);
}

TEST(FlattenOnKey, APicturePixelInTheKeyColourIsMovedOffIt) {
    const wxImage flat = FlattenOnKey(Row(kYellowKey, {255}), kYellowKey, kMatte);
    EXPECT_NE(At(flat, 0), kYellowKey);
    EXPECT_EQ(flat.GetRed(0, 0), 255);
    EXPECT_EQ(flat.GetGreen(0, 0), 255);
    EXPECT_LE(flat.GetBlue(0, 0), 1);

    const wxColour magenta(255, 0, 255);
    const wxImage flatMagenta = FlattenOnKey(Row(magenta, {255}), magenta, kMatte);
    EXPECT_NE(At(flatMagenta, 0), magenta);
}

TEST(FlattenOnKey, AnImageWithoutAlphaIsAllPicture) {
    wxImage opaque(3, 2);
    opaque.SetRGB(wxRect(0, 0, 3, 2), 40, 50, 60);
    const wxImage flat = FlattenOnKey(opaque, kYellowKey, kMatte);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(At(flat, x, y), wxColour(40, 50, 60));
        }
    }
}

TEST(FlattenPairOnKey, BothVariantsGetTheUnionOfTheirCoverage) {
    const wxImage first = Row(wxColour(0, 0, 200), {255, 0, 0});
    const wxImage second = Row(wxColour(0, 200, 0), {0, 255, 0});
    const auto [a, b] = FlattenPairOnKey(first, second, kYellowKey, kMatte);
    for (const wxImage* flat : {&a, &b}) {
        EXPECT_NE(At(*flat, 0), kYellowKey);
        EXPECT_NE(At(*flat, 1), kYellowKey);
        EXPECT_EQ(At(*flat, 2), kYellowKey);
    }
    EXPECT_EQ(At(a, 0), wxColour(0, 0, 200));
    EXPECT_EQ(At(b, 1), wxColour(0, 200, 0));
    // Where only the other variant is drawn, this one shows the matte rather than a hole.
    EXPECT_EQ(At(a, 1), kMatte);
    EXPECT_EQ(At(b, 0), kMatte);
}

TEST(FlattenOpaque, KeepsBlackAndFillsTransparencyWithTheBackground) {
    const wxImage picture = Row(*wxBLACK, {255, 0});
    const wxImage flat = FlattenOpaque(picture, wxColour(0, 0, 0));
    EXPECT_EQ(At(flat, 0), *wxBLACK);
    EXPECT_EQ(At(flat, 1), *wxBLACK);
    const wxImage onWhite = FlattenOpaque(picture, *wxWHITE);
    EXPECT_EQ(At(onWhite, 1), *wxWHITE);
}

TEST(GreyedLook, TurnsColoursIntoLighterGreysAndKeepsTheAlpha) {
    wxImage picture = Row(wxColour(200, 30, 30), {255, 77});
    picture.SetRGB(1, 0, 0, 0, 0);
    const wxImage grey = GreyedLook(picture);
    ASSERT_TRUE(grey.HasAlpha());
    EXPECT_EQ(grey.GetAlpha(0, 0), 255);
    EXPECT_EQ(grey.GetAlpha(1, 0), 77);
    for (int x = 0; x < 2; ++x) {
        EXPECT_EQ(grey.GetRed(x, 0), grey.GetGreen(x, 0));
        EXPECT_EQ(grey.GetGreen(x, 0), grey.GetBlue(x, 0));
    }
    // Black becomes a mid grey: visible, but clearly not active.
    EXPECT_GT(grey.GetRed(1, 0), 100);
    EXPECT_LT(grey.GetRed(1, 0), 160);
    // Darker stays darker, so shapes inside the picture remain readable.
    EXPECT_LT(grey.GetRed(1, 0), grey.GetRed(0, 0));
}

TEST(PlaceSideBySide, LaysPicturesLeftToRightWithTheirAlpha) {
    const wxImage strip =
        PlaceSideBySide({Row(*wxRED, {255, 10}), Row(*wxBLUE, {20, 255}), Row(*wxGREEN, {0})});
    ASSERT_EQ(strip.GetWidth(), 5);
    ASSERT_EQ(strip.GetHeight(), 1);
    ASSERT_TRUE(strip.HasAlpha());
    EXPECT_EQ(At(strip, 0), *wxRED);
    EXPECT_EQ(strip.GetAlpha(1, 0), 10);
    EXPECT_EQ(At(strip, 2), *wxBLUE);
    EXPECT_EQ(strip.GetAlpha(2, 0), 20);
    EXPECT_EQ(strip.GetAlpha(3, 0), 255);
    EXPECT_EQ(strip.GetAlpha(4, 0), 0);
}

class RenderSvgFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = wxFileName::CreateTempFileName("tarv-svg");
        wxFFile file(m_path, "w");
        // The left half filled, the right half empty.
        file.Write(
            "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10' viewBox='0 0 20 10'>"
            "<rect x='0' y='0' width='10' height='10' fill='#336699'/></svg>");
    }
    void TearDown() override { wxRemoveFile(m_path); }

    wxString m_path;
};

TEST_F(RenderSvgFileTest, RendersAtTheRequestedSizeWithTransparency) {
    const auto image = RenderSvgFile(m_path, wxSize(20, 10));
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->GetSize(), wxSize(20, 10));
    ASSERT_TRUE(image->HasAlpha());
    EXPECT_EQ(image->GetAlpha(2, 5), 255);
    EXPECT_NEAR(image->GetRed(2, 5), 0x33, 1);
    EXPECT_NEAR(image->GetBlue(2, 5), 0x99, 1);
    EXPECT_EQ(image->GetAlpha(17, 5), 0);
}

TEST_F(RenderSvgFileTest, AMissingFileRendersNothing) {
    EXPECT_FALSE(RenderSvgFile(m_path + ".missing", wxSize(20, 10)).has_value());
}
