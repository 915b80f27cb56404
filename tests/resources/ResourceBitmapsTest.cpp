#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ArtworkCompose.h"
#include "Resources.h"
#include "WxTestEnvironment.h"

namespace {

const wxColour kYellow(255, 255, 0);
const wxColour kRed(255, 0, 0);

struct Expected {
    int id;
    wxSize size;
    std::vector<const char*> sources;  // drawn left to right
};

const char* const kToolbarSources[] = {"toolbar-add",     "toolbar-remove", "toolbar-clear",
                                       "toolbar-convert", "toolbar-stop",   "toolbar-help"};

const std::vector<Expected>& AllBitmaps() {
    static const std::vector<Expected> bitmaps = {
        {kBitmapToolbar, {384, 45}, {std::begin(kToolbarSources), std::end(kToolbarSources)}},
        {kBitmapToolbarDisabled,
         {384, 45},
         {std::begin(kToolbarSources), std::end(kToolbarSources)}},
        {kBitmapPreviewPlay, {19, 20}, {"preview-play"}},
        {kBitmapPreviewPause, {20, 20}, {"preview-pause"}},
        {kBitmapPreviewStop, {19, 20}, {"preview-stop"}},
        {kBitmapSliderChannel, {151, 15}, {"slider-channel"}},
        {kBitmapSliderChannelActive, {151, 15}, {"slider-channel-active"}},
        {kBitmapSliderThumb, {21, 10}, {"slider-thumb"}},
        {kBitmapSliderThumbActive, {21, 10}, {"slider-thumb-active"}},
    };
    return bitmaps;
}

wxImage Loaded(int id) {
    return LoadResourceBitmap(id).ConvertToImage();
}

wxColour At(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// The pixels in the key colour, as positions, for comparing transparent areas.
std::set<std::pair<int, int>> KeyArea(const wxImage& image, const wxColour& key) {
    std::set<std::pair<int, int>> area;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (At(image, x, y) == key) {
                area.insert({x, y});
            }
        }
    }
    return area;
}

// The sources rendered the way they are laid out in the bitmap, to know where the picture is.
wxImage SourceArt(const Expected& expected) {
    std::vector<wxImage> parts;
    const int width = expected.size.x / static_cast<int>(expected.sources.size());
    for (const char* name : expected.sources) {
        const auto part = RenderSvgFile(wxString(TARV_ARTWORK_SOURCE_DIR) + name + ".svg",
                                        wxSize(width, expected.size.y));
        EXPECT_TRUE(part.has_value()) << name;
        parts.push_back(part ? *part : wxImage(width, expected.size.y));
    }
    return PlaceSideBySide(parts);
}

bool IsSliderPicture(int id) {
    return id == kBitmapSliderChannel || id == kBitmapSliderChannelActive ||
           id == kBitmapSliderThumb || id == kBitmapSliderThumbActive;
}

wxColour KeyOf(int id, const wxImage& image) {
    // The slider reads its transparent colour from the top-left pixel.
    return IsSliderPicture(id) ? At(image, 0, 0) : ResourceKeyColour(id);
}

}  // namespace

TEST(ResourceBitmaps, EveryBitmapHasItsExactSize) {
    for (const Expected& expected : AllBitmaps()) {
        const wxBitmap bitmap = LoadResourceBitmap(expected.id);
        ASSERT_TRUE(bitmap.IsOk()) << expected.id;
        EXPECT_EQ(bitmap.GetSize(), expected.size) << expected.id;
    }
}

TEST(ResourceBitmaps, IdsThatAreNoBitmapGiveAnInvalidOne) {
    EXPECT_FALSE(LoadResourceBitmap(999).IsOk());
    EXPECT_FALSE(LoadResourceBitmap(kIconMain).IsOk());
}

TEST(ResourceBitmaps, KeyColoursAreTheFixedOnes) {
    EXPECT_EQ(ResourceKeyColour(kBitmapToolbar), kYellow);
    EXPECT_EQ(ResourceKeyColour(kBitmapToolbarDisabled), kYellow);
    EXPECT_EQ(ResourceKeyColour(kBitmapPreviewPlay), kRed);
    EXPECT_EQ(ResourceKeyColour(kBitmapPreviewPause), kRed);
    EXPECT_EQ(ResourceKeyColour(kBitmapPreviewStop), kRed);
    EXPECT_FALSE(ResourceKeyColour(kIconMain).IsOk());
    EXPECT_FALSE(ResourceKeyColour(999).IsOk());
}

TEST(ResourceBitmaps, SliderPicturesHaveTheirKeyColourAtTheTopLeftPixel) {
    for (int id : {kBitmapSliderChannel, kBitmapSliderChannelActive, kBitmapSliderThumb,
                   kBitmapSliderThumbActive}) {
        EXPECT_EQ(At(Loaded(id), 0, 0), ResourceKeyColour(id)) << id;
    }
}

