#include "ImageButton.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "DrawingPrimitives.h"
#include "WxTestEnvironment.h"

namespace tarv {
namespace {

using testing::PixelAt;
using testing::PumpEvents;

const wxColour kKey(255, 0, 0);
const wxColour kInk(0, 128, 0);
const wxColour kPanelColour(230, 225, 200);
constexpr int kButtonWidth = 30;
constexpr int kButtonHeight = 20;

// A 10 x 8 picture on the transparent colour with an ink block at x 2..7, y 2..5.
wxBitmap Picture() {
    wxBitmap bitmap = testing::FilledBitmap(10, 8, kKey);
    wxMemoryDC dc(bitmap);
    FillSolidRect(dc, wxRect(2, 2, 6, 4), kInk);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

class ImageButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "buttons", wxDefaultPosition, wxSize(300, 200));
        m_panel = new wxPanel(m_frame);
        m_panel->SetBackgroundColour(kPanelColour);
        m_before = new wxTextCtrl(m_panel, wxID_ANY, "", wxPoint(0, 100), wxSize(80, 30));
        m_button = new CImageButton(m_panel, kId, "", wxPoint(20, 20),
                                    wxSize(kButtonWidth, kButtonHeight));
        m_after = new wxTextCtrl(m_panel, wxID_ANY, "", wxPoint(100, 100), wxSize(80, 30));
        m_panel->Bind(wxEVT_BUTTON,
                      [this](wxCommandEvent& event) { m_clickIds.push_back(event.GetId()); });
        m_frame->Show();
        PumpEvents(100);
        m_face = kPanelColour;
        m_highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
        m_shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
        // The frame tests below tell these apart.
        ASSERT_NE(m_face, m_highlight);
        ASSERT_NE(m_face, m_shadow);
    }
    void TearDown() override {
        m_frame->Destroy();
        PumpEvents(20);
    }

    wxImage Render() {
        wxBitmap bitmap(kButtonWidth, kButtonHeight, 24);
        wxMemoryDC dc(bitmap);
        m_button->DrawItem(dc);
        dc.SelectObject(wxNullBitmap);
        return bitmap.ConvertToImage();
    }

    void Mouse(wxEventType type, int x, int y, bool leftDown = false) {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, y));
        event.SetLeftDown(leftDown);
        event.SetEventObject(m_button);
        m_button->ProcessWindowEvent(event);
    }

    void Key(wxEventType type, int keyCode) {
        wxKeyEvent event(type);
        event.m_keyCode = keyCode;
        event.SetEventObject(m_button);
        m_button->ProcessWindowEvent(event);
    }

    static constexpr int kId = 1015;
    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    wxTextCtrl* m_before = nullptr;
    CImageButton* m_button = nullptr;
    wxTextCtrl* m_after = nullptr;
    std::vector<int> m_clickIds;
    wxColour m_face;
    wxColour m_highlight;
    wxColour m_shadow;
};

TEST_F(ImageButtonTest, PictureOnlyButtonCentresItsPictureAndShowsTheFaceThroughItsKeyColour) {
    ASSERT_EQ(m_button->SetBitmaps(Picture(), kKey), CImageButton::kBitmapsOk);
    const wxImage image = Render();
    // The picture lies at (10, 6): the ink block at x 12..17, y 8..11.
    EXPECT_EQ(PixelAt(image, 12, 8), kInk);
    EXPECT_EQ(PixelAt(image, 17, 11), kInk);
    EXPECT_EQ(PixelAt(image, 11, 8), m_face);
    EXPECT_EQ(PixelAt(image, 18, 11), m_face);
    EXPECT_EQ(PixelAt(image, 12, 7), m_face);
    EXPECT_EQ(PixelAt(image, 12, 12), m_face);
    // At rest there is no frame.
    EXPECT_EQ(PixelAt(image, 0, 0), m_face);
    EXPECT_EQ(PixelAt(image, kButtonWidth - 1, kButtonHeight - 1), m_face);
}

