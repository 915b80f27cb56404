// The main window driven as a user drives it, with the scriptable stand-in tools, so every
// path of a batch (done, failed, stopped, closed midway) can be made to happen on cue.
#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/fileconf.h>
#include <wx/menu.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "BatchProgress.h"
#include "BatchRunner.h"
#include "ConversionList.h"
#include "ConvertWorker.h"
#include "FakeTools.h"
#include "FolderTreeCtrl.h"
#include "LinkOpener.h"
#include "MainFrame.h"
#include "MediaFixtures.h"
#include "OutputFolder.h"
#include "ResourceIds.h"
#include "RowDetailsDlg.h"
#include "SingleInstance.h"
#include "SizeLimit.h"
#include "TargetFolderDlg.h"
#include "TarvMediaConverterView.h"
#include "UiTesting.h"
#include "WxTestEnvironment.h"
#include "XHeaderCtrl.h"
#include "XListCtrl.h"

using namespace tarv;
using tarv::testing::MessageRecorder;
using tarv::testing::PumpEvents;
using tarv::testing::WaitUntil;

namespace {

// A home of our own, set before wxWidgets first asks for it: the default output folder is
// made under it.
struct TestHome {
    TestHome() {
        setenv("HOME", folder.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder.Path() + ".config").c_str(), 1);
    }
    TempFolder folder;
};
const TestHome kHome;

// A progress record as the encoder prints it, at `seconds`.
std::string PosLine(int seconds) {
    return "write Pos: " + std::to_string(seconds) +
           ".0s   10f (5%) 1fps Trem: 0min 0mb A-V:0.000 [0:0]\\r\n";
}

// Links go nowhere; the test sees where they were meant to go.
class RecordingOpener : public LinkOpener {
public:
    bool OpenWithDesktop(const wxString& target) override {
        targets.push_back(target);
        return true;
    }
    std::optional<wxString> DefaultBrowserCommand() override { return std::nullopt; }
    LinkResult Start(const std::vector<wxString>&) override {
        return LinkResult::Failed(LinkError::FileNotFound);
    }
    void Beep() override {}
    void ShowMessage(wxWindow*, const wxString&) override {}
    std::vector<wxString> targets;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Each length is 10 s, each step reports 5 s and leaves its output behind.
        tools.Script("tarv.patch3", "write ID_LENGTH=10.00\\n\n");
        tools.Script("default", "touch\n" + PosLine(5));
        settingsFile = settingsFolder.Path() + "TarvMediaConverter.conf";
        settings = OpenSettings(settingsFile);
        settings->Write(ClosingFolderKey() + "/OutputFolder", wxString(output.Path()));
    }

    void TearDown() override {
        if (frame) {
            frame->Close(true);
            PumpEvents();
        }
    }

    void Open(const std::string& programFolder) {
        ProgramContext context;
        context.programFolder = programFolder;
        context.settings = settings.get();
        context.opener = &opener;
        frame = new CMainFrame(context);
        ASSERT_TRUE(frame->IsOk());
        frame->Show();
        PumpEvents(100);
        view = frame->GetView();
    }

    // Adds files made in the input folder and waits for their lengths.
    void AddFiles(const std::vector<std::string>& names) {
        std::vector<wxString> paths;
        for (const std::string& name : names) {
            paths.push_back(input.Touch(name, std::string(100, 'x')));
        }
        view->AddFiles(paths);
        ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
    }

    wxString Status(int row) const { return view->List().GetItemText(row, kColumnStatus); }

    bool Enabled(int id) {
        frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        const bool tool = frame->GetToolBar()->GetToolEnabled(id);
        return tool;
    }
    bool MenuEnabled(int id) {
        frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        return frame->GetMenuBar()->IsEnabled(id);
    }

    void WaitForBatchEnd() {
        ASSERT_TRUE(WaitUntil([&] { return !view->IsBusy(); }, 60000));
        PumpEvents(50);
    }

    void ClickCheckBox(int row) {
        wxRect cell;
        ASSERT_TRUE(view->List().GetCellRect(row, 0, cell));
        const wxPoint point(cell.x + 9 + cell.height / 2, cell.y + cell.height / 2);
        for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
            wxMouseEvent event(type);
            event.SetPosition(point);
            event.SetLeftDown(type == wxEVT_LEFT_DOWN);
            event.SetEventObject(&view->List());
            view->List().ProcessWindowEvent(event);
        }
    }

    FakeTools tools;
    TempFolder input;
    TempFolder output;
    TempFolder settingsFolder;
    std::string settingsFile;
    std::unique_ptr<wxFileConfig> settings;
    RecordingOpener opener;
    MessageRecorder messages;
    CMainFrame* frame = nullptr;
    CTarvMediaConverterView* view = nullptr;
};