// The mask must take away exactly the background: a drawn pixel in the key colour would vanish,
// and a background pixel not in the key colour would show as a coloured speck.
TEST(ResourceBitmaps, TheKeyColourFillsTheBackgroundAndNeverThePicture) {
    for (const Expected& expected : AllBitmaps()) {
        const wxImage bitmap = Loaded(expected.id);
        const wxImage art = SourceArt(expected);
        ASSERT_EQ(art.GetSize(), bitmap.GetSize()) << expected.id;
        const wxColour key = KeyOf(expected.id, bitmap);
        int picture = 0;
        int background = 0;
        for (int y = 0; y < bitmap.GetHeight(); ++y) {
            for (int x = 0; x < bitmap.GetWidth(); ++x) {
                const unsigned char alpha = art.GetAlpha(x, y);
                if (alpha >= kCoverageThreshold) {
                    ++picture;
                    EXPECT_NE(At(bitmap, x, y), key)
                        << "bitmap " << expected.id << " loses its pixel " << x << "," << y;
                } else if (alpha == 0 && !IsSliderPicture(expected.id)) {
                    // The slider pairs may cover each other's empty pixels; they are checked
                    // against each other instead.
                    ++background;
                    EXPECT_EQ(At(bitmap, x, y), key)
                        << "bitmap " << expected.id << " shows background at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(picture, 0) << expected.id;
        if (!IsSliderPicture(expected.id)) {
            EXPECT_GT(background, 0) << expected.id;
        }
    }
}

TEST(ResourceBitmaps, NormalAndActiveSliderPicturesShareTheirTransparentArea) {
    for (auto [normal, active] : {std::pair{kBitmapSliderChannel, kBitmapSliderChannelActive},
                                  std::pair{kBitmapSliderThumb, kBitmapSliderThumbActive}}) {
        const wxImage normalImage = Loaded(normal);
        const wxImage activeImage = Loaded(active);
        const wxColour key = At(normalImage, 0, 0);
        EXPECT_EQ(At(activeImage, 0, 0), key);
        const auto area = KeyArea(normalImage, key);
        EXPECT_FALSE(area.empty());
        EXPECT_EQ(area, KeyArea(activeImage, key)) << normal << " and " << active;
        // The active look must really differ, or dragging and playing would show nothing.
        EXPECT_NE(
            At(normalImage, 75 * normalImage.GetWidth() / 151, 8 * normalImage.GetHeight() / 15),
            At(activeImage, 75 * normalImage.GetWidth() / 151, 8 * normalImage.GetHeight() / 15));
    }
}

TEST(ResourceBitmaps, EveryToolbarPictureStandsAloneOnTheKeyColour) {
    for (int id : {kBitmapToolbar, kBitmapToolbarDisabled}) {
        const wxImage strip = Loaded(id);
        std::vector<wxImage> cells;
        for (int i = 0; i < kToolbarPictureCount; ++i) {
            const int left = i * kToolbarPictureWidth;
            const int right = left + kToolbarPictureWidth - 1;
            const int bottom = kToolbarPictureHeight - 1;
            // The corners stay clear, so no picture runs into its neighbour.
            for (auto [x, y] : {std::pair{left, 0}, {right, 0}, {left, bottom}, {right, bottom}}) {
                EXPECT_EQ(At(strip, x, y), kYellow) << id << " picture " << i;
            }
            cells.push_back(
                strip.GetSubImage(wxRect(left, 0, kToolbarPictureWidth, kToolbarPictureHeight)));
        }
        for (std::size_t a = 0; a < cells.size(); ++a) {
            for (std::size_t b = a + 1; b < cells.size(); ++b) {
                const auto bytes = [](const wxImage& cell) {
                    return std::string(reinterpret_cast<const char*>(cell.GetData()),
                                       3 * cell.GetWidth() * cell.GetHeight());
                };
                EXPECT_NE(bytes(cells[a]), bytes(cells[b]))
                    << id << " pictures " << a << " and " << b << " are the same";
            }
        }
    }
}

TEST(ResourceBitmaps, TheDisabledToolbarIsTheSameShapesInGrey) {
    const wxImage normal = Loaded(kBitmapToolbar);
    const wxImage disabled = Loaded(kBitmapToolbarDisabled);
    EXPECT_EQ(KeyArea(normal, kYellow), KeyArea(disabled, kYellow));
    int colourful = 0;
    for (int y = 0; y < disabled.GetHeight(); ++y) {
        for (int x = 0; x < disabled.GetWidth(); ++x) {
            const wxColour pixel = At(disabled, x, y);
            if (pixel == kYellow) {
                continue;
            }
            EXPECT_LE(std::abs(pixel.Red() - pixel.Green()), 1) << x << "," << y;
            EXPECT_LE(std::abs(pixel.Green() - pixel.Blue()), 1) << x << "," << y;
            const wxColour original = At(normal, x, y);
            if (std::abs(original.Red() - original.Blue()) > 40) {
                ++colourful;
            }
        }
    }
    EXPECT_GT(colourful, 100) << "the normal strip should be in colour";
}

// A screen at 200 % gets each picture drawn afresh at twice the size: twice the pixels both ways,
// real detail rather than doubled pixels, and the transparent area where the picture at 100 %
// has it, give or take the pixels along its edge.
TEST(ResourceBitmaps, EveryBitmapComesAtTwiceTheSizeWithTheSameKeyColouredAreas) {
    for (const Expected& expected : AllBitmaps()) {
        const wxBitmapBundle bundle = LoadResourceBitmapBundle(expected.id);
        ASSERT_TRUE(bundle.IsOk()) << expected.id;
        EXPECT_EQ(bundle.GetDefaultSize(), expected.size) << expected.id;
        const wxImage single = bundle.GetBitmap(expected.size).ConvertToImage();
        const wxImage twice = bundle.GetBitmap(expected.size * 2).ConvertToImage();
        ASSERT_EQ(twice.GetSize(), expected.size * 2) << expected.id;
        const wxColour key = KeyOf(expected.id, single);
        EXPECT_EQ(At(twice, 0, 0), At(single, 0, 0)) << expected.id;

        auto isKey = [&](int x, int y) { return At(single, x, y) == key; };
        int blocksWithDetail = 0;
        for (int y = 0; y < single.GetHeight(); ++y) {
            for (int x = 0; x < single.GetWidth(); ++x) {
                bool edge = false;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = std::clamp(x + dx, 0, single.GetWidth() - 1);
                        const int ny = std::clamp(y + dy, 0, single.GetHeight() - 1);
                        edge = edge || isKey(nx, ny) != isKey(x, y);
                    }
                }
                std::set<std::tuple<int, int, int>> colours;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        const wxColour pixel = At(twice, 2 * x + dx, 2 * y + dy);
                        colours.insert({pixel.Red(), pixel.Green(), pixel.Blue()});
                        if (!edge) {
                            EXPECT_EQ(pixel == key, isKey(x, y))
                                << "bitmap " << expected.id << " at 200 % differs at " << x << ","
                                << y;
                        }
                    }
                }
                blocksWithDetail += colours.size() > 1;
            }
        }
        EXPECT_GT(blocksWithDetail, 0) << expected.id << " is only the small picture doubled";
    }
    EXPECT_FALSE(LoadResourceBitmapBundle(kIconMain).IsOk());
}