TEST_F(ImageButtonTest, CaptionIsSmoothedLikeAnyLabelWhileTheFrameStaysCrisp) {
    auto* browse =
        new CImageButton(m_panel, wxID_ANY, "Browse...", wxPoint(0, 150), wxSize(75, 23));
    browse->SetFont(wxFont(wxFontInfo(8).FaceName("Liberation Sans")));
    wxMouseEvent over(wxEVT_MOTION);
    over.SetPosition(wxPoint(5, 5));
    browse->ProcessWindowEvent(over);
    ASSERT_TRUE(browse->IsHovered());
    wxBitmap bitmap(75, 23, 24);
    {
        wxMemoryDC dc(bitmap);
        browse->DrawItem(dc);
    }
    const wxImage image = bitmap.ConvertToImage();
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    // Smoothed glyphs have edge pixels between the text colour and the face; unsmoothed ones
    // have none, and their strokes run together.
    int edges = 0;
    for (int y = 1; y < 22; ++y) {
        for (int x = 1; x < 74; ++x) {
            const wxColour pixel = PixelAt(image, x, y);
            edges += pixel != m_face && pixel != text;
        }
    }
    EXPECT_GT(edges, 40);
    // The frame is one pixel wide, with no smoothing into its neighbours.
    EXPECT_EQ(PixelAt(image, 0, 11), m_highlight);
    EXPECT_EQ(PixelAt(image, 1, 11), m_face);
    EXPECT_EQ(PixelAt(image, 74, 11), m_shadow);
    EXPECT_EQ(PixelAt(image, 73, 11), m_face);
    EXPECT_EQ(PixelAt(image, 37, 22), m_shadow);
    EXPECT_EQ(PixelAt(image, 37, 21), m_face);
}

TEST_F(ImageButtonTest, OnASurfaceAtTwiceTheScaleItDrawsThePictureMadeForIt) {
    // The picture for 200 % has a dot no picture at 100 % can show.
    const wxColour dot(0, 0, 255);
    wxBitmap sharp = testing::FilledBitmap(20, 16, kKey);
    {
        wxMemoryDC dc(sharp);
        FillSolidRect(dc, wxRect(4, 4, 12, 8), kInk);
        FillSolidRect(dc, wxRect(5, 5, 1, 1), dot);
    }
    ASSERT_EQ(m_button->SetBitmaps(wxBitmapBundle::FromBitmaps(Picture(), sharp), kKey),
              CImageButton::kBitmapsOk);
    wxBitmap surface;
    surface.CreateWithDIPSize(wxSize(kButtonWidth, kButtonHeight), 2.0, 24);
    {
        wxMemoryDC dc(surface);
        m_button->DrawItem(dc);
    }
    const wxImage image = surface.ConvertToImage();
    ASSERT_EQ(image.GetSize(), wxSize(2 * kButtonWidth, 2 * kButtonHeight));
    // The picture lies at (10, 6), which is (20, 12) in the finer pixels.
    EXPECT_EQ(PixelAt(image, 25, 17), dot);
    EXPECT_EQ(PixelAt(image, 24, 16), kInk);
    EXPECT_EQ(PixelAt(image, 35, 23), kInk);
    EXPECT_EQ(PixelAt(image, 23, 15), m_face);
    EXPECT_EQ(PixelAt(image, 36, 24), m_face);
}

TEST_F(ImageButtonTest, FaceWithoutAPanelColourIsTheTopLevelWindowsBackground) {
    m_frame->SetBackgroundColour(wxColour(10, 20, 30));
    m_panel->SetBackgroundColour(wxNullColour);
    EXPECT_EQ(PixelAt(Render(), 5, 5), wxColour(10, 20, 30));
}