TEST_F(MainWindowTest, StartsAsAFixedWindowAroundTheWholeForm) {
    Open(tools.Folder());
    EXPECT_EQ(frame->GetTitle(), "TarvSoft Video to 3GP Converter");
    // 493 x 283 dialog units: the original's 277 and the size limit's row. The frame with its
    // bars still fits the 800 x 600 the program starts at.
    EXPECT_EQ(view->FormSize(), wxSize(740, 460));
    EXPECT_EQ(view->GetSize(), wxSize(740, 460));
    EXPECT_EQ(frame->GetClientSize(), wxSize(740, 460));
    EXPECT_LE(frame->GetSize().y, 600);
    EXPECT_LE(frame->GetSize().x, 800);
    EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(frame->HasFlag(wxMAXIMIZE_BOX));
    EXPECT_EQ(frame->GetMinSize(), frame->GetMaxSize());

    wxToolBar* toolbar = frame->GetToolBar();
    ASSERT_EQ(toolbar->GetToolsCount(), 8u);
    const std::vector<std::pair<int, wxString>> tools = {
        {kCmdToolbarAdd, "Add"},         {kCmdToolbarRemove, "Remove"}, {kCmdToolbarClear, "Clear"},
        {kCmdToolbarConvert, "Convert"}, {kCmdToolbarStop, "Stop"},     {kCmdToolbarHelp, "Help"}};
    for (const auto& [id, label] : tools) {
        ASSERT_NE(toolbar->FindById(id), nullptr) << label;
        EXPECT_EQ(toolbar->FindById(id)->GetLabel(), label);
        EXPECT_EQ(toolbar->FindById(id)->GetNormalBitmap().GetSize(), wxSize(64, 45));
    }
    EXPECT_TRUE(toolbar->GetToolByPos(3)->IsSeparator());
    EXPECT_TRUE(toolbar->GetToolByPos(6)->IsSeparator());
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabel(1), "Action");
    EXPECT_EQ(frame->GetMenuBar()->GetLabel(kCmdMenuExit), "E&xit");

    // The lists at their start selections.
    const std::vector<std::pair<OptionList, wxString>> start = {
        {OptionList::Format, "3GP - (XVID AAC) 3GPP format(*.3gp)"},
        {OptionList::VideoBitrate, "100 kbps"},
        {OptionList::VideoCodec, "XVID"},
        {OptionList::Resolution, "176X144 QCIF"},
        {OptionList::FrameRate, "10.0 FPS"},
        {OptionList::AudioBitrate, "32 kbps"},
        {OptionList::AudioCodec, "aac"},
        {OptionList::SampleRate, "22050 Hz"},
        {OptionList::Aspect, "Auto"},
        {OptionList::SizeLimit, "No limit"}};
    for (const auto& [list, text] : start) {
        EXPECT_EQ(view->Choice(list).GetStringSelection(), text);
    }
    EXPECT_EQ(view->Choice(OptionList::VideoCodec).GetCount(), 1u);
    EXPECT_EQ(view->Choice(OptionList::Resolution).GetCount(), 21u);

    // The columns share the list's width; the first has the header's check box.
    const int width = view->List().GetSize().GetWidth();
    EXPECT_EQ(view->List().GetColumnWidth(0), width * 10 / 20);
    EXPECT_EQ(view->List().GetColumnWidth(3), width * 4 / 20 - 3);
    EXPECT_EQ(view->List().GetHeaderCtrl()->GetItem(1)->m_text, "File size(MB)");
    EXPECT_EQ(view->List().GetHeaderCheckedState(0), 1);
    EXPECT_EQ(view->GetOutputFolder(), output.Path());

    // The status panes share the window's width two to eight.
    EXPECT_EQ(frame->GetStatusBar()->GetStatusWidth(0), 148);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusWidth(1), 592);
    int first = 0, second = 0;
    CMainFrame::PaneWidths(800, first, second);
    EXPECT_EQ(first, 160);
    EXPECT_EQ(second, 640);
}

TEST_F(MainWindowTest, AFormatChangeAppliesItsPresetAndLeavesTheOtherListsAlone) {
    Open(tools.Folder());
    view->Choice(OptionList::Resolution).SetSelection(10);
    view->Choice(OptionList::FrameRate).SetSelection(5);
    view->Choice(OptionList::Format).SetSelection(1);
    wxCommandEvent change(wxEVT_CHOICE, kCtrlOutputFormat);
    change.SetInt(1);
    change.SetEventObject(&view->Choice(OptionList::Format));
    view->Choice(OptionList::Format).ProcessWindowEvent(change);

    EXPECT_EQ(view->Choice(OptionList::FrameRate).GetStringSelection(), "15.0 FPS");
    EXPECT_EQ(view->Choice(OptionList::VideoBitrate).GetStringSelection(), "256 kbps");
    EXPECT_EQ(view->Choice(OptionList::SampleRate).GetStringSelection(), "48000 Hz");
    EXPECT_EQ(view->Choice(OptionList::AudioBitrate).GetStringSelection(), "96 kbps");
    EXPECT_EQ(view->Choice(OptionList::VideoCodec).GetCount(), 1u);
    EXPECT_EQ(view->Choice(OptionList::VideoCodec).GetStringSelection(), "MPEG4-AVC");
    EXPECT_EQ(view->Choice(OptionList::Resolution).GetStringSelection(), "320X240 VGA");
    EXPECT_EQ(view->CaptureOptions().format, 1);
    EXPECT_EQ(view->CaptureOptions().resolution, 10);
}

