#include "SkinSlider.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "DrawingPrimitives.h"
#include "WxTestEnvironment.h"

namespace tarv {
namespace {

using testing::PixelAt;
using testing::PumpEvents;

// The pictures of the program's slider, built here: the slider reads each one's transparent
// colour from its top-left pixel.
constexpr int kChannel = 133;
constexpr int kActiveChannel = 134;
constexpr int kThumb = 135;
constexpr int kActiveThumb = 132;

const wxColour kKey(255, 0, 255);
const wxColour kBackground(200, 200, 200);
const wxColour kGroove(64, 64, 64);
const wxColour kPlayedGroove(0, 160, 0);
const wxColour kThumbBody(0, 0, 255);
const wxColour kDraggedThumbBody(255, 128, 0);

// 151 x 15: the groove fills rows 5..9; everything else is transparent.
wxBitmap Channel(const wxColour& groove) {
    wxBitmap bitmap = testing::FilledBitmap(151, 15, kKey);
    wxMemoryDC dc(bitmap);
    FillSolidRect(dc, wxRect(0, 5, 151, 5), groove);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

// 21 x 10: the body fills columns 1..19; the first and last columns are transparent.
wxBitmap Thumb(const wxColour& body) {
    wxBitmap bitmap = testing::FilledBitmap(21, 10, kKey);
    wxMemoryDC dc(bitmap);
    FillSolidRect(dc, wxRect(1, 0, 19, 10), body);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

wxBitmap LoadPicture(int id) {
    switch (id) {
        case kChannel:
            return Channel(kGroove);
        case kActiveChannel:
            return Channel(kPlayedGroove);
        case kThumb:
            return Thumb(kThumbBody);
        case kActiveThumb:
            return Thumb(kDraggedThumbBody);
        default:
            return wxBitmap();
    }
}

TEST(SliderMetricsTest, ProgramSetUpPutsTheEndsOfTheRangeAtPixels12And138) {
    const SliderMetrics metrics{0, 99, 151, 21, 2, 2};
    EXPECT_EQ(SliderPixelOfPosition(metrics, 0), 12);
    EXPECT_EQ(SliderPixelOfPosition(metrics, 99), 138);
    EXPECT_EQ(SliderPixelOfPosition(metrics, 50), 2 + 63 + 10);
    EXPECT_EQ(SliderPositionOfPixel(metrics, 12), 0);
    EXPECT_EQ(SliderPositionOfPixel(metrics, 138), 99);
    EXPECT_EQ(SliderPositionOfPixel(metrics, 139), 99);
    EXPECT_EQ(SliderPositionOfPixel(metrics, 75), 49);  // 63 / 126 * 99 = 49.5
}

TEST(SliderMetricsTest, DegenerateGeometryDividesByNothing) {
    EXPECT_EQ(SliderPositionOfPixel(SliderMetrics{0, 99, 20, 21, 2, 2}, 40), 0);
    EXPECT_EQ(SliderPixelOfPosition(SliderMetrics{5, 5, 151, 21, 2, 2}, 5), 12);
}

class SkinSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "slider", wxDefaultPosition, wxSize(300, 200));
        m_panel = new wxPanel(m_frame);
        m_panel->SetBackgroundColour(kBackground);
        // The size of the control the form places, which the channel overrides.
        m_slider = new CSkinSlider(m_panel, kId, wxPoint(10, 10), wxSize(101, 15));
        m_panel->Bind(WM_SLIDER_MOVING, [this](wxCommandEvent& event) {
            m_posted.push_back({"moving", event.GetId(), event.GetInt()});
        });
        m_panel->Bind(WM_SLIDER_MOVED, [this](wxCommandEvent& event) {
            m_posted.push_back({"moved", event.GetId(), event.GetInt()});
        });
        m_frame->Show();
        PumpEvents(50);
    }
    void TearDown() override {
        m_frame->Destroy();
        PumpEvents(20);
    }

    // The form's set-up of the preview slider.
    void SetUpAsTheProgramDoes() {
        m_slider->SetBitmapLoader(LoadPicture);
        ASSERT_TRUE(m_slider->SetChannelBitmaps(kChannel, kActiveChannel, true, wxColour(), 0, 0));
        ASSERT_TRUE(m_slider->SetThumbBitmaps(kThumb, kActiveThumb, true, wxColour(), 0, 0));
        m_slider->SetDrawFocusRect(false);
        m_slider->SetRange(0, 99);
        m_slider->SetPos(0);
        m_slider->SetMargins(2, 3, 2, 0);
    }

