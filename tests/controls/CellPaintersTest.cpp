#include "CellPainters.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>

#include <functional>
#include <set>

#include "CellData.h"
#include "DrawingPrimitives.h"
#include "WxTestEnvironment.h"

using namespace tarv;
using tarv::testing::FilledBitmap;
using tarv::testing::PixelAt;

namespace {

const wxColour kUntouched(255, 0, 255);

// Colours no theme uses, so that every pixel tells where it came from.
ListColours TestColours() {
    ListColours colours;
    colours.m_window = wxColour(255, 255, 255);
    colours.m_windowText = wxColour(0, 0, 0);
    colours.m_highlight = wxColour(0, 0, 255);
    colours.m_highlightText = wxColour(255, 255, 0);
    colours.m_buttonFace = wxColour(200, 200, 200);
    colours.m_buttonShadow = wxColour(100, 100, 100);
    return colours;
}

wxImage Render(int width, int height, const std::function<void(wxDC&)>& paint) {
    wxBitmap bitmap = FilledBitmap(width, height, kUntouched);
    {
        wxMemoryDC dc(bitmap);
        paint(dc);
    }
    return bitmap.ConvertToImage();
}

wxImage RenderProgress(const wxRect& cell, int value, bool showText) {
    CellData data;
    data.m_hasProgress = true;
    data.m_progressValue = value;
    data.m_progressTextShown = showText;
    data.m_textColour = wxColour(255, 0, 0);
    return Render(cell.x + cell.width + 2, cell.y + cell.height + 2,
                  [&](wxDC& dc) { DrawProgressCell(dc, cell, data, TestColours()); });
}

}  // namespace

TEST(ProgressCell, ZeroOrLessShowsOnlyTheFramedTrough) {
    const wxRect cell(0, 0, 102, 17);
    for (int value : {0, -5}) {
        const wxImage image = RenderProgress(cell, value, true);
        // The bar is the cell less its first column and last row.
        for (int y = 0; y < 17; ++y) {
            EXPECT_EQ(PixelAt(image, 0, y), kUntouched);
        }
        for (int x = 0; x < 102; ++x) {
            EXPECT_EQ(PixelAt(image, x, 16), kUntouched);
        }
        EXPECT_EQ(PixelAt(image, 1, 0), *wxBLACK);
        EXPECT_EQ(PixelAt(image, 100, 0), *wxBLACK);
        EXPECT_EQ(PixelAt(image, 1, 14), *wxBLACK);
        EXPECT_EQ(PixelAt(image, 101, 0), TestColours().m_buttonShadow);
        EXPECT_EQ(PixelAt(image, 101, 15), TestColours().m_buttonShadow);
        EXPECT_EQ(PixelAt(image, 1, 15), TestColours().m_buttonShadow);
        // Inside the frame: trough grey only, no fill and no text.
        for (int y = 1; y < 15; ++y) {
            for (int x = 2; x < 101; ++x) {
                ASSERT_EQ(PixelAt(image, x, y), kProgressTroughColour) << x << "," << y;
            }
        }
    }
}

TEST(ProgressCell, HalfOfABar101PixelsWideFills49PixelsAfterTheFrame) {
    // The bar is one pixel narrower than its cell.
    const wxImage image = RenderProgress(wxRect(0, 0, 102, 17), 50, false);
    for (int x = 2; x <= 50; ++x) {
        EXPECT_EQ(PixelAt(image, x, 5), TestColours().m_highlight) << x;
    }
    EXPECT_EQ(PixelAt(image, 51, 5), kProgressTroughColour);
    // The fill keeps off the frame.
    EXPECT_EQ(PixelAt(image, 2, 0), *wxBLACK);
    EXPECT_EQ(PixelAt(image, 2, 15), TestColours().m_buttonShadow);
}

TEST(ProgressCell, FullAndOverfullValuesStopAtTheFrame) {
    for (int value : {100, 250}) {
        const wxImage image = RenderProgress(wxRect(0, 0, 102, 17), value, false);
        EXPECT_EQ(PixelAt(image, 100, 5), TestColours().m_highlight) << value;
        EXPECT_EQ(PixelAt(image, 101, 5), TestColours().m_buttonShadow) << value;
        EXPECT_EQ(PixelAt(image, 102, 5), kUntouched) << value;
    }
}

TEST(ProgressCell, TextChangesColourExactlyAtTheFillEdge) {
    const wxRect cell(0, 0, 121, 24);
    const wxImage image = RenderProgress(cell, 50, true);
    const int fillEdge = 1 + (119 * 50) / 100;  // first pixel after the fill
    auto isOverFillText = [](const wxColour& c) {
        return c.Red() > 200 && c.Green() > 200 && c.Blue() < 80;
    };
    auto isCellText = [](const wxColour& c) {
        return c.Red() > 200 && c.Green() < 80 && c.Blue() < 80;
    };
    int overFill = 0;
    int elsewhere = 0;
    for (int y = 1; y < 22; ++y) {
        for (int x = 2; x < 120; ++x) {
            const wxColour pixel = PixelAt(image, x, y);
            if (x < fillEdge) {
                EXPECT_FALSE(isCellText(pixel)) << x << "," << y;
                overFill += isOverFillText(pixel);
            } else {
                EXPECT_FALSE(isOverFillText(pixel)) << x << "," << y;
                elsewhere += isCellText(pixel);
            }
        }
    }
    EXPECT_GT(overFill, 0);
    EXPECT_GT(elsewhere, 0);
}

