// The preview pane with the desktop's real media player, on a clip made here, and the About
// box.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/fileconf.h>
#include <wx/mediactrl.h>
#include <wx/stattext.h>

#include <filesystem>
#include <iterator>

#include "AboutBox.h"
#include "ConversionList.h"
#include "HyperLink.h"
#include "MainFrame.h"
#include "MediaFixtures.h"
#include "OutputFolder.h"
#include "PreviewPane.h"
#include "PreviewPlayer.h"
#include "ResourceIds.h"
#include "SkinSlider.h"
#include "TarvMediaConverterView.h"
#include "TempFolder.h"
#include "UiTesting.h"
#include "WxTestEnvironment.h"
#include "XListCtrl.h"

using namespace tarv;
using tarv::testing::PixelAt;
using tarv::testing::PumpEvents;
using tarv::testing::WaitUntil;
namespace media = tarv::tools::test;

namespace {

// The media player keeps its plug-in cache under the cache folder: one of our own.
struct TestHome {
    TestHome() {
        setenv("HOME", folder.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder.Path() + ".config").c_str(), 1);
        setenv("XDG_CACHE_HOME", (folder.Path() + ".cache").c_str(), 1);
    }
    TempFolder folder;
};
const TestHome kHome;

TEST(PreviewArithmetic, TheSliderFollowsThePositionAndSeeksInProportion) {
    EXPECT_EQ(SliderPositionFor(37.9, 100), 37);
    EXPECT_EQ(SliderPositionFor(100, 100), 99);  // the end shows as 99
    EXPECT_EQ(SliderPositionFor(5, 0), 0);       // nothing loaded
    EXPECT_EQ(SliderPositionFor(-1, 100), 0);
    EXPECT_DOUBLE_EQ(SeekSecondsFor(50, 200), 100);
    EXPECT_DOUBLE_EQ(SeekSecondsFor(99, 200), 198);
    EXPECT_DOUBLE_EQ(SeekSecondsFor(0, 200), 0);
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = OpenSettings(folder.Path() + "settings.conf");
        settings->Write(ClosingFolderKey() + "/OutputFolder", wxString(folder.Path()));
        ProgramContext context;
        context.programFolder = TARV_PROGRAM_DIR;
        context.settings = settings.get();
        frame = new CMainFrame(context);
        frame->Show();
        PumpEvents(100);
        view = frame->GetView();
    }
    void TearDown() override {
        frame->Close(true);
        PumpEvents();
    }

    void Click(int id) {
        wxCommandEvent click(wxEVT_BUTTON, id);
        view->ProcessWindowEvent(click);
    }

    // A 20-second clip with moving pictures and sound, in the list and selected.
    void AddClip(const std::string& path) {
        ASSERT_TRUE(media::Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=20",
                                   "-f", "lavfi", "-i", "sine=frequency=440:duration=20", "-c:v",
                                   "mpeg4", "-c:a", "aac", "-shortest", path}));
        view->AddFiles({wxString(path)});
        ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
        view->List().SelectItem(0, false);
    }

    TempFolder folder;
    std::unique_ptr<wxFileConfig> settings;
    tarv::testing::MessageRecorder messages;
    CMainFrame* frame = nullptr;
    CTarvMediaConverterView* view = nullptr;
};

TEST_F(PreviewTest, PlayWithNoSelectedRowDoesNothing) {
    Click(kCtrlPreviewPlay);
    EXPECT_EQ(view->Preview().GetState(), PreviewPlayer::State::Idle);
    EXPECT_FALSE(view->Preview().TimerRunning());
    EXPECT_EQ(view->Preview().Media(), nullptr);
}

TEST_F(PreviewTest, PlayPausePlayRestartsAndStopReturnsTheSliderToTheStart) {
    AddClip(folder.Path() + "clip.mp4");
    Click(kCtrlPreviewPlay);
    PreviewPlayer& preview = view->Preview();
    if (!WaitUntil([&] { return preview.GetState() == PreviewPlayer::State::Playing; }, 15000)) {
        GTEST_SKIP() << "the desktop's media player does not play here (state "
                     << static_cast<int>(preview.GetState()) << ")";
    }
    EXPECT_TRUE(preview.TimerRunning());
    EXPECT_NEAR(preview.Duration(), 20, 0.5);
    ASSERT_TRUE(WaitUntil([&] { return preview.Position() > 2.5; }, 15000));
    // The timer moves the slider on with the picture.
    ASSERT_TRUE(WaitUntil([&] { return view->PreviewSlider().GetPos() >= 10; }, 5000));

    Click(kCtrlPreviewPause);
    EXPECT_EQ(preview.GetState(), PreviewPlayer::State::Paused);
    EXPECT_TRUE(preview.TimerRunning());

    // Play loads the file afresh and starts it from the beginning.
    Click(kCtrlPreviewPlay);
    ASSERT_TRUE(WaitUntil([&] { return preview.GetState() == PreviewPlayer::State::Playing; }));
    EXPECT_LT(preview.Position(), 2.0);

    // Dragging the slider to the middle seeks to the middle.
    preview.SeekToSlider(50);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(preview.Position() - 10) < 1.5; }, 5000))
        << preview.Position();

    Click(kCtrlPreviewStop);
    EXPECT_EQ(preview.GetState(), PreviewPlayer::State::Stopped);
    EXPECT_EQ(view->PreviewSlider().GetPos(), 0);
    EXPECT_FALSE(preview.TimerRunning());
    EXPECT_TRUE(WaitUntil([&] { return preview.Position() < 0.5; }, 5000)) << preview.Position();
}

