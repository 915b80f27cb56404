// The window in the desktop's language, as a user sees it: a German desktop gets German menus,
// toolbar and form, and in every language of the catalogue no caption, label, column title or
// status text is cut off or overlaps another, in the form and in its dialogs.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/fileconf.h>
#include <wx/menu.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/stockitem.h>
#include <wx/toolbar.h>

#include <cstdlib>

#include "AboutBox.h"
#include "ConversionList.h"
#include "FormTemplate.h"
#include "ImageButton.h"
#include "MainFrame.h"
#include "OutputFolder.h"
#include "ResourceIds.h"
#include "RowDetailsDlg.h"
#include "TargetFolderDlg.h"
#include "TarvMediaConverterView.h"
#include "TempFolder.h"
#include "Translations.h"
#include "WxTestEnvironment.h"
#include "XHeaderCtrl.h"
#include "XListCtrl.h"

using namespace tarv;
using tarv::testing::PumpEvents;

namespace {

struct TestHome {
    TestHome() {
        setenv("HOME", folder.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder.Path() + ".config").c_str(), 1);
    }
    TempFolder folder;
};
const TestHome kHome;

// The desktop as a user's session sets it: only the variables given.
void SetDesktop(const char* language, const char* lang) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        unsetenv(name);
    }
    if (language) {
        setenv("LANGUAGE", language, 1);
    }
    if (lang) {
        setenv("LANG", lang, 1);
    }
}

// Every text of `window`'s children has its whole width and height, and no two of them share
// a pixel (a group box holds what it frames). The names say which window failed.
void ExpectTextsWhole(wxWindow& window, const std::string& where) {
    std::vector<wxWindow*> shown;
    for (wxWindow* child : window.GetChildren()) {
        if (!child->IsShown() || dynamic_cast<wxStaticBox*>(child)) {
            continue;
        }
        shown.push_back(child);
        const wxString text = child->GetLabel();
        if (dynamic_cast<wxStaticText*>(child)) {
            // Measured in the label's own font, line by line.
            wxClientDC dc(child);
            dc.SetFont(child->GetFont());
            const wxSize extent = dc.GetMultiLineTextExtent(text);
            EXPECT_GE(child->GetSize().x, extent.x) << where << ": " << text;
            EXPECT_GE(child->GetSize().y, extent.y) << where << ": " << text;
        } else if (dynamic_cast<CImageButton*>(child) && !text.empty()) {
            const wxSize best = child->GetBestSize();
            EXPECT_GE(child->GetSize().x, best.x) << where << ": " << text;
            EXPECT_GE(child->GetSize().y, best.y) << where << ": " << text;
        } else if (dynamic_cast<wxButton*>(child)) {
            // The theme would make every button larger than the dialog's template; what must
            // fit is the caption, with a little room either side.
            const wxSize caption = child->GetTextExtent(wxStripMenuCodes(text));
            EXPECT_GE(child->GetSize().x, caption.x + 8) << where << ": " << text;
            EXPECT_GE(child->GetSize().y, caption.y) << where << ": " << text;
        }
        const wxRect rect = child->GetRect();
        EXPECT_TRUE(wxRect(window.GetClientSize()).Contains(rect)) << where << ": " << text;
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(shown[i]->GetRect().Intersects(shown[j]->GetRect()))
                << where << ": \"" << shown[i]->GetLabel() << "\" and \"" << shown[j]->GetLabel()
                << "\"";
        }
    }
}

class LanguageTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (frame) {
            frame->Close(true);
            PumpEvents();
        }
        SetDesktop(nullptr, "C.UTF-8");
        UseDesktopLanguage(TARV_PROGRAM_DIR);
    }

    // The window as the program opens it on that desktop.
    void Open(const char* language) {
        SetDesktop(language, nullptr);
        UseDesktopLanguage(TARV_PROGRAM_DIR);
        settings = OpenSettings(settingsFolder.Path() + "TarvMediaConverter.conf");
        ProgramContext context;
        context.programFolder = TARV_PROGRAM_DIR;
        context.settings = settings.get();
        frame = new CMainFrame(context);
        ASSERT_TRUE(frame->IsOk());
        frame->Show();
        PumpEvents(100);
        view = frame->GetView();
    }

    TempFolder settingsFolder;
    std::unique_ptr<wxFileConfig> settings;
    CMainFrame* frame = nullptr;
    CTarvMediaConverterView* view = nullptr;
};

}  // namespace

