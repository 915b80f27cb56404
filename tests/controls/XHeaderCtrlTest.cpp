#include "XHeaderCtrl.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/headerctrl.h>
#include <wx/panel.h>
#include <wx/settings.h>

#include <vector>

#include "DrawingPrimitives.h"
#include "WxTestEnvironment.h"

using namespace tarv;
using tarv::testing::FilledBitmap;
using tarv::testing::PixelAt;
using tarv::testing::PumpEvents;

namespace {

constexpr int kHeight = 20;

class HeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "header", wxPoint(0, 0), wxSize(400, 100));
        // A frame stretches a lone child over its client area; a panel keeps the header's size.
        auto* panel = new wxPanel(m_frame);
        m_header = new CXHeaderCtrl(panel, wxID_ANY, wxPoint(0, 0), wxSize(300, kHeight));
        AddItem(120, "Original file", wxALIGN_LEFT, 0);
        AddItem(80, "Size", wxALIGN_CENTER_HORIZONTAL, 0);
        AddItem(60, "Status", wxALIGN_CENTER_HORIZONTAL, 0);
        m_frame->Show();
        PumpEvents();
        m_frame->Bind(wxEVT_HEADER_CLICK,
                      [this](wxHeaderCtrlEvent& event) { m_clicks.push_back(event.GetColumn()); });
    }
    void TearDown() override { m_frame->Destroy(); }

    void AddItem(int width, const wxString& text, int alignment, int image) {
        HeaderItem item;
        item.m_width = width;
        item.m_text = text;
        item.m_alignment = alignment;
        item.m_image = image;
        m_header->InsertItem(m_header->GetItemCount(), item);
    }

    void SetImage(int index, int image) {
        HeaderItem item = *m_header->GetItem(index);
        item.m_image = image;
        m_header->SetItem(index, item);
    }

    wxImage Render() {
        wxBitmap bitmap = FilledBitmap(300, kHeight, wxColour(255, 0, 255));
        {
            wxMemoryDC dc(bitmap);
            m_header->DrawHeader(dc);
        }
        return bitmap.ConvertToImage();
    }

    void Mouse(wxEventType type, int x, bool leftDown) {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, kHeight / 2));
        event.SetLeftDown(leftDown);
        event.SetEventObject(m_header);
        m_header->ProcessWindowEvent(event);
    }

    // The leftmost column of the first item, right of its box, where text ink shows.
    int FirstTextColumn(const wxImage& image) {
        const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
        for (int x = 20; x < 118; ++x) {
            for (int y = 3; y < kHeight - 3; ++y) {
                const wxColour pixel = PixelAt(image, x, y);
                if (pixel != face && pixel != kCheckBoxFrameColour && pixel != *wxWHITE &&
                    pixel.Red() + pixel.Green() + pixel.Blue() < 3 * 200) {
                    return x;
                }
            }
        }
        return -1;
    }

    wxFrame* m_frame = nullptr;
    CXHeaderCtrl* m_header = nullptr;
    std::vector<int> m_clicks;
};

}  // namespace

TEST_F(HeaderTest, CheckStateOneShowsAnEmptyBoxAndMovesTheText19PixelsRight) {
    // Render the text without a box first, at its own start.
    const wxImage plain = Render();
    SetImage(0, 1);
    const wxImage boxed = Render();

    // A 13-pixel box, vertically centred, after the item's 6-pixel margin.
    const int top = (kHeight - 13) / 2;
    EXPECT_EQ(PixelAt(boxed, 6, top), kCheckBoxFrameColour);
    EXPECT_EQ(PixelAt(boxed, 18, top + 12), kCheckBoxFrameColour);
    EXPECT_EQ(PixelAt(boxed, 12, top + 6), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    EXPECT_EQ(PixelAt(boxed, 15, top + 4), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));

    // FirstTextColumn skips the box area, so measure the plain text from its own start.
    int plainStart = -1;
    for (int x = 0; x < 118 && plainStart < 0; ++x) {
        for (int y = 3; y < kHeight - 3; ++y) {
            const wxColour p = PixelAt(plain, x, y);
            if (p.Red() + p.Green() + p.Blue() < 3 * 200) {
                plainStart = x;
                break;
            }
        }
    }
    ASSERT_GE(plainStart, 6);
    EXPECT_EQ(FirstTextColumn(boxed) - plainStart, 19);
}

TEST_F(HeaderTest, CheckStateTwoDrawsTheGreenTick) {
    SetImage(0, 2);
    const wxImage image = Render();
    const int left = 6;
    const int top = (kHeight - 13) / 2;
    const int strokes[][2] = {{9, 3}, {8, 4}, {7, 5}, {6, 6}, {5, 7}, {4, 6}, {3, 5}};
    int tickPixels = 0;
    for (const auto& stroke : strokes) {
        for (int dy = 0; dy < 3; ++dy) {
            EXPECT_EQ(PixelAt(image, left + stroke[0], top + stroke[1] + dy), kCheckMarkColour);
        }
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < 300; ++x) {
            tickPixels += PixelAt(image, x, y) == kCheckMarkColour;
        }
    }
    EXPECT_EQ(tickPixels, 21);
}

TEST_F(HeaderTest, DividersSitBetweenColumnsAndTheFrameEndsWithTheLast) {
    const wxImage image = Render();
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    for (int x : {120, 200}) {
        EXPECT_EQ(PixelAt(image, x - 1, 2), shadow) << x;
        EXPECT_EQ(PixelAt(image, x - 1, kHeight - 3), shadow) << x;
        EXPECT_EQ(PixelAt(image, x, 10), highlight) << x;
        EXPECT_EQ(PixelAt(image, x - 1, 1), face) << x;
    }
    // The last column ends in the frame's shadow edge, and nothing is drawn beyond it.
    EXPECT_EQ(PixelAt(image, 259, 10), shadow);
    EXPECT_EQ(PixelAt(image, 258, 10), face);
    EXPECT_EQ(PixelAt(image, 260, 10), face);
    EXPECT_EQ(PixelAt(image, 260, 0), face);
    EXPECT_EQ(PixelAt(image, 258, 0), highlight);
    EXPECT_EQ(PixelAt(image, 0, 10), highlight);
    EXPECT_EQ(PixelAt(image, 100, kHeight - 1), shadow);
}

TEST_F(HeaderTest, DoubleClickCountsAsTwoClicks) {
    Mouse(wxEVT_LEFT_DOWN, 150, true);
    Mouse(wxEVT_LEFT_UP, 150, false);
    Mouse(wxEVT_LEFT_DCLICK, 150, true);
    Mouse(wxEVT_LEFT_UP, 150, false);
    EXPECT_EQ(m_clicks, (std::vector<int>{1, 1}));
}

TEST_F(HeaderTest, DraggingADividerChangesNoWidthAndShowsNoResizeCursor) {
    Mouse(wxEVT_LEFT_DOWN, 119, true);
    Mouse(wxEVT_MOTION, 160, true);
    Mouse(wxEVT_LEFT_UP, 160, false);
    EXPECT_EQ(m_header->GetItem(0)->m_width, 120);
    EXPECT_EQ(m_header->GetItem(1)->m_width, 80);
    EXPECT_FALSE(m_header->GetCursor().IsOk());
    // Let go over another column: not a click either.
    EXPECT_TRUE(m_clicks.empty());
}