    wxImage Render() {
        wxBitmap bitmap(151, 15, 24);
        wxMemoryDC dc(bitmap);
        m_slider->DrawSlider(dc);
        dc.SelectObject(wxNullBitmap);
        return bitmap.ConvertToImage();
    }

    void Mouse(wxEventType type, int x) {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, 7));
        event.SetLeftDown(type != wxEVT_LEFT_UP);
        event.SetEventObject(m_slider);
        m_slider->ProcessWindowEvent(event);
    }

    void Key(int keyCode) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = keyCode;
        event.SetEventObject(m_slider);
        m_slider->ProcessWindowEvent(event);
    }

    // What reached the parent, once the queue has been worked off.
    struct Posted {
        std::string what;
        int id;
        int position;
        bool operator==(const Posted&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Posted& posted) {
            return out << posted.what << "(" << posted.id << ", " << posted.position << ")";
        }
    };
    std::vector<Posted> Delivered() {
        PumpEvents(20);
        return std::exchange(m_posted, {});
    }
    static Posted Moving(int position) { return {"moving", kId, position}; }
    static Posted Moved(int position) { return {"moved", kId, position}; }

    static constexpr int kId = 1014;
    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    CSkinSlider* m_slider = nullptr;
    std::vector<Posted> m_posted;
};

TEST_F(SkinSliderTest, SettingTheChannelResizesTheControlToIt) {
    SetUpAsTheProgramDoes();
    EXPECT_EQ(m_slider->GetSize(), wxSize(151, 15));
    EXPECT_EQ(m_slider->GetPosition(), wxPoint(10, 10));
}

TEST_F(SkinSliderTest, ThumbAtPositionZeroIsCentredAtPixel12WithItsTopAtRow3) {
    SetUpAsTheProgramDoes();
    const wxImage image = Render();
    // The thumb spans x 2..22; its body x 3..21, rows 3..12.
    EXPECT_EQ(PixelAt(image, 12, 3), kThumbBody);
    EXPECT_EQ(PixelAt(image, 3, 12), kThumbBody);
    EXPECT_EQ(PixelAt(image, 21, 3), kThumbBody);
    EXPECT_EQ(PixelAt(image, 12, 2), kBackground);
    EXPECT_EQ(PixelAt(image, 12, 13), kBackground);
    // Where both pictures are transparent the parent shows; where the thumb is, the groove.
    EXPECT_EQ(PixelAt(image, 2, 4), kBackground);
    EXPECT_EQ(PixelAt(image, 2, 7), kPlayedGroove);
    EXPECT_EQ(PixelAt(image, 22, 7), kGroove);
    EXPECT_EQ(PixelAt(image, 60, 7), kGroove);
    EXPECT_EQ(PixelAt(image, 60, 0), kBackground);
}

TEST_F(SkinSliderTest, ThumbAtPosition99IsCentredAtPixel138AndTheGrooveLeftOfItIsPlayed) {
    SetUpAsTheProgramDoes();
    m_slider->SetPos(99);
    const wxImage image = Render();
    EXPECT_EQ(PixelAt(image, 138, 3), kThumbBody);
    EXPECT_EQ(PixelAt(image, 129, 3), kThumbBody);
    EXPECT_EQ(PixelAt(image, 147, 3), kThumbBody);
    EXPECT_EQ(PixelAt(image, 128, 3), kBackground);
    EXPECT_EQ(PixelAt(image, 60, 7), kPlayedGroove);
    EXPECT_EQ(PixelAt(image, 128, 7), kPlayedGroove);
    EXPECT_EQ(PixelAt(image, 148, 7), kGroove);
}

