// Shows the image buttons, the slider and the links together as the form and the About box
// use them, with the program's own pictures, so a screenshot shows what the window will. Set
// TARV_DEMO_SECONDS to keep the window up that long, for a look or a screenshot.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include <cstdlib>

#include "HyperLink.h"
#include "ImageButton.h"
#include "Resources.h"
#include "SkinSlider.h"
#include "WxTestEnvironment.h"

namespace tarv {
namespace {

using testing::PumpEvents;

// Clicks on the demo's links open nothing.
class QuietOpener : public LinkOpener {
public:
    bool OpenWithDesktop(const wxString&) override { return true; }
    std::optional<wxString> DefaultBrowserCommand() override { return std::nullopt; }
    LinkResult Start(const std::vector<wxString>&) override { return LinkResult::Opened(); }
    void Beep() override {}
    void ShowMessage(wxWindow*, const wxString&) override {}
};

TEST(ControlsDemo, ShowsTheThreeControlsAsTheFormAndTheAboutBoxUseThem) {
    QuietOpener opener;
    CHyperLink::SetOpener(&opener);

    auto* frame = new wxFrame(nullptr, wxID_ANY, "Controls", wxPoint(0, 0), wxSize(520, 300));
    frame->SetFont(wxFont(wxFontInfo(8).FaceName("Liberation Sans")));
    auto* panel = new wxPanel(frame);

    new wxStaticText(panel, wxID_ANY, "Output folder buttons: at rest, hovered, disabled, wrapped:",
                     wxPoint(12, 10));
    new CImageButton(panel, 1008, "Browse...", wxPoint(12, 30), wxSize(75, 23));
    auto* explore = new CImageButton(panel, 1018, "Explore...", wxPoint(95, 30), wxSize(75, 23));
    auto* disabled =
        new CImageButton(panel, wxID_ANY, "Disabled", wxPoint(178, 30), wxSize(75, 23));
    auto* wrapped =
        new CImageButton(panel, wxID_ANY, "A caption that wraps", wxPoint(261, 22), wxSize(75, 38));

    new wxStaticText(
        panel, wxID_ANY,
        "Preview: play, pause (held down), stop, disabled stop; the slider:", wxPoint(12, 72));
    const int pictures[] = {kBitmapPreviewPlay, kBitmapPreviewPause, kBitmapPreviewStop,
                            kBitmapPreviewStop};
    const int ids[] = {1015, 1016, 1017, wxID_ANY};
    std::vector<CImageButton*> preview;
    for (int i = 0; i < 4; ++i) {
        auto* button =
            new CImageButton(panel, ids[i], "", wxPoint(12 + 24 * i, 92), wxSize(24, 23));
        EXPECT_EQ(button->SetBitmaps(LoadResourceBitmapBundle(pictures[i]),
                                     ResourceKeyColour(pictures[i])),
                  CImageButton::kBitmapsOk);
        preview.push_back(button);
    }
    auto* slider = new CSkinSlider(panel, 1014, wxPoint(120, 96), wxSize(151, 15));
    slider->SetBitmapLoader(LoadResourceBitmapBundle);
    EXPECT_TRUE(slider->SetChannelBitmaps(kBitmapSliderChannel, kBitmapSliderChannelActive, true,
                                          wxColour(), 0, 0));
    EXPECT_TRUE(slider->SetThumbBitmaps(kBitmapSliderThumb, kBitmapSliderThumbActive, true,
                                        wxColour(), 0, 0));
    slider->SetDrawFocusRect(false);
    slider->SetRange(0, 99);
    slider->SetMargins(2, 3, 2, 0);
    slider->SetPos(40);

    new wxStaticText(panel, wxID_ANY, "Technical Support:", wxPoint(12, 140));
    auto* home = new CHyperLink(panel, 1038, "", "http://www.example.org/", wxPoint(40, 160),
                                wxSize(120, 18));
    auto* support = new CHyperLink(panel, 1039, "support@example.org", "mailto:support@example.org",
                                   wxPoint(40, 180), wxSize(120, 18));
    auto* visited = new CHyperLink(panel, wxID_ANY, "a visited link", "http://example.org/seen",
                                   wxPoint(40, 200));

    frame->Show();
    PumpEvents(100);
    disabled->Disable();
    preview[3]->Disable();
    visited->FollowLink();
    wxMouseEvent over(wxEVT_MOTION);
    over.SetPosition(wxPoint(5, 5));
    explore->ProcessWindowEvent(over);
    // The pause button held down, and the support link with the keyboard focus.
    wxMouseEvent press(wxEVT_LEFT_DOWN);
    press.SetPosition(wxPoint(5, 5));
    preview[1]->ProcessWindowEvent(press);
    support->SetFocus();
    PumpEvents(100);

    EXPECT_EQ(slider->GetSize(), wxSize(151, 15));
    EXPECT_EQ(home->GetLinkText(), "http://www.example.org/");
    EXPECT_EQ(home->GetSize(), home->GetBestSize());
    EXPECT_EQ(support->GetURL(), "mailto:support@example.org");
    EXPECT_TRUE(explore->IsHovered());
    EXPECT_TRUE(preview[1]->IsPressed());
    EXPECT_EQ(support->GetLinkColour(), kLinkFocusColour);
    EXPECT_TRUE(wrapped->IsEnabled());

    if (const char* seconds = std::getenv("TARV_DEMO_SECONDS")) {
        PumpEvents(std::atoi(seconds) * 1000);
    }
    wxMouseEvent release(wxEVT_LEFT_UP);
    release.SetPosition(wxPoint(5, 5));
    preview[1]->ProcessWindowEvent(release);
    frame->Destroy();
    PumpEvents(20);
    CHyperLink::SetOpener(nullptr);
}

}  // namespace
}  // namespace tarv
