#include "HyperLink.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/tooltip.h>

#include "LinkErrorText.h"
#include "WxTestEnvironment.h"

namespace tarv {
namespace {

using testing::PumpEvents;

// Stands in for the desktop: records everything and opens nothing.
class RecordingOpener : public LinkOpener {
public:
    bool OpenWithDesktop(const wxString& target) override {
        m_desktopTargets.push_back(target);
        return m_desktopOpens;
    }
    std::optional<wxString> DefaultBrowserCommand() override { return m_browser; }
    LinkResult Start(const std::vector<wxString>& arguments) override {
        m_started.push_back(arguments);
        return m_startResult;
    }
    void Beep() override { ++m_beeps; }
    void ShowMessage(wxWindow*, const wxString& text) override { m_messages.push_back(text); }

    bool m_desktopOpens = true;
    std::optional<wxString> m_browser;
    LinkResult m_startResult = LinkResult::Opened();
    std::vector<wxString> m_desktopTargets;
    std::vector<std::vector<wxString>> m_started;
    int m_beeps = 0;
    std::vector<wxString> m_messages;
};

TEST(FitRectToTextTest, WindowKeepsTheEdgeOrMiddleItsStyleNames) {
    const wxRect rect(10, 20, 100, 30);
    const wxSize text(40, 10);
    EXPECT_EQ(FitRectToText(rect, text, 0), wxRect(10, 20, 40, 10));
    EXPECT_EQ(FitRectToText(rect, text, wxALIGN_RIGHT), wxRect(70, 20, 40, 10));
    EXPECT_EQ(FitRectToText(rect, text, wxALIGN_CENTRE_HORIZONTAL | wxALIGN_CENTRE_VERTICAL),
              wxRect(40, 30, 40, 10));
    // An odd difference leaves the extra pixel in the window rather than shifting it.
    EXPECT_EQ(
        FitRectToText(rect, wxSize(41, 11), wxALIGN_CENTRE_HORIZONTAL | wxALIGN_CENTRE_VERTICAL),
        wxRect(39, 29, 42, 12));
}

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        CHyperLink::SetOpener(&m_opener);
        m_frame = new wxFrame(nullptr, wxID_ANY, "links", wxDefaultPosition, wxSize(400, 200));
        m_panel = new wxPanel(m_frame);
        m_link = new CHyperLink(m_panel, 1038, "home page", "http://www.example.org/",
                                wxPoint(20, 20), wxSize(300, 40));
        m_frame->Show();
        PumpEvents(50);
    }
    void TearDown() override {
        m_frame->Destroy();
        PumpEvents(20);
        CHyperLink::SetOpener(nullptr);
    }

    void Send(wxEvent& event) {
        event.SetEventObject(m_link);
        m_link->ProcessWindowEvent(event);
    }
    void LeftUp(int x, int y) {
        wxMouseEvent up(wxEVT_LEFT_UP);
        up.SetPosition(wxPoint(x, y));
        Send(up);
    }

    RecordingOpener m_opener;
    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    CHyperLink* m_link = nullptr;
};

TEST_F(HyperLinkTest, EmptyTextShowsTheTargetAndAnEmptyTargetTakesTheText) {
    auto* bare = new CHyperLink(m_panel, wxID_ANY, "", "mailto:support@example.org");
    EXPECT_EQ(bare->GetLinkText(), "mailto:support@example.org");
    auto* textOnly = new CHyperLink(m_panel, wxID_ANY, "http://example.org/", "");
    EXPECT_EQ(textOnly->GetURL(), "http://example.org/");
}

TEST_F(HyperLinkTest, LinkIsUnderlinedWithAHandCursorAndTheTargetAsToolTip) {
    EXPECT_TRUE(m_link->GetFont().GetUnderlined());
    m_link->SetFont(wxFont(wxFontInfo(14)));
    EXPECT_TRUE(m_link->GetFont().GetUnderlined());
    EXPECT_TRUE(m_link->GetCursor().IsOk());
    ASSERT_NE(m_link->GetToolTip(), nullptr);
    EXPECT_EQ(m_link->GetToolTipText(), "http://www.example.org/");
    m_link->SetURL("mailto:support@example.org");
    EXPECT_EQ(m_link->GetToolTipText(), "mailto:support@example.org");
}

TEST_F(HyperLinkTest, WindowShrinksToItsTextAndFollowsNewText) {
    const wxSize text = m_link->GetTextExtent("home page");
    EXPECT_EQ(m_link->GetPosition(), wxPoint(20, 20));
    EXPECT_EQ(m_link->GetSize(), text);
    m_link->SetLinkText("support@example.org");
    EXPECT_EQ(m_link->GetSize().x, m_link->GetTextExtent("support@example.org").x);
    EXPECT_EQ(m_link->GetPosition(), wxPoint(20, 20));
}