TEST_F(MainWindowTest, AddedFilesShowSizeAndLengthAndRemoveKeepsEachRowsOwnData) {
    Open(tools.Folder());
    AddFiles({"one.avi", "two.mp4"});
    const std::string big = input.Path() + "big.mov";
    std::filesystem::resize_file(input.Touch("big.mov"), 1572864);
    tools.Script("tarv.patch3", "write ID_LENGTH=3725.90\\n\n");
    // Three more files chosen: one again in other letter case, one that is gone by now.
    view->AddFiles(
        {wxString(input.Path() + "ONE.AVI"), wxString(big), wxString(input.Path() + "gone.mpg")});
    ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
    ASSERT_EQ(view->List().GetItemCount(), 3);
    EXPECT_EQ(view->List().GetItemText(2, kColumnFile), big);
    EXPECT_EQ(view->List().GetItemText(2, kColumnSize), "1.50");
    EXPECT_EQ(view->List().GetItemText(2, kColumnDuration), "01:02:05");
    EXPECT_EQ(view->List().GetCheckbox(2, 0), 1);
    EXPECT_EQ(view->List().GetItemText(0, kColumnDuration), "00:00:10");
    EXPECT_EQ(view->List().GetItemText(0, kColumnSize), "0.00");

    view->List().SelectItem(0, false);
    wxCommandEvent remove(wxEVT_MENU, kCmdToolbarRemove);
    frame->ProcessWindowEvent(remove);
    ASSERT_EQ(view->List().GetItemCount(), 2);
    EXPECT_EQ(view->Rows().EntryAt(1).sourcePath, big);
    EXPECT_EQ(view->Rows().EntryAt(1).duration, 3725);
    EXPECT_EQ(view->List().GetItemText(1, kColumnSize), "1.50");
    EXPECT_EQ(view->List().GetItemText(0, kColumnDuration), "00:00:10");
}

TEST_F(MainWindowTest, TheStatusBarCountsTheTickedRows) {
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi"});
    ClickCheckBox(1);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "   select 1 files");
    EXPECT_EQ(view->List().GetHeaderCheckedState(0), 1);
    // A size event that changes nothing (the toolbar sends those) keeps the count; a real size
    // change clears both panes until the count changes again.
    auto sizeEvent = [&](const wxSize& size) {
        wxSizeEvent event(size, frame->GetId());
        event.SetEventObject(frame);
        frame->ProcessWindowEvent(event);
        PumpEvents();
    };
    sizeEvent(frame->GetSize());
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "   select 1 files");
    sizeEvent(frame->GetSize() + wxSize(0, 1));
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "");
    ClickCheckBox(1);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "   select 2 files");
}

TEST_F(MainWindowTest, SpaceOnTheSelectedRowTogglesItsTickAndTheCountFollows) {
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi"});
    view->List().SelectItem(1, false);
    view->List().SetFocus();
    PumpEvents();
    wxUIActionSimulator().Char(' ');
    PumpEvents();
    EXPECT_EQ(view->List().GetCheckbox(1, 0), 0);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "   select 1 files");
    wxUIActionSimulator().Char(' ');
    PumpEvents();
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "   select 2 files");
}

TEST_F(MainWindowTest, ABatchShowsProgressThenDoneAndConvertAndStopNeverShareTheirState) {
    // The encode step of the first file takes its time, reporting as it goes.
    tools.Script("2", "touch\n" + PosLine(2) + "sleep 300\n" + PosLine(5) + "sleep 300\n");
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi"});
    EXPECT_TRUE(Enabled(kCmdToolbarConvert));
    EXPECT_FALSE(Enabled(kCmdToolbarStop));

    ASSERT_TRUE(view->StartBatch());
    ASSERT_TRUE(
        WaitUntil([&] { return view->List().GetCellData(0, kColumnStatus)->m_hasProgress; }));
    EXPECT_FALSE(Enabled(kCmdToolbarConvert));
    EXPECT_TRUE(Enabled(kCmdToolbarStop));
    EXPECT_FALSE(MenuEnabled(kCmdMenuConvert));
    EXPECT_TRUE(MenuEnabled(kCmdMenuStop));
    // Rows keep their places while the batch runs; Add stays.
    EXPECT_FALSE(Enabled(kCmdToolbarRemove));
    EXPECT_FALSE(Enabled(kCmdToolbarClear));
    EXPECT_TRUE(Enabled(kCmdToolbarAdd));
    ASSERT_TRUE(WaitUntil(
        [&] { return view->List().GetCellData(0, kColumnStatus)->m_progressValue == 45; }));
    EXPECT_TRUE(view->MessagePaneText().StartsWith("Converting 1 of 2 files \u00b7 22% \u00b7 "))
        << view->MessagePaneText();

    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_EQ(Status(1), "Done");
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(1), "2 files converted");
    EXPECT_TRUE(Enabled(kCmdToolbarConvert));
    EXPECT_FALSE(Enabled(kCmdToolbarStop));
    EXPECT_TRUE(std::filesystem::exists(output.Path() + "one.3gp"));
    EXPECT_TRUE(std::filesystem::exists(output.Path() + "two.3gp"));
}

TEST_F(MainWindowTest, StopDuringTheSecondFileShowsAbortThereAndDoneBefore) {
    // Runs 0 and 1 read the lengths; 2 to 6 convert the first file; 7 encodes the second.
    tools.Script("7", "pid\n" + PosLine(3) + "sleep 60000\n");
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi"});
    ASSERT_TRUE(view->StartBatch());
    ASSERT_TRUE(
        WaitUntil([&] { return view->List().GetCellData(1, kColumnStatus)->m_hasProgress; }));
    wxCommandEvent stop(wxEVT_MENU, kCmdMenuStop);
    frame->ProcessWindowEvent(stop);
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_EQ(Status(1), "Abort");
    EXPECT_EQ(view->MessagePaneText(), "Stopped");
    EXPECT_FALSE(tools.RunIsAlive(7));
    EXPECT_TRUE(Enabled(kCmdToolbarConvert));
}