TEST_F(ImageButtonTest, PressedButtonIsSunkenWithThePictureMovedOneRightAndDown) {
    m_button->SetBitmaps(Picture(), kKey);
    Mouse(wxEVT_MOTION, 5, 5);
    Mouse(wxEVT_LEFT_DOWN, 5, 5, true);
    ASSERT_TRUE(m_button->IsPressed());
    const wxImage image = Render();
    EXPECT_EQ(PixelAt(image, 13, 9), kInk);
    EXPECT_EQ(PixelAt(image, 18, 12), kInk);
    EXPECT_EQ(PixelAt(image, 12, 8), m_face);
    EXPECT_EQ(PixelAt(image, 0, 5), m_shadow);
    EXPECT_EQ(PixelAt(image, 5, 0), m_shadow);
    EXPECT_EQ(PixelAt(image, kButtonWidth - 1, 5), m_highlight);
    EXPECT_EQ(PixelAt(image, 5, kButtonHeight - 1), m_highlight);
    Mouse(wxEVT_LEFT_UP, 5, 5);
}

TEST_F(ImageButtonTest, FrameIsRaisedOnlyWhileThePointerIsOverTheButton) {
    Mouse(wxEVT_MOTION, 5, 5);
    ASSERT_TRUE(m_button->IsHovered());
    wxImage image = Render();
    EXPECT_EQ(PixelAt(image, 0, 5), m_highlight);
    EXPECT_EQ(PixelAt(image, 5, 0), m_highlight);
    EXPECT_EQ(PixelAt(image, kButtonWidth - 1, 5), m_shadow);
    EXPECT_EQ(PixelAt(image, 5, kButtonHeight - 1), m_shadow);

    Mouse(wxEVT_LEAVE_WINDOW, -1, 5);
    EXPECT_FALSE(m_button->IsHovered());
    image = Render();
    EXPECT_EQ(PixelAt(image, 0, 5), m_face);
    EXPECT_EQ(PixelAt(image, kButtonWidth - 1, 5), m_face);
}

TEST_F(ImageButtonTest, DragFromElsewhereDoesNotLightTheButtonUp) {
    Mouse(wxEVT_MOTION, 5, 5, true);
    EXPECT_FALSE(m_button->IsHovered());
}

TEST_F(ImageButtonTest, DisabledPictureIsEmbossedWithoutItsColours) {
    m_button->SetBitmaps(Picture(), kKey);
    m_button->Disable();
    const wxImage image = Render();
    EXPECT_EQ(PixelAt(image, 12, 8), m_shadow);
    EXPECT_EQ(PixelAt(image, 17, 11), m_shadow);
    // The highlight copy shows one pixel right and down of the ink.
    EXPECT_EQ(PixelAt(image, 18, 12), m_highlight);
    EXPECT_EQ(PixelAt(image, 11, 7), m_face);
}

TEST_F(ImageButtonTest, PictureThatDidNotLoadLeavesTheButtonWithoutOne) {
    m_button->SetBitmaps(Picture(), kKey);
    EXPECT_EQ(m_button->SetBitmaps(wxBitmap(), kKey), CImageButton::kBitmapsOk);
    EXPECT_FALSE(m_button->HasBitmap());
    EXPECT_EQ(m_button->SetBitmaps(Picture(), wxColour()), CImageButton::kBitmapsNoMask);
    EXPECT_FALSE(m_button->HasBitmap());
}

TEST_F(ImageButtonTest, ReleaseOverTheButtonReachesTheParentAsButtonEventWithItsId) {
    Mouse(wxEVT_LEFT_DOWN, 5, 5, true);
    EXPECT_TRUE(m_clickIds.empty());
    Mouse(wxEVT_LEFT_UP, 5, 5);
    EXPECT_EQ(m_clickIds, std::vector<int>{kId});
    EXPECT_FALSE(m_button->IsPressed());
}

TEST_F(ImageButtonTest, ReleaseAfterThePointerLeftGivesNoClick) {
    Mouse(wxEVT_LEFT_DOWN, 5, 5, true);
    Mouse(wxEVT_MOTION, 50, 5, true);
    EXPECT_FALSE(m_button->IsPressed());
    EXPECT_FALSE(m_button->IsHovered());
    Mouse(wxEVT_LEFT_UP, 50, 5);
    EXPECT_TRUE(m_clickIds.empty());
}