TEST_F(SkinSliderTest, OnASurfaceAtTwiceTheScaleItDrawsThePicturesMadeForIt) {
    // The channel comes with a picture for 200 % whose groove has a thin edge no picture at
    // 100 % can show; the thumb has none and is drawn doubled.
    const wxColour edge(255, 255, 255);
    m_slider->SetBitmapLoader([&](int id) -> wxBitmapBundle {
        if (id != kChannel && id != kActiveChannel) {
            return LoadPicture(id);
        }
        wxBitmap sharp = testing::FilledBitmap(302, 30, kKey);
        {
            wxMemoryDC dc(sharp);
            FillSolidRect(dc, wxRect(0, 10, 302, 10), id == kChannel ? kGroove : kPlayedGroove);
            FillSolidRect(dc, wxRect(0, 10, 302, 1), edge);
        }
        return wxBitmapBundle::FromBitmaps(LoadPicture(id), sharp);
    });
    ASSERT_TRUE(m_slider->SetChannelBitmaps(kChannel, kActiveChannel, true, wxColour(), 0, 0));
    ASSERT_TRUE(m_slider->SetThumbBitmaps(kThumb, kActiveThumb, true, wxColour(), 0, 0));
    m_slider->SetRange(0, 99);
    m_slider->SetMargins(2, 3, 2, 0);
    EXPECT_EQ(m_slider->GetSize(), wxSize(151, 15));

    wxBitmap surface;
    surface.CreateWithDIPSize(wxSize(151, 15), 2.0, 24);
    {
        wxMemoryDC dc(surface);
        m_slider->DrawSlider(dc);
    }
    const wxImage image = surface.ConvertToImage();
    ASSERT_EQ(image.GetSize(), wxSize(302, 30));
    EXPECT_EQ(PixelAt(image, 120, 10), edge);
    EXPECT_EQ(PixelAt(image, 120, 11), kGroove);
    EXPECT_EQ(PixelAt(image, 120, 9), kBackground);
    EXPECT_EQ(PixelAt(image, 120, 20), kBackground);
    // The thumb at position 0, centred at 12 with its top at row 3, in pixels twice as small.
    EXPECT_EQ(PixelAt(image, 24, 6), kThumbBody);
    EXPECT_EQ(PixelAt(image, 6, 24), kThumbBody);
    EXPECT_EQ(PixelAt(image, 24, 5), kBackground);
}

TEST_F(SkinSliderTest, DraggedThumbShowsItsActivePicture) {
    SetUpAsTheProgramDoes();
    Mouse(wxEVT_LEFT_DOWN, 12);
    EXPECT_EQ(PixelAt(Render(), 12, 3), kDraggedThumbBody);
    Mouse(wxEVT_LEFT_UP, 12);
    EXPECT_EQ(PixelAt(Render(), 12, 3), kThumbBody);
}

TEST_F(SkinSliderTest, DraggingPastEitherEndStopsAtTheEndsOfTheRange) {
    SetUpAsTheProgramDoes();
    Mouse(wxEVT_LEFT_DOWN, 12);
    Mouse(wxEVT_MOTION, 139);
    EXPECT_EQ(m_slider->GetPos(), 99);
    Mouse(wxEVT_MOTION, 400);
    EXPECT_EQ(m_slider->GetPos(), 99);
    Mouse(wxEVT_MOTION, 12);
    EXPECT_EQ(m_slider->GetPos(), 0);
    Mouse(wxEVT_MOTION, 60);
    Mouse(wxEVT_MOTION, -30);
    EXPECT_EQ(m_slider->GetPos(), 0);
    Mouse(wxEVT_LEFT_UP, -30);
    EXPECT_FALSE(m_slider->IsDragging());
}

TEST_F(SkinSliderTest, PressBesideTheThumbJumpsAndPostsMovingAfterThePressIsHandled) {
    SetUpAsTheProgramDoes();
    Mouse(wxEVT_LEFT_DOWN, 80);
    const int expected = SliderPositionOfPixel({0, 99, 151, 21, 2, 2}, 80);
    EXPECT_EQ(m_slider->GetPos(), expected);
    // Posted, not sent: nothing has reached the parent yet.
    EXPECT_TRUE(m_posted.empty());
    EXPECT_EQ(Delivered(), std::vector<Posted>{Moving(expected)});
    Mouse(wxEVT_LEFT_UP, 80);
    EXPECT_EQ(Delivered(), std::vector<Posted>{Moved(expected)});
}

TEST_F(SkinSliderTest, PressOnTheThumbKeepsItsGripAndPostsNothingUntilThePointerMoves) {
    SetUpAsTheProgramDoes();
    Mouse(wxEVT_LEFT_DOWN, 15);
    EXPECT_EQ(m_slider->GetPos(), 0);
    EXPECT_TRUE(Delivered().empty());
    // Gripped 3 pixels right of the centre, so the centre goes to 22.
    Mouse(wxEVT_MOTION, 25);
    const int expected = SliderPositionOfPixel({0, 99, 151, 21, 2, 2}, 22);
    EXPECT_EQ(Delivered(), std::vector<Posted>{Moving(expected)});
    Mouse(wxEVT_LEFT_UP, 25);
    EXPECT_EQ(Delivered(), std::vector<Posted>{Moved(expected)});
}