TEST_F(MainWindowTest, AFailingFileShowsFailedWithTheToolsWordsAndTheNextOneConverts) {
    tools.Script("2", "write cannot decode frame 12 of one.avi\\n\nexit 1\n");
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi"});
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Failed");
    // The tool tip says it in the program's words, the details keep the tool's own.
    EXPECT_EQ(view->List().GetCellData(0, kColumnStatus)->m_toolTipText,
              "Cannot decode frame 12 of one.avi.");
    EXPECT_EQ(Status(1), "Done");
    EXPECT_EQ(view->MessagePaneText(), "1 converted, 1 failed");

    // A double click on the failed row shows its details, the tool's words among them.
    wxString shownFile, shownOutput, shownReason;
    messages.onDialog = [&](wxDialog* dialog) {
        if (auto* details = dynamic_cast<RowDetailsDlg*>(dialog)) {
            shownFile = details->FileField().GetValue();
            shownOutput = details->ToolOutput().GetValue();
            shownReason = details->Reason() ? details->Reason()->GetValue() : wxString();
        }
        return int(wxID_CLOSE);
    };
    wxRect cell;
    ASSERT_TRUE(view->List().GetCellRect(0, kColumnSize, cell));
    wxMouseEvent doubleClick(wxEVT_LEFT_DCLICK);
    doubleClick.SetPosition(cell.GetPosition() + wxPoint(4, cell.height / 2));
    doubleClick.SetEventObject(&view->List());
    view->List().ProcessWindowEvent(doubleClick);
    EXPECT_EQ(shownFile, wxString(input.Path() + "one.avi"));
    EXPECT_EQ(shownOutput, "cannot decode frame 12 of one.avi");
    EXPECT_EQ(shownReason, "Cannot decode frame 12 of one.avi.");
    EXPECT_FALSE(std::filesystem::exists(output.Path() + "one.3gp"));
    EXPECT_TRUE(std::filesystem::exists(output.Path() + "two.3gp"));
}

TEST_F(MainWindowTest, ADoneRowTellsOfDamageSkippedInItsToolTipAndDetailsUntilItsNextBatch) {
    // The first file's encode step decoded past damage in its source.
    tools.Script("2", "touch\n" + PosLine(5) + "write 3 damaged frames skipped\\n\n");
    Open(tools.Folder());
    AddFiles({"scratched.avi", "whole.avi"});
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_EQ(Status(1), "Done");
    EXPECT_EQ(view->List().GetCellData(0, kColumnStatus)->m_toolTipText,
              "3 damaged frames skipped");
    EXPECT_EQ(view->List().GetCellData(1, kColumnStatus)->m_toolTipText, "");

    // The details, as the row menu's "Show details..." opens them, say it too.
    {
        RowDetailsDlg details(view, view->Rows().EntryAt(0), Status(0));
        ASSERT_NE(details.Note(), nullptr);
        EXPECT_EQ(details.Note()->GetValue(), "3 damaged frames skipped");
        EXPECT_EQ(details.Reason(), nullptr);
    }
    {
        RowDetailsDlg details(view, view->Rows().EntryAt(1), Status(1));
        EXPECT_EQ(details.Note(), nullptr);
    }

    // Converted again without damage, the row no longer tells of any.
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_EQ(view->List().GetCellData(0, kColumnStatus)->m_toolTipText, "");
}

TEST_F(MainWindowTest, AnOutputFolderThatCannotBeUsedRefusesConvertWithAMessage) {
    Open(tools.Folder());
    AddFiles({"one.avi"});
    view->SetOutputFolder("   ");
    EXPECT_FALSE(view->StartBatch());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_NE(messages.Messages()[0].Find("output folder"), wxNOT_FOUND);

    const std::string file = input.Touch("not-a-folder");
    view->SetOutputFolder(file);
    EXPECT_FALSE(view->StartBatch());
    EXPECT_EQ(messages.Messages().size(), 2u);
    // A name the system refuses outright (longer than a folder name may be) is a message too.
    view->SetOutputFolder(output.Path() + std::string(300, 'x') + "/");
    EXPECT_FALSE(view->StartBatch());
    ASSERT_EQ(messages.Messages().size(), 3u);
    EXPECT_NE(messages.Messages()[2].Find("File name too long"), wxNOT_FOUND);
    EXPECT_TRUE(tools.Calls().size() == 1u);  // only the length was read

    // A folder that is not there yet is made.
    const std::string fresh = output.Path() + "new/deeper/";
    view->SetOutputFolder(fresh);
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_TRUE(std::filesystem::exists(fresh + "one.3gp"));
}

TEST_F(MainWindowTest, ClosingMidBatchSavesTheFolderAndLeavesNoToolRunning) {
    // The encoder keeps reporting, so the worker is often waiting for the window when it
    // closes.
    std::string chatty = "pid\n";
    for (int i = 0; i < 300; ++i)
        chatty += PosLine(i % 10);
    tools.Script("1", chatty);
    Open(tools.Folder());
    AddFiles({"one.avi"});
    view->SetOutputFolder(output.Path() + "chosen/");
    ASSERT_TRUE(view->StartBatch());
    ASSERT_TRUE(
        WaitUntil([&] { return view->List().GetCellData(0, kColumnStatus)->m_progressValue > 0; }));
    ASSERT_TRUE(tools.RunIsAlive(1));

    frame->Close(true);
    frame = nullptr;
    EXPECT_FALSE(tools.RunIsAlive(1));
    PumpEvents();
    auto reread = OpenSettings(settingsFile);
    EXPECT_EQ(*ReadOutputFolder(*reread, ClosingFolderKey()), wxString(output.Path() + "chosen/"));
}