TEST_F(HyperLinkTest, OpenedLinkTurnsVisited) {
    EXPECT_EQ(m_link->GetLinkColour(), kLinkUnvisitedColour);
    EXPECT_TRUE(m_link->FollowLink());
    EXPECT_EQ(m_opener.m_desktopTargets, std::vector<wxString>{"http://www.example.org/"});
    EXPECT_TRUE(m_link->IsVisited());
    EXPECT_EQ(m_link->GetLinkColour(), kLinkVisitedColour);
    EXPECT_EQ(m_opener.m_beeps, 0);
}

TEST_F(HyperLinkTest, FailureBeepsOnceShowsWhyAndLeavesTheLinkUnvisited) {
    m_opener.m_desktopOpens = false;
    m_opener.m_browser = "missing-browser %u";
    m_opener.m_startResult = LinkResult::Failed(LinkError::FileNotFound);
    EXPECT_FALSE(m_link->FollowLink());
    EXPECT_EQ(m_opener.m_beeps, 1);
    EXPECT_EQ(m_opener.m_messages,
              std::vector<wxString>{"Can't open link:\n\nThe specified file was not found."});
    EXPECT_FALSE(m_link->IsVisited());

    m_opener.m_browser.reset();
    m_link->FollowLink();
    EXPECT_EQ(m_opener.m_messages.back(), LinkErrorMessage(LinkError::NoAssociation));
}

TEST_F(HyperLinkTest, FocusedLinkShowsTheFocusColourAndFollowsOnTheSpaceBar) {
    wxFocusEvent focus(wxEVT_SET_FOCUS);
    Send(focus);
    EXPECT_EQ(m_link->GetLinkColour(), kLinkFocusColour);
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = 'A';
    Send(key);
    EXPECT_TRUE(m_opener.m_desktopTargets.empty());
    key.m_keyCode = WXK_SPACE;
    Send(key);
    EXPECT_EQ(m_opener.m_desktopTargets.size(), 1u);
    // Visited, but the focus colour wins while it lasts.
    EXPECT_EQ(m_link->GetLinkColour(), kLinkFocusColour);
    wxFocusEvent blur(wxEVT_KILL_FOCUS);
    Send(blur);
    EXPECT_EQ(m_link->GetLinkColour(), kLinkVisitedColour);
}

TEST_F(HyperLinkTest, ReleaseOverAFocusedLinkFollowsItWithoutAPressOnIt) {
    LeftUp(5, 5);
    EXPECT_TRUE(m_opener.m_desktopTargets.empty());
    wxFocusEvent focus(wxEVT_SET_FOCUS);
    Send(focus);
    LeftUp(5, 5);
    EXPECT_EQ(m_opener.m_desktopTargets.size(), 1u);
    // A release that the press sent our way from outside the link does not count.
    LeftUp(-5, 5);
    EXPECT_EQ(m_opener.m_desktopTargets.size(), 1u);
}

TEST_F(HyperLinkTest, ClickFollowsTheLink) {
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.SetPosition(wxPoint(3, 3));
    Send(down);
    LeftUp(3, 3);
    EXPECT_EQ(m_opener.m_desktopTargets.size(), 1u);
}

TEST_F(HyperLinkTest, TextIsDrawnInTheColourOfItsState) {
    // Text is smoothed, so only the darkest pixel, fully covered, has exactly the text colour.
    auto darkestPixel = [this] {
        const wxSize size = m_link->GetClientSize();
        wxBitmap bitmap(size.x, size.y, 24);
        wxMemoryDC dc(bitmap);
        m_link->DrawLink(dc);
        dc.SelectObject(wxNullBitmap);
        const wxImage image = bitmap.ConvertToImage();
        wxColour darkest(*wxWHITE);
        for (int y = 0; y < size.y; ++y) {
            for (int x = 0; x < size.x; ++x) {
                const wxColour pixel = testing::PixelAt(image, x, y);
                if (pixel.Red() + pixel.Green() + pixel.Blue() <
                    darkest.Red() + darkest.Green() + darkest.Blue()) {
                    darkest = pixel;
                }
            }
        }
        return darkest;
    };
    EXPECT_EQ(darkestPixel(), kLinkUnvisitedColour);
    m_link->FollowLink();
    EXPECT_EQ(darkestPixel(), kLinkVisitedColour);
}

}  // namespace
}  // namespace tarv