TEST(ResourceBitmaps, AtTwiceTheSizeNormalAndActiveSliderPicturesShareTheirTransparentArea) {
    for (auto [normal, active] : {std::pair{kBitmapSliderChannel, kBitmapSliderChannelActive},
                                  std::pair{kBitmapSliderThumb, kBitmapSliderThumbActive}}) {
        const wxBitmapBundle normalBundle = LoadResourceBitmapBundle(normal);
        const wxSize size = normalBundle.GetDefaultSize() * 2;
        const wxImage normalImage = normalBundle.GetBitmap(size).ConvertToImage();
        const wxImage activeImage =
            LoadResourceBitmapBundle(active).GetBitmap(size).ConvertToImage();
        const wxColour key = At(normalImage, 0, 0);
        EXPECT_FALSE(KeyArea(normalImage, key).empty());
        EXPECT_EQ(KeyArea(normalImage, key), KeyArea(activeImage, key))
            << normal << " and " << active;
    }
}

TEST(ResourceIcons, TheMainIconComesInFourSizesWithTransparentCorners) {
    const wxIconBundle icons = LoadResourceIcons(kIconMain);
    EXPECT_EQ(icons.GetIconCount(), 4u);
    for (int size : {16, 32, 48, 256}) {
        const wxIcon icon = icons.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE);
        ASSERT_TRUE(icon.IsOk()) << size;
        EXPECT_EQ(icon.GetSize(), wxSize(size, size));
        wxBitmap bitmap;
        bitmap.CopyFromIcon(icon);
        const wxImage image = bitmap.ConvertToImage();
        ASSERT_TRUE(image.HasAlpha()) << size;
        // Rounded corners: at most a faint antialiased trace in the corner pixel.
        EXPECT_LT(image.GetAlpha(0, 0), 32) << size;
        EXPECT_LT(image.GetAlpha(size - 1, size - 1), 32) << size;
        EXPECT_EQ(image.GetAlpha(size / 2, size / 2), 255) << size;
    }
    EXPECT_EQ(LoadResourceIcons(kBitmapToolbar).GetIconCount(), 0u);
}