TEST_F(MainWindowTest, TwoRealClipsBecomeTwoPlayable3gppFiles) {
    namespace media = tarv::tools::test;
    Open(TARV_PROGRAM_DIR);
    view->AddFiles({wxString(media::Fixture("clip.mp4")), wxString(media::Fixture("clip.avi"))});
    ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
    EXPECT_EQ(view->List().GetItemText(0, kColumnDuration), "00:00:02");
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_EQ(Status(1), "Done");
    // Both are named "clip": the second takes a suffixed name, and only results remain.
    const std::vector<std::string> made = output.Entries();
    ASSERT_EQ(made.size(), 2u);
    for (const std::string& name : made) {
        EXPECT_TRUE(name.ends_with(".3gp")) << name;
        EXPECT_TRUE(media::Brand(output.Path() + name).starts_with("3gp")) << name;
        EXPECT_EQ(media::StreamCount(output.Path() + name), 2) << name;
    }
}

TEST_F(MainWindowTest, SettingsAndAFolderThatCannotBeMadeAreReportedInWords) {
    // Nothing remembered, and a file where the default folder would go.
    settings->DeleteAll();
    const std::string blocked = getenv("HOME") + std::string("TarvSoft Video to 3GP Converter");
    std::ofstream(blocked) << "x";
    // The settings file's place is taken by a folder: closing cannot keep the folder.
    const std::string unwritable = settingsFolder.Path() + "blocked.conf";
    std::filesystem::create_directory(unwritable);
    settings = OpenSettings(unwritable);
    Open(tools.Folder());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0], "Can not create default output folder!");
    EXPECT_EQ(view->GetOutputFolder(), wxString(blocked + "/"));
    frame->Close(true);
    frame = nullptr;
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[1], "Access registry fail!");
    std::filesystem::remove(blocked);
}

TEST_F(MainWindowTest, BrowsePutsTheChosenFolderIntoTheFieldAndCancelLeavesItAlone) {
    Open(tools.Folder());
    const wxString before = view->GetOutputFolder();
    wxCommandEvent browse(wxEVT_BUTTON, kCtrlBrowse);
    view->ProcessWindowEvent(browse);
    EXPECT_EQ(view->GetOutputFolder(), before);

    std::string chosen;
    messages.onDialog = [&](wxDialog* dialog) {
        auto* folders = dynamic_cast<CTargetFolderDlg*>(dialog);
        if (!folders)
            return int(wxID_CANCEL);
        // The home folder: the tree's root here, which stands for the documents folder too.
        const wxTreeItemId home = folders->Tree().GetRootItem();
        folders->Tree().SelectItem(home);
        chosen = folders->Tree().GetItemPath(home);
        return int(wxID_OK);
    };
    view->ProcessWindowEvent(browse);
    ASSERT_FALSE(chosen.empty());
    EXPECT_EQ(view->GetOutputFolder(), wxString(chosen.ends_with('/') ? chosen : chosen + "/"));
}

TEST_F(MainWindowTest, ASecondStartHandsItsFilesToTheRunningWindow) {
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi"});
    // This test holds the one-copy lock, as the first copy would.
    TempFolder runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    SingleInstance instance(InstanceFolder());
    ASSERT_FALSE(instance.AnotherIsRunning());
    ASSERT_TRUE(
        instance.Listen([&](const std::vector<wxString>& files) { view->AddFiles(files); }));

    const std::string third = input.Touch("third file\nwith a line break.mp4", "x");
    std::string error;
    auto second = ChildProcess::Launch({TARV_PROGRAM_DIR "TarvMediaConverter", third}, &error);
    ASSERT_TRUE(second) << error;
    bool ended = false;
    std::thread waiter([&] {
        EXPECT_TRUE(second->Wait().Succeeded());
        ended = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return ended && view->List().GetItemCount() == 3; }, 20000));
    if (!ended)
        second->Terminate();
    waiter.join();
    ASSERT_EQ(view->List().GetItemCount(), 3);
    EXPECT_EQ(view->Rows().EntryAt(2).sourcePath, wxString(third));
}

TEST(SingleInstanceRequest, FileNamesTravelWholeWhateverTheyHold) {
    const std::vector<wxString> files = {"/v/a b.mp4", "/v/line\nbreak.avi",
                                         wxString::FromUTF8("/v/\u00e9t\u00e9.mov")};
    EXPECT_EQ(DecodeShowRequest(EncodeShowRequest(files)), files);
    EXPECT_TRUE(DecodeShowRequest(EncodeShowRequest({})).empty());
}

TEST_F(MainWindowTest, HelpHomePageAndExploreOpenTheirTargets) {
    Open(tools.Folder());
    frame->ProcessWindowEvent(*std::make_unique<wxCommandEvent>(wxEVT_MENU, kCmdToolbarHelp));
    frame->ProcessWindowEvent(*std::make_unique<wxCommandEvent>(wxEVT_MENU, kCmdMenuHomepage));
    wxCommandEvent explore(wxEVT_BUTTON, kCtrlExplore);
    view->ProcessWindowEvent(explore);
    ASSERT_EQ(opener.targets.size(), 3u);
    EXPECT_EQ(opener.targets[0], wxString(tools.Folder() + "3gphelp.html"));
    EXPECT_TRUE(opener.targets[1].StartsWith("http"));
    EXPECT_EQ(opener.targets[2], wxString(output.Path()));
}

}  // namespace