TEST(ProgressCell, FormatPrintsTheValue) {
    CellData data;
    data.m_progressValue = 42;
    EXPECT_EQ(ProgressText(data), "42%");
    data.m_progressFormat = "%d of 100";
    EXPECT_EQ(ProgressText(data), "42 of 100");
}

namespace {

std::set<std::pair<int, int>> TickPixels(const wxImage& image) {
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (PixelAt(image, x, y) == kCheckMarkColour) {
                pixels.insert({x, y});
            }
        }
    }
    return pixels;
}

std::set<std::pair<int, int>> ExpectedTick(int left, int top) {
    const int strokes[][2] = {{9, 3}, {8, 4}, {7, 5}, {6, 6}, {5, 7}, {4, 6}, {3, 5}};
    std::set<std::pair<int, int>> pixels;
    for (const auto& stroke : strokes) {
        for (int dy = 0; dy < 3; ++dy) {
            pixels.insert({left + stroke[0], top + stroke[1] + dy});
        }
    }
    return pixels;
}

}  // namespace

TEST(CheckboxCell, AThirteenPixelBoxSitsNineInCentredInRowsOfAnyHeightWithItsTickCentred) {
    const CellColours own{*wxBLACK, *wxWHITE};
    for (int height : {17, 24}) {
        const wxRect cell(0, 0, 120, height);
        const int top = (height - 13) / 2;
        EXPECT_EQ(CheckBoxRect(cell, false, kCheckBoxSize), wxRect(9, top, 13, 13)) << height;
        const wxImage checked = Render(122, height + 2, [&](wxDC& dc) {
            DrawCheckboxCell(dc, cell, "clip.avi", 1, own, TestColours(), true, kCheckBoxSize);
        });
        EXPECT_EQ(PixelAt(checked, 9, top), kCheckBoxFrameColour) << height;
        EXPECT_EQ(PixelAt(checked, 21, top + 12), kCheckBoxFrameColour) << height;
        EXPECT_EQ(PixelAt(checked, 9, top - 1), *wxWHITE) << height;
        EXPECT_EQ(PixelAt(checked, 22, top + 6), *wxWHITE) << height;
        EXPECT_EQ(PixelAt(checked, 9, top + 13), *wxWHITE) << height;
        // The tick's 7 x 7 square lies 3 pixels inside the box on every side.
        EXPECT_EQ(TickPixels(checked), ExpectedTick(9, top)) << height;

        const wxImage unchecked = Render(122, height + 2, [&](wxDC& dc) {
            DrawCheckboxCell(dc, cell, "clip.avi", 0, own, TestColours(), true, kCheckBoxSize);
        });
        EXPECT_TRUE(TickPixels(unchecked).empty()) << height;
        // The click square keeps to the cell's full height.
        EXPECT_EQ(CheckBoxHitSquare(cell), wxRect(9, 0, height, height)) << height;
    }
}

TEST(CheckboxCell, EmptyTextCentresTheBoxButTheHitSquareStaysLeft) {
    const wxRect cell(100, 20, 60, 17);
    const wxImage image = Render(170, 40, [&](wxDC& dc) {
        DrawCheckboxCell(dc, cell, "", 1, {*wxBLACK, *wxWHITE}, TestColours(), true, kCheckBoxSize);
    });
    const int left = 100 + 60 / 2 - 13 / 2 - 1;
    EXPECT_EQ(CheckBoxRect(cell, true, kCheckBoxSize), wxRect(left, 22, 13, 13));
    EXPECT_EQ(PixelAt(image, left, 22), kCheckBoxFrameColour);
    EXPECT_EQ(PixelAt(image, left + 12, 34), kCheckBoxFrameColour);
    EXPECT_EQ(PixelAt(image, left - 1, 28), *wxWHITE);
    EXPECT_EQ(TickPixels(image), ExpectedTick(left, 22));

    EXPECT_EQ(CheckBoxHitSquare(cell), wxRect(109, 20, 17, 17));
}

TEST(CheckboxCell, ABoxScaledForTheDisplayScalesItsTickAndKeepsItCentred) {
    const wxImage image = Render(30, 30, [](wxDC& dc) { DrawCheckMark(dc, wxRect(2, 2, 26, 26)); });
    std::set<std::pair<int, int>> expected;
    for (const auto& [x, y] : ExpectedTick(0, 0)) {
        // Each pixel of the 13-pixel tick becomes a 2 x 2 square, centred in the larger box.
        for (int dx = 0; dx < 2; ++dx) {
            for (int dy = 0; dy < 2; ++dy) {
                expected.insert({2 + 6 + 2 * (x - 3) + dx, 2 + 6 + 2 * (y - 3) + dy});
            }
        }
    }
    EXPECT_EQ(TickPixels(image), expected);
}