TEST_F(LanguageTest, AGermanDesktopGetsGermanMenusToolbarFormAndStatusBar) {
    // LANGUAGE alone, as on a desktop whose locale is not installed: nothing else is set.
    Open("de");
    wxMenuBar& menus = *frame->GetMenuBar();
    EXPECT_EQ(menus.GetMenuLabelText(0), "Datei");
    EXPECT_EQ(menus.GetMenuLabelText(1), "Aktion");
    EXPECT_EQ(menus.GetMenuLabelText(2), "Hilfe");
    EXPECT_EQ(menus.FindItem(kCmdMenuAddFile)->GetItemLabelText(), "Datei hinzufügen");
    EXPECT_EQ(menus.FindItem(kCmdMenuExit)->GetItemLabelText(), "Beenden");
    EXPECT_EQ(menus.FindItem(kCmdMenuConvert)->GetItemLabelText(), "Konvertieren");
    wxToolBar& toolbar = *frame->GetToolBar();
    EXPECT_EQ(toolbar.FindById(kCmdToolbarAdd)->GetLabel(), "Hinzufügen");
    EXPECT_EQ(toolbar.FindById(kCmdToolbarStop)->GetLabel(), "Stopp");
    EXPECT_EQ(frame->GetTitle(), "TarvSoft Video-zu-3GP-Konverter");
    EXPECT_EQ(view->List().GetHeaderCtrl()->GetItem(kColumnSize)->m_text, "Größe (MB)");
    EXPECT_EQ(view->Choice(OptionList::Resolution).GetString(0), "Wie Eingabe");
    frame->SetSelectedCount(3);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "   3 Dateien ausgewählt");
    // wxWidgets' own texts, as its file dialog and message boxes label their buttons.
    EXPECT_EQ(wxGetStockLabel(wxID_CANCEL, wxSTOCK_NOFLAGS), "Abbrechen");
}

TEST_F(LanguageTest, AnEnglishOrCDesktopKeepsTheTextsAsWritten) {
    Open("en_GB:de");
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabelText(0), "File");
    EXPECT_EQ(frame->GetToolBar()->FindById(kCmdToolbarAdd)->GetLabel(), "Add");
    frame->Close(true);
    PumpEvents();
    frame = nullptr;
    SetDesktop("de", nullptr);
    setenv("LC_ALL", "C", 1);
    UseDesktopLanguage(TARV_PROGRAM_DIR);
    EXPECT_EQ(_("Add file"), "Add file");
}

TEST_F(LanguageTest, InEnglishTheFormKeepsItsTemplatesPlaces) {
    Open("en");
    for (const FormControl& control : MainFormTemplate()) {
        // The slider takes its pictures' width when the preview is set up.
        if (control.id == 0 || control.kind == FormControl::Kind::Label ||
            control.kind == FormControl::Kind::Slider) {
            continue;
        }
        const wxWindow* window = view->FindWindow(control.id);
        ASSERT_TRUE(window) << control.id;
        const wxRect place(view->ConvertDialogToPixels(wxPoint(control.x, control.y)),
                           view->ConvertDialogToPixels(wxSize(control.width, control.height)));
        // Drop-down lists are as high as their font needs, centred on their row.
        EXPECT_EQ(window->GetRect().x, place.x) << control.id;
        EXPECT_EQ(window->GetRect().width, place.width) << control.id;
    }
}

class EveryLanguageTest : public LanguageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryLanguageTest, NothingOnTheFormOrItsDialogsIsCutOffOrOverlaps) {
    Open(GetParam());
    const std::string language = GetParam();
    ExpectTextsWhole(*view, language + " form");
    // The form fits the window whole.
    EXPECT_EQ(frame->GetClientSize(), view->FormSize());
    // Each column title fits its column.
    CXListCtrl& list = view->List();
    for (int column = 0; column < list.GetColumns(); ++column) {
        const wxString title = list.GetHeaderCtrl()->GetItem(column)->m_text;
        const int room = list.GetColumnWidth(column) - 2 * CXHeaderCtrl::kTextMargin -
                         (column == kColumnFile ? 20 : 0);  // the header's check box
        EXPECT_LE(list.GetHeaderCtrl()->GetTextExtent(title).x, room) << language << ": " << title;
    }
    // The count of ticked files fits its pane.
    frame->SetSelectedCount(12);
    wxStatusBar& status = *frame->GetStatusBar();
    wxRect pane;
    ASSERT_TRUE(status.GetFieldRect(0, pane));
    EXPECT_LE(status.GetTextExtent(status.GetStatusText(0)).x, pane.width) << language;
    // The toolbar's buttons grow with their texts, and all of them still fit the window: none
    // is pushed into the toolbar's overflow menu.
    wxToolBar& toolbar = *frame->GetToolBar();
    EXPECT_LE(toolbar.GetBestSize().x, frame->GetClientSize().x) << language;

    JobEntry failed;
    failed.sourcePath = "/home/someone/Videos/holiday at the sea.avi";
    failed.status = RowStatus::Failed;
    failed.failure = _("The file holds no video or sound to convert.");
    failed.toolOutput =
        "tarv.patch4: /home/someone/Videos/holiday at the sea.avi holds no video "
        "or sound to convert";
    RowDetailsDlg details(frame, failed, _("Failed"));
    details.Show();
    PumpEvents();
    ExpectTextsWhole(details, language + " details");
    EXPECT_GE(details.GetClientSize().x, details.GetBestSize().x - 1);
    details.Hide();

    CAboutBox about(frame);
    about.Show();
    PumpEvents();
    ExpectTextsWhole(about, language + " about box");
    about.Hide();

    CTargetFolderDlg target(frame);
    target.Show();
    PumpEvents();
    ExpectTextsWhole(target, language + " target folder dialog");
    target.Hide();
}

INSTANTIATE_TEST_SUITE_P(Languages, EveryLanguageTest,
                         ::testing::Values("en", "de", "es", "fr", "hi", "id", "pt_BR", "ru"),
                         [](const auto& info) { return std::string(info.param); });