namespace {

TEST_F(MainWindowTest, ClearEndsTheReadingOfTheRemovedRowsAtOnce) {
    tools.Script("tarv.patch3", "pid\nsleep 60000\nwrite ID_LENGTH=10.00\\n\n");
    Open(tools.Folder());
    std::vector<wxString> many;
    for (int i = 0; i < 20; ++i) {
        many.push_back(input.Touch("clip" + std::to_string(i) + ".avi", "x"));
    }
    view->AddFiles(many);
    ASSERT_TRUE(WaitUntil([&] { return tools.RunIsAlive(0); }));
    wxCommandEvent clear(wxEVT_MENU, kCmdFileNew);
    frame->ProcessWindowEvent(clear);
    // The running identify tool is ended, the waiting ones never start.
    EXPECT_TRUE(WaitUntil([&] { return !tools.RunIsAlive(0); }, 3000));

    tools.Script("tarv.patch3", "write ID_LENGTH=10.00\\n\n");
    view->AddFiles({wxString(input.Touch("new.avi", "x"))});
    EXPECT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }, 3000));
    EXPECT_EQ(view->List().GetItemText(0, kColumnDuration), "00:00:10");
    EXPECT_EQ(tools.Calls().size(), 2u);
}

TEST_F(MainWindowTest, RemoveEndsTheReadingOfItsRow) {
    tools.Script("tarv.patch3", "pid\nsleep 60000\n");
    Open(tools.Folder());
    view->AddFiles({wxString(input.Touch("slow.avi", "x"))});
    ASSERT_TRUE(WaitUntil([&] { return tools.RunIsAlive(0); }));
    view->List().SelectItem(0, false);
    wxCommandEvent remove(wxEVT_MENU, kCmdMenuRemoveFile);
    frame->ProcessWindowEvent(remove);
    EXPECT_TRUE(WaitUntil([&] { return !tools.RunIsAlive(0); }, 3000));
    EXPECT_EQ(view->Rows().PendingDurations(), 0);
}

TEST_F(MainWindowTest, AnUntickedRowLeavesTheBatchAndTheListsHoldTheBatchsOptions) {
    // Runs 0 to 2 read the lengths; 3 encodes the first file.
    tools.Script("3", "touch\n" + PosLine(2) + "pid\nsleep 1500\n");
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi", "three.avi"});
    ASSERT_TRUE(view->StartBatch());
    ASSERT_TRUE(WaitUntil([&] { return tools.RunIsAlive(3); }));
    // While it runs the lists cannot change what the batch does.
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    for (const OptionListInfo& info : OptionLists()) {
        EXPECT_FALSE(view->Choice(info.list).IsEnabled()) << info.controlId;
    }
    ClickCheckBox(2);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "   select 2 files");
    // A row being converted cannot be taken out; its tick only counts for the next batch.
    ClickCheckBox(0);
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_EQ(Status(1), "Done");
    EXPECT_EQ(Status(2), "");
    EXPECT_FALSE(std::filesystem::exists(output.Path() + "three.3gp"));
    EXPECT_EQ(view->MessagePaneText(), "2 files converted");
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(view->Choice(OptionList::Format).IsEnabled());
}

TEST_F(MainWindowTest, ABatchClearsTheStatusOfItsRowsAndAStopLeavesTheUnreachedEmpty) {
    Open(tools.Folder());
    AddFiles({"one.avi", "two.avi", "three.avi"});
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    ASSERT_EQ(Status(2), "Done");
    for (const char* name : {"one.3gp", "two.3gp", "three.3gp"}) {
        std::filesystem::remove(output.Path() + name);
    }

    // The second batch is stopped in its first file (run 18, after three lengths and fifteen
    // steps): the others were never reached.
    tools.Script("18", "pid\n" + PosLine(1) + "sleep 60000\n");
    ASSERT_TRUE(view->StartBatch());
    EXPECT_EQ(Status(1), "");
    EXPECT_EQ(Status(2), "");
    ASSERT_TRUE(WaitUntil([&] { return tools.RunIsAlive(18); }));
    view->StopBatch();
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Abort");
    EXPECT_EQ(Status(1), "");
    EXPECT_EQ(Status(2), "");
    EXPECT_TRUE(view->Rows().EntryAt(2).outputFile.empty());
}

