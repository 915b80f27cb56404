#include "DrawBitmapFile.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/ffile.h>
#include <wx/filename.h>

#include <cstdint>
#include <string>
#include <vector>

#include "WxTestEnvironment.h"

using namespace tarv;
using tarv::testing::FilledBitmap;
using tarv::testing::PixelAt;

namespace {

const wxColour kBackground(128, 128, 128);

void Put16(std::vector<unsigned char>& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// A 2 x 2 bitmap file: red and green on top, blue and white below, with an information header
// of the given size (12 is the oldest form, 40 the common one, 108 and 124 the newer ones).
std::vector<unsigned char> TwoByTwoBitmap(int headerSize, int bitsPerPixel = 24) {
    const int bytesPerPixel = bitsPerPixel / 8;
    const int rowSize = (2 * bytesPerPixel + 3) / 4 * 4;
    // Rows run bottom-up, pixels as blue, green, red (and a spare byte at 32 bits).
    const unsigned char pixels[2][2][3] = {{{255, 0, 0}, {255, 255, 255}},
                                           {{0, 0, 255}, {0, 255, 0}}};
    std::vector<unsigned char> data;
    for (const auto& row : pixels) {
        const size_t start = data.size();
        for (const auto& pixel : row) {
            data.insert(data.end(), pixel, pixel + 3);
            if (bytesPerPixel == 4) {
                data.push_back(0);
            }
        }
        data.resize(start + rowSize, 0);
    }

    std::vector<unsigned char> file = {'B', 'M'};
    Put32(file, 14 + headerSize + data.size());
    Put32(file, 0);
    Put32(file, 14 + headerSize);
    Put32(file, headerSize);
    if (headerSize == 12) {
        Put16(file, 2);
        Put16(file, 2);
        Put16(file, 1);
        Put16(file, bitsPerPixel);
    } else {
        Put32(file, 2);
        Put32(file, 2);
        Put16(file, 1);
        Put16(file, bitsPerPixel);
        Put32(file, 0);  // no compression
        Put32(file, data.size());
        Put32(file, 2835);
        Put32(file, 2835);
        Put32(file, 0);
        Put32(file, 0);
        file.resize(14 + headerSize, 0);
    }
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

class DrawBitmapFileTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const wxString& path : m_paths) {
            wxRemoveFile(path);
        }
    }

    wxString Write(const std::vector<unsigned char>& bytes) {
        m_paths.push_back(wxFileName::CreateTempFileName("controls-bmp"));
        wxFFile file(m_paths.back(), "wb");
        file.Write(bytes.data(), bytes.size());
        return m_paths.back();
    }

    // Draws into (5, 5, 20, 20) of a grey 30 x 30 picture.
    bool Draw(const wxString& path, wxImage& image, const wxRect& rect = wxRect(5, 5, 20, 20)) {
        wxBitmap bitmap = FilledBitmap(30, 30, kBackground);
        bool drawn = false;
        {
            wxMemoryDC dc(bitmap);
            drawn = DrawBitmapFile(dc, path, rect);
        }
        image = bitmap.ConvertToImage();
        return drawn;
    }

    static void ExpectUntouched(const wxImage& image) {
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                ASSERT_EQ(PixelAt(image, x, y), kBackground) << x << "," << y;
            }
        }
    }

    std::vector<wxString> m_paths;
};

}  // namespace

TEST_F(DrawBitmapFileTest, StretchesThePictureIntoTheRectangleWhateverItsHeaderSize) {
    for (int headerSize : {12, 40, 108, 124}) {
        wxImage image;
        ASSERT_TRUE(Draw(Write(TwoByTwoBitmap(headerSize)), image)) << headerSize;
        EXPECT_EQ(PixelAt(image, 5, 5), *wxRED) << headerSize;
        EXPECT_EQ(PixelAt(image, 14, 14), *wxRED) << headerSize;
        EXPECT_EQ(PixelAt(image, 24, 5), *wxGREEN) << headerSize;
        EXPECT_EQ(PixelAt(image, 5, 24), *wxBLUE) << headerSize;
        EXPECT_EQ(PixelAt(image, 24, 24), *wxWHITE) << headerSize;
        EXPECT_EQ(PixelAt(image, 4, 4), kBackground) << headerSize;
        EXPECT_EQ(PixelAt(image, 25, 25), kBackground) << headerSize;
    }
}

TEST_F(DrawBitmapFileTest, TheFourthByteOfA32BitPixelIsNoTransparency) {
    wxImage image;
    ASSERT_TRUE(Draw(Write(TwoByTwoBitmap(40, 32)), image));
    EXPECT_EQ(PixelAt(image, 5, 5), *wxRED);
    EXPECT_EQ(PixelAt(image, 24, 24), *wxWHITE);
}

TEST_F(DrawBitmapFileTest, AnyFailureDrawsNothing) {
    wxImage image;
    EXPECT_FALSE(Draw("/nonexistent/logo.bmp", image));
    ExpectUntouched(image);

    std::vector<unsigned char> wrongType = TwoByTwoBitmap(40);
    wrongType[1] = 'A';
    EXPECT_FALSE(Draw(Write(wrongType), image));
    ExpectUntouched(image);

    EXPECT_FALSE(Draw(Write({'B', 'M', 0, 0, 0, 0, 0, 0}), image));
    ExpectUntouched(image);

    std::vector<unsigned char> cutShort = TwoByTwoBitmap(40);
    cutShort.resize(14 + 20);
    EXPECT_FALSE(Draw(Write(cutShort), image));
    ExpectUntouched(image);

    EXPECT_FALSE(Draw(Write(TwoByTwoBitmap(40)), image, wxRect(5, 5, 0, 20)));
    ExpectUntouched(image);
}