TEST_F(SkinSliderTest, ReleaseAlwaysPostsMoved) {
    SetUpAsTheProgramDoes();
    Mouse(wxEVT_LEFT_DOWN, 12);
    Mouse(wxEVT_LEFT_UP, 12);
    EXPECT_EQ(Delivered(), std::vector<Posted>{Moved(0)});
}

TEST_F(SkinSliderTest, NavigationKeysMoveWithinTheRangeAndAlwaysPostMoved) {
    SetUpAsTheProgramDoes();
    Key(WXK_END);
    EXPECT_EQ(Delivered(), std::vector<Posted>{Moved(99)});
    m_slider->SetPos(90);
    Key(WXK_PAGEDOWN);
    EXPECT_EQ(Delivered(), std::vector<Posted>{Moved(99)});
    Key(WXK_HOME);
    Key(WXK_HOME);
    EXPECT_EQ(Delivered(), (std::vector<Posted>{Moved(0), Moved(0)}));
    m_slider->SetPos(10);
    Key(WXK_PAGEUP);
    Key(WXK_RIGHT);
    Key(WXK_DOWN);
    Key(WXK_LEFT);
    Key(WXK_UP);
    Key(WXK_UP);
    EXPECT_EQ(Delivered(),
              (std::vector<Posted>{Moved(0), Moved(1), Moved(2), Moved(1), Moved(0), Moved(0)}));
    Key('A');
    EXPECT_TRUE(Delivered().empty());
}

TEST_F(SkinSliderTest, SetPositionClampsToTheRange) {
    SetUpAsTheProgramDoes();
    m_slider->SetPos(150);
    EXPECT_EQ(m_slider->GetPos(), 99);
    m_slider->SetPos(-5);
    EXPECT_EQ(m_slider->GetPos(), 0);
    EXPECT_TRUE(Delivered().empty());
}

TEST_F(SkinSliderTest, RealPointerDragHoldsTheThumbOutsideTheControlUntilRelease) {
    SetUpAsTheProgramDoes();
    const wxPoint origin = m_slider->GetScreenPosition();
    wxUIActionSimulator simulator;
    simulator.MouseMove(origin + wxPoint(80, 7));
    PumpEvents(50);
    simulator.MouseDown();
    PumpEvents(50);
    simulator.MouseMove(origin + wxPoint(250, 40));
    PumpEvents(50);
    EXPECT_TRUE(m_slider->IsDragging());
    EXPECT_EQ(m_slider->GetPos(), 99);
    simulator.MouseUp();
    PumpEvents(50);
    EXPECT_FALSE(m_slider->IsDragging());
    const std::vector<Posted> posted = Delivered();
    ASSERT_GE(posted.size(), 3u);
    EXPECT_EQ(posted.front().what, "moving");
    EXPECT_EQ(posted[posted.size() - 2], Moving(99));
    EXPECT_EQ(posted.back(), Moved(99));
}

TEST_F(SkinSliderTest, TypedKeysReachTheSliderAndTabMovesTheFocusOn) {
    SetUpAsTheProgramDoes();
    auto* next = new wxTextCtrl(m_panel, wxID_ANY, "", wxPoint(10, 40));
    m_slider->SetFocus();
    PumpEvents(50);
    ASSERT_EQ(wxWindow::FindFocus(), m_slider);
    wxUIActionSimulator simulator;
    simulator.Char(WXK_RIGHT);
    simulator.Char(WXK_END);
    PumpEvents(50);
    EXPECT_EQ(Delivered(), (std::vector<Posted>{Moved(1), Moved(99)}));
    simulator.Char(WXK_TAB);
    PumpEvents(50);
    EXPECT_EQ(wxWindow::FindFocus(), next);
    EXPECT_TRUE(Delivered().empty());
}

TEST_F(SkinSliderTest, PictureThatDoesNotLoadFailsAndLeavesNoChannel) {
    SetUpAsTheProgramDoes();
    EXPECT_FALSE(m_slider->SetChannelBitmaps(kChannel, 999, true));
    const wxImage image = Render();
    EXPECT_EQ(PixelAt(image, 60, 7), kBackground);
    EXPECT_EQ(PixelAt(image, 12, 3), kThumbBody);
}

}  // namespace
}  // namespace tarv