TEST(BatchRunnerTickets, TheEndOfABatchNeverEndsTheNextOne) {
    FakeTools tools;
    TempFolder input, output;
    tools.Script("default", "touch\n" + PosLine(1));
    // Hands over through a queue only this test works through, one call at a time.
    struct Queue : wxEvtHandler {
        void HandleOne() {
            bool any;
            {
                wxCriticalSectionLocker lock(m_pendingEventsLock);
                any = m_pendingEvents && !m_pendingEvents->IsEmpty();
            }
            if (any)
                ProcessPendingEvents();
        }
    } window;
    auto handleOne = [&] { window.HandleOne(); };
    std::vector<uint64_t> reportedBatches;
    int ends = 0;
    BatchRunner runner(
        window, tools.Folder(),
        [&](const BatchReport& report) { reportedBatches.push_back(report.batch); },
        [&] { ++ends; });
    runner.State().options = StartSelections();
    runner.State().AddFile(input.Touch("one.avi", "x"), output.Path());
    ASSERT_TRUE(runner.Start());
    const uint64_t first = runner.State().ticket;
    // The worker has finished and its end waits in the queue: a Convert lands in that gap.
    while (runner.IsBusy()) {
        handleOne();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int endsAtGap = ends;  // 0 but for a rare schedule that closes the gap first
    tools.Script("default", "touch\n" + PosLine(1) + "sleep 60000\n");
    runner.State().files.clear();
    runner.State().AddFile(input.Touch("two.avi", "x"), output.Path());
    ASSERT_TRUE(runner.Start());
    for (int i = 0; i < 50; ++i) {
        handleOne();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(ends, endsAtGap);  // the first batch's end came after the second had started
    EXPECT_TRUE(runner.IsBusy());
    ASSERT_FALSE(reportedBatches.empty());
    EXPECT_EQ(reportedBatches.back(), first + 1);
    runner.RequestStop();
    while (runner.IsBusy() || ends == endsAtGap) {
        handleOne();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(ends, endsAtGap + 1);
}

TEST_F(MainWindowTest, AfterShutdownEveryCommandIsRefused) {
    Open(tools.Folder());
    AddFiles({"one.avi"});
    view->Shutdown();
    EXPECT_EQ(view->AddFiles({wxString(input.Touch("late.avi", "x"))}), 0);
    EXPECT_FALSE(view->StartBatch());
    view->List().SelectItem(0, false);
    for (int id : {kCmdToolbarConvert, kCmdMenuClear}) {
        wxCommandEvent command(wxEVT_MENU, id);
        frame->ProcessWindowEvent(command);
    }
    wxCommandEvent play(wxEVT_BUTTON, kCtrlPreviewPlay);
    view->ProcessWindowEvent(play);
    PumpEvents(100);
    EXPECT_EQ(view->List().GetItemCount(), 1);
    EXPECT_FALSE(view->IsBusy());
    EXPECT_EQ(tools.Calls().size(), 1u);
}

TEST_F(MainWindowTest, ALostSettingsFolderIsMadeAgainOnClose) {
    Open(tools.Folder());
    view->SetOutputFolder(output.Path() + "kept/");
    std::filesystem::remove_all(settingsFolder.Path());
    frame->Close(true);
    frame = nullptr;
    PumpEvents();
    EXPECT_TRUE(messages.Messages().empty()) << messages.Messages().front();
    auto reread = OpenSettings(settingsFile);
    EXPECT_EQ(*ReadOutputFolder(*reread, ClosingFolderKey()), wxString(output.Path() + "kept/"));
}

TEST_F(MainWindowTest, AFrameSizedWrongByTheWindowManagerFitsItsFormAgain) {
    Open(tools.Folder());
    // As a window manager starting at the same moment left it: too small and locked there.
    frame->SetSizeHints(wxSize(533, 573), wxSize(533, 573));
    frame->SetSize(533, 573);
    PumpEvents(200);
    EXPECT_EQ(frame->GetClientSize(), view->FormSize());
    EXPECT_EQ(frame->GetMinSize(), frame->GetSize());
    EXPECT_EQ(frame->GetMaxSize(), frame->GetSize());
}

TEST_F(MainWindowTest, ANameThatIsNotUtf8JoinsTheListFromTheCommandLineAndConverts) {
    Open(tools.Folder());
    TempFolder runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    SingleInstance instance(InstanceFolder());
    ASSERT_TRUE(
        instance.Listen([&](const std::vector<wxString>& files) { view->AddFiles(files); }));

    const std::string bad = input.Touch(
        "bad\xff\xfe"
        "bytes.flv",
        "x");
    std::string error;
    auto second = ChildProcess::Launch({TARV_PROGRAM_DIR "TarvMediaConverter", bad}, &error);
    ASSERT_TRUE(second) << error;
    EXPECT_TRUE(WaitUntil([&] { return view->List().GetItemCount() == 1; }, 20000));
    EXPECT_TRUE(second->Wait().Succeeded());
    ASSERT_EQ(view->List().GetItemCount(), 1);
    EXPECT_EQ(FileNameBytes(view->Rows().EntryAt(0).sourcePath), bad);
    EXPECT_NE(view->List().GetItemText(0, kColumnFile).Find(wxUniChar(0xFFFD)), wxNOT_FOUND);

    ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_TRUE(std::filesystem::exists(output.Path() + "bad\xff\xfe"
                                                        "bytes.3gp"));
}

TEST_F(MainWindowTest, TheSizeLimitListSitsUnderTheOtherEightInsideTheGroup) {
    Open(tools.Folder());
    wxChoice& limit = view->Choice(OptionList::SizeLimit);
    ASSERT_EQ(limit.GetCount(), 6u);
    EXPECT_EQ(limit.GetString(1), "300 KB");
    EXPECT_EQ(limit.GetString(5), "16 MB");
    EXPECT_EQ(limit.GetStringSelection(), "No limit");
    EXPECT_EQ(limit.GetId(), kCtrlSizeLimit);

    // A fifth row of the left column, as far below the frame rate as the rows above are apart.
    const wxRect resolution = view->Choice(OptionList::Resolution).GetRect();
    const wxRect frameRate = view->Choice(OptionList::FrameRate).GetRect();
    const wxRect own = limit.GetRect();
    EXPECT_EQ(own.x, frameRate.x);
    EXPECT_EQ(own.width, frameRate.width);
    EXPECT_NEAR(own.y - frameRate.y, frameRate.y - resolution.y, 2);
    // Its caption ends where the captions above end, on the same line as the list.
    const wxStaticText* caption = nullptr;
    const wxStaticText* frameRateCaption = nullptr;
    const wxStaticBox* group = nullptr;
    for (wxWindow* child : view->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child)) {
            if (text->GetLabel() == "Size limit:")
                caption = text;
            if (text->GetLabel() == "Framerate:")
                frameRateCaption = text;
        }
        if (auto* box = dynamic_cast<wxStaticBox*>(child))
            group = box;
    }
    ASSERT_TRUE(caption && frameRateCaption && group);
    EXPECT_LT(caption->GetRect().x, own.x);
    EXPECT_NEAR(caption->GetRect().x + caption->GetBestSize().x,
                frameRateCaption->GetRect().x + frameRateCaption->GetBestSize().x, 3);
    EXPECT_NEAR(caption->GetRect().y - own.y, frameRateCaption->GetRect().y - frameRate.y, 2);
    // The group holds it, with the margin it keeps below the other rows, and the form holds
    // the group.
    EXPECT_TRUE(group->GetRect().Contains(own));
    EXPECT_GE(group->GetRect().GetBottom() - own.GetBottom(), 5);
    EXPECT_LT(group->GetRect().GetBottom(), view->FormSize().y);
}

TEST_F(MainWindowTest, UnderASizeLimitTheTipTellsTheBitratesAndATooLongFileFailsWithItsReason) {
    // The first file plays for ten minutes, the second for ten seconds.
    tools.Script("tarv.patch3", "");
    tools.Script("0", "write ID_LENGTH=600.00\\n\n");
    tools.Script("1", "write ID_LENGTH=10.00\\n\n");
    Open(tools.Folder());
    AddFiles({"long.avi", "short.avi"});
    view->Choice(OptionList::SizeLimit).SetSelection(1);  // 300 KB
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();

    ConvertOptions options = StartSelections();
    EXPECT_EQ(Status(0), "Failed");
    const SizePlan tooLong = PlanForSize(options, 300 * 1024, 600);
    EXPECT_EQ(view->List().GetCellData(0, kColumnStatus)->m_toolTipText,
              wxString("Too long for 300 KB: at most " + LengthText(tooLong.longestSeconds) +
                       " fits at the lowest quality."));
    EXPECT_EQ(Status(1), "Done");
    EXPECT_EQ(view->List().GetCellData(1, kColumnStatus)->m_toolTipText,
              "To fit 300 KB: video 100 kbps, audio 32 kbps");
    // No tool ran for the long file: two lengths read, then the short file's five steps, its
    // encode step bound to the plan.
    const auto calls = tools.Calls();
    ASSERT_EQ(calls.size(), 7u);
    const SizePlan plan = PlanForSize(options, 300 * 1024, 10);
    EXPECT_EQ(calls[2][calls[2].size() - 4],
              "bitrate=100:max_bframes=0:size=" + std::to_string(plan.streamBytes));
    EXPECT_EQ(view->MessagePaneText(), "1 converted, 1 failed");

    // Back at "No limit" the next batch has no plan, and its tip says nothing of one.
    view->Choice(OptionList::SizeLimit).SetSelection(0);
    std::filesystem::remove(output.Path() + "short.3gp");
    ASSERT_TRUE(view->StartBatch());
    WaitForBatchEnd();
    EXPECT_EQ(Status(0), "Done");
    EXPECT_EQ(view->List().GetCellData(0, kColumnStatus)->m_toolTipText, "");
    EXPECT_EQ(tools.Calls()[7], BuildStepCommand(0, tools.Folder(), input.Path() + "long.avi",
                                                 output.Path() + "long", options)
                                    .arguments);
}

TEST_F(MainWindowTest, AThirtySecondClipFits300KbInBothFormats) {
    namespace media = tarv::tools::test;
    const std::string clip = media::NewFolder("thirty seconds") + "/party.mp4";
    ASSERT_TRUE(media::Ffmpeg({"-f", "lavfi", "-i",
                               "testsrc2=size=176x144:rate=25:duration=30,noise=alls=8:allf=t",
                               "-f", "lavfi", "-i", "sine=frequency=330:duration=30", "-c:v",
                               "mpeg4", "-q:v", "3", "-c:a", "aac", clip}));
    Open(TARV_PROGRAM_DIR);
    view->AddFiles({wxString(clip)});
    ASSERT_TRUE(WaitUntil([&] { return view->Rows().PendingDurations() == 0; }));
    view->Choice(OptionList::SizeLimit).SetSelection(1);
    for (int format : {0, 1}) {
        SCOPED_TRACE(format);
        view->Choice(OptionList::Format).SetSelection(format);
        wxCommandEvent change(wxEVT_CHOICE, kCtrlOutputFormat);
        change.SetEventObject(&view->Choice(OptionList::Format));
        view->Choice(OptionList::Format).ProcessWindowEvent(change);
        ASSERT_TRUE(view->StartBatch());
        WaitForBatchEnd();
        ASSERT_EQ(Status(0), "Done");
        const std::string made = FileNameBytes(view->Rows().EntryAt(0).outputFile);
        const auto size = std::filesystem::file_size(made);
        EXPECT_LE(size, 300u * 1024);
        EXPECT_GE(size, 300u * 1024 * 9 / 10);
        EXPECT_TRUE(view->List()
                        .GetCellData(0, kColumnStatus)
                        ->m_toolTipText.StartsWith("To fit 300 KB: video "));
        std::filesystem::remove(made);
    }
}

}  // namespace