TEST_F(PreviewTest, AFileThatCannotPlaySaysSoInThePane) {
    // Probed as unreadable, listed all the same; the player cannot do anything with it either.
    const std::string path = folder.Touch("broken.mp4", std::string(5000, 'x'));
    view->AddFiles({wxString(path)});
    ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
    view->List().SelectItem(0, false);
    Click(kCtrlPreviewPlay);
    ASSERT_TRUE(WaitUntil(
        [&] { return view->Preview().GetState() == PreviewPlayer::State::Failed; }, 15000));
    EXPECT_EQ(view->PreviewPane().Message(), "This file cannot be previewed.");
    EXPECT_FALSE(view->Preview().TimerRunning());
    EXPECT_EQ(view->Preview().Media(), nullptr);
}

int ThreadCount() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator()));
}

int PlayerCount(wxWindow& form) {
    int players = 0;
    for (wxWindow* child : form.GetChildren()) {
        players += dynamic_cast<wxMediaCtrl*>(child) ? 1 : 0;
    }
    return players;
}

TEST_F(PreviewTest, PlayStopAndOtherRowsReuseOnePlayerAndLeaveNoThreadsBehind) {
    AddClip(folder.Path() + "clip.mp4");
    const std::string second = folder.Path() + "second.mp4";
    std::filesystem::copy_file(folder.Path() + "clip.mp4", second);
    view->AddFiles({wxString(second)});
    ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
    PreviewPlayer& preview = view->Preview();
    Click(kCtrlPreviewPlay);
    if (!WaitUntil([&] { return preview.GetState() == PreviewPlayer::State::Playing; }, 15000)) {
        GTEST_SKIP() << "the desktop's media player does not play here";
    }
    Click(kCtrlPreviewStop);
    PumpEvents(500);
    const int threads = ThreadCount();

    for (int cycle = 0; cycle < 50; ++cycle) {
        view->List().SelectItem(cycle % 2, false);  // every other Play is another row's file
        Click(kCtrlPreviewPlay);
        ASSERT_TRUE(
            WaitUntil([&] { return preview.GetState() == PreviewPlayer::State::Playing; }, 5000))
            << cycle;
        Click(kCtrlPreviewStop);
    }
    PumpEvents(1000);
    EXPECT_EQ(PlayerCount(*view), 1);
    EXPECT_LE(ThreadCount(), threads + 2);
}

TEST_F(PreviewTest, TheLogoShowsWhenItIsThereAndNothingWhenItIsMissing) {
    PreviewArea& pane = view->PreviewPane();
    auto paint = [&](PreviewArea& area) {
        wxBitmap picture(area.GetClientSize());
        wxMemoryDC dc(picture);
        area.DrawPane(dc);
        dc.SelectObject(wxNullBitmap);
        return picture.ConvertToImage();
    };
    const wxImage withLogo = paint(pane);
    const wxPoint corner(8, 8);
    const wxColour background = view->GetBackgroundColour();
    // The logo's dark backdrop fills the pane to its corners.
    const wxColour logo = PixelAt(withLogo, corner.x, corner.y);
    EXPECT_LT(logo.Red() + logo.Green() + logo.Blue(), 200) << logo.GetAsString().ToStdString();

    auto* without = new PreviewArea(view, wxID_ANY, pane.GetPosition(), pane.GetSize(),
                                    folder.Path() + "logo.bmp");
    const wxImage empty = paint(*without);
    EXPECT_EQ(PixelAt(empty, corner.x, corner.y), background);
    EXPECT_EQ(PixelAt(empty, 0, empty.GetHeight() / 2), *wxBLACK);  // the frame alone
    without->Destroy();
}

TEST(AboutBox, ShowsTheProductItsLinksAndClosesWithEscape) {
    CAboutBox about;
    EXPECT_EQ(about.GetTitle(), "About");
    EXPECT_EQ(about.MakerText().GetLabel(), "TarvSoft Group");
    EXPECT_EQ(about.VersionText().GetLabel(), "TarvSoft Video to 3GP Converter 1.0");
    EXPECT_TRUE(about.HomePageLink().GetURL().StartsWith("http"));
    EXPECT_EQ(about.HomePageLink().GetLinkText(), about.HomePageLink().GetURL());
    EXPECT_EQ(about.SupportLink().GetLinkText(), "support@example.com");
    EXPECT_EQ(about.SupportLink().GetURL(), "mailto:support@example.com");

    about.CallAfter([&] {
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        escape.SetEventObject(&about);
        about.ProcessWindowEvent(escape);
    });
    EXPECT_EQ(about.ShowModal(), wxID_OK);
}

}  // namespace