TEST_F(ImageButtonTest, DoubleClickGivesTwoClicks) {
    wxUIActionSimulator simulator;
    simulator.MouseMove(m_button->GetScreenRect().GetPosition() + wxPoint(5, 5));
    PumpEvents(100);
    simulator.MouseDblClick();
    PumpEvents(200);
    EXPECT_EQ(m_clickIds, (std::vector<int>{kId, kId}));
}

TEST_F(ImageButtonTest, SpaceBarPressesTheButtonUntilItIsReleasedAndEnterClicksIt) {
    m_button->SetFocus();
    PumpEvents(50);
    Key(wxEVT_KEY_DOWN, WXK_SPACE);
    EXPECT_TRUE(m_button->IsPressed());
    EXPECT_TRUE(m_clickIds.empty());
    Key(wxEVT_KEY_UP, WXK_SPACE);
    EXPECT_FALSE(m_button->IsPressed());
    // Typed keys reach the button the same way.
    wxUIActionSimulator simulator;
    simulator.Char(' ');
    simulator.Char(WXK_RETURN);
    PumpEvents(50);
    EXPECT_EQ(m_clickIds, (std::vector<int>{kId, kId, kId}));
}

TEST_F(ImageButtonTest, DisablingMovesTheFocusToTheNextTabStopEvenFromElsewhere) {
    m_before->SetFocus();
    PumpEvents(50);
    ASSERT_EQ(wxWindow::FindFocus(), m_before);
    m_button->Disable();
    PumpEvents(50);
    EXPECT_EQ(wxWindow::FindFocus(), m_after);
    EXPECT_FALSE(m_button->IsHovered());
}

TEST_F(ImageButtonTest, DisablingTheLastTabStopWrapsToTheFirst) {
    m_after->Disable();
    m_button->SetFocus();
    PumpEvents(50);
    m_button->Disable();
    PumpEvents(50);
    EXPECT_EQ(wxWindow::FindFocus(), m_before);
}

TEST_F(ImageButtonTest, TheKeyboardFocusShowsAFocusRectangleInsideTheButton) {
    m_button->SetBitmaps(Picture(), kKey);
    m_button->SetFocus();
    PumpEvents(50);
    ASSERT_TRUE(m_button->HasFocus());
    const wxImage focused = Render();
    m_after->SetFocus();
    PumpEvents(50);
    ASSERT_FALSE(m_button->HasFocus());
    const wxImage unfocused = Render();

    int marked = 0;
    for (int y = 0; y < kButtonHeight; ++y) {
        for (int x = 0; x < kButtonWidth; ++x) {
            if (PixelAt(focused, x, y) == PixelAt(unfocused, x, y)) {
                continue;
            }
            ++marked;
            // Inside the edge, where the hover and pressed frames go.
            EXPECT_TRUE(wxRect(1, 1, kButtonWidth - 2, kButtonHeight - 2).Contains(x, y))
                << x << ", " << y;
        }
    }
    EXPECT_GT(marked, 20);
    // The picture still shows.
    EXPECT_EQ(PixelAt(focused, 14, 9), kInk);
}

TEST(WrapCaptionTest, LongCaptionBreaksAtWordBoundariesAndLongWordsKeepALine) {
    auto oneDotPerLetter = [](const wxString& text) { return static_cast<int>(text.length()); };
    EXPECT_EQ(WrapCaption("Explore the folder", 11, oneDotPerLetter),
              (std::vector<wxString>{"Explore the", "folder"}));
    EXPECT_EQ(WrapCaption("Browse...", 3, oneDotPerLetter), (std::vector<wxString>{"Browse..."}));
    EXPECT_EQ(WrapCaption("a b\nc", 10, oneDotPerLetter), (std::vector<wxString>{"a b", "c"}));
}

}  // namespace
}  // namespace tarv
