#include "TarvMediaConverterView.h"

#include <wx/choice.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/listbase.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/translation.h>
#include <wx/utils.h>

#include <algorithm>

#include "BackgroundProber.h"
#include "BatchDisplay.h"
#include "ConversionList.h"
#include "FileSystem.h"
#include "FormFit.h"
#include "FormStyle.h"
#include "FormTemplate.h"
#include "ImageButton.h"
#include "LinkErrorText.h"
#include "LinkOpener.h"
#include "MainFrame.h"
#include "OutputFolder.h"
#include "OutputFolderCheck.h"
#include "PathUtils.h"
#include "PreviewPane.h"
#include "PreviewPlayer.h"
#include "Resources.h"
#include "RowDetailsDlg.h"
#include "SkinSlider.h"
#include "TargetFolderDlg.h"
#include "Translations.h"
#include "XListCtrl.h"

namespace tarv {

namespace {

// The row menu's commands; they never reach the frame.
enum RowMenuId {
    kRowMenuDetails = wxID_HIGHEST + 700,
    kRowMenuOpenFolder,
    kRowMenuRemove,
};

// The lists in the order the form's ids name them.
OptionList ListOfControl(int id) {
    for (const OptionListInfo& info : OptionLists()) {
        if (info.controlId == id) {
            return info.list;
        }
    }
    return OptionList::Format;
}

// The option lists' texts that are words, as the engine's catalogue has them; the window shows
// them in its language. The other items are numbers and names that read alike everywhere.
[[maybe_unused]] constexpr const char* kOptionWords[] = {
    wxTRANSLATE("3GP - (XVID AAC) 3GPP format(*.3gp)"),
    wxTRANSLATE("3GP - (MPEG4-AVC AAC) 3GPP format(*.3gp)"),
    wxTRANSLATE("3GP - (MPEG4-XVID AAC) 3GPP format(*.3gp)"),
    wxTRANSLATE("Original as input"),
    // TRANSLATORS: the aspect ratio is the input's own.
    wxTRANSLATE("Auto"),
    wxTRANSLATE("No limit"),
    // TRANSLATORS: the size limits, in KB and MB of 1024 bytes; write the units and the decimal
    // separator as the language does.
    wxTRANSLATE("300 KB"),
    wxTRANSLATE("600 KB"),
    wxTRANSLATE("1 MB"),
    wxTRANSLATE("3.5 MB"),
    wxTRANSLATE("16 MB"),
};

// An option list's item or label in the window's language.
wxString OptionText(std::string_view text) {
    return text.empty() ? wxString() : TranslatedText(text);
}

void ShowMessage(wxWindow* parent, const wxString& text, long icon) {
    wxMessageBox(text, wxGetTranslation(kAppTitle), wxOK | icon, parent);
}

// Files dropped from the file manager are added as the Add command adds them.
class FileDrop : public wxFileDropTarget {
public:
    explicit FileDrop(CTarvMediaConverterView& view) : m_view(view) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        m_view.AddFiles(std::vector<wxString>(names.begin(), names.end()));
        return true;
    }

private:
    CTarvMediaConverterView& m_view;
};

}  // namespace

CTarvMediaConverterView::CTarvMediaConverterView(wxWindow* parent, const ProgramContext& context)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE),
      m_context(context) {
    CreateControls();
    m_rows = std::make_unique<ConversionList>(
        *m_list, std::make_unique<BackgroundProber>(
                     *this, m_context.programFolder,
                     [this](uint64_t id, double length) { m_rows->OnDurationRead(id, length); }));
    m_rows->SetDurationListener([this] { UpdateMessagePane(); });
    m_batch = std::make_unique<BatchDisplay>(*this, *m_list, *m_rows, m_context.programFolder,
                                             [this] { UpdateMessagePane(); });

    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnAddFiles, this, kCmdToolbarAdd);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnAddFiles, this, kCmdMenuAddFile);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnAddFiles, this, kCmdFileOpen);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnRemove, this, kCmdToolbarRemove);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnRemove, this, kCmdMenuRemoveFile);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnClear, this, kCmdToolbarClear);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnClear, this, kCmdMenuClear);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnClear, this, kCmdFileNew);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnConvert, this, kCmdToolbarConvert);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnConvert, this, kCmdMenuConvert);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnStop, this, kCmdToolbarStop);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnStop, this, kCmdMenuStop);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnHelp, this, kCmdToolbarHelp);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnHelp, this, kCmdMenuHelp);
    Bind(wxEVT_MENU, &CTarvMediaConverterView::OnHomePage, this, kCmdMenuHomepage);
    for (int id : {kCmdToolbarConvert, kCmdMenuConvert}) {
        Bind(wxEVT_UPDATE_UI, &CTarvMediaConverterView::OnUpdateConvert, this, id);
    }
    for (int id : {kCmdToolbarStop, kCmdMenuStop}) {
        Bind(wxEVT_UPDATE_UI, &CTarvMediaConverterView::OnUpdateStop, this, id);
    }
    for (int id :
         {kCmdToolbarRemove, kCmdMenuRemoveFile, kCmdToolbarClear, kCmdMenuClear, kCmdFileNew}) {
        Bind(wxEVT_UPDATE_UI, &CTarvMediaConverterView::OnUpdateListChange, this, id);
    }
    for (const OptionListInfo& info : OptionLists()) {
        Bind(wxEVT_UPDATE_UI, &CTarvMediaConverterView::OnUpdateOptionList, this, info.controlId);
    }
    Bind(wxEVT_BUTTON, &CTarvMediaConverterView::OnBrowse, this, kCtrlBrowse);
    Bind(wxEVT_BUTTON, &CTarvMediaConverterView::OnExplore, this, kCtrlExplore);
    Bind(wxEVT_CHOICE, &CTarvMediaConverterView::OnFormatChanged, this, kCtrlOutputFormat);
    Bind(WM_XLISTCTRL_CHECKBOX_CLICKED, &CTarvMediaConverterView::OnCheckboxClicked, this);
    Bind(wxEVT_LIST_COL_CLICK, &CTarvMediaConverterView::OnColumnClick, this);
    m_list->Bind(wxEVT_KEY_DOWN, &CTarvMediaConverterView::OnListKey, this);
    m_list->Bind(wxEVT_CONTEXT_MENU, &CTarvMediaConverterView::OnListContextMenu, this);
    m_list->Bind(wxEVT_LEFT_DCLICK, &CTarvMediaConverterView::OnListDoubleClick, this);
    m_preview = std::make_unique<PreviewPlayer>(*this, *m_previewArea, *m_slider);
    Bind(wxEVT_BUTTON, &CTarvMediaConverterView::OnPreviewPlay, this, kCtrlPreviewPlay);
    Bind(wxEVT_BUTTON, &CTarvMediaConverterView::OnPreviewPause, this, kCtrlPreviewPause);
    Bind(wxEVT_BUTTON, &CTarvMediaConverterView::OnPreviewStop, this, kCtrlPreviewStop);
    // Only drags and clicks on the slider seek; its keyboard moves do not.
    Bind(WM_SLIDER_MOVING, &CTarvMediaConverterView::OnSliderMoving, this);
    m_list->SetDropTarget(new FileDrop(*this));
}

CTarvMediaConverterView::~CTarvMediaConverterView() {
    Shutdown();
}

void CTarvMediaConverterView::Shutdown() {
    if (m_shutDown) {
        return;
    }
    // From here on every command is refused, also one a second copy hands over; the parts
    // stay until the window goes, only their work ends.
    m_shutDown = true;
    // The batch first: it shows its reports in the rows.
    m_batch->Shutdown();
    m_rows->StopProbing();
    // The player goes with the form, not with the process.
    m_preview->Release();
}

bool CTarvMediaConverterView::TryBefore(wxEvent& event) {
    if (m_shutDown && event.IsCommandEvent()) {
        return true;  // taken, and dropped
    }
    return wxPanel::TryBefore(event);
}

wxSize CTarvMediaConverterView::FormSize() const {
    return ConvertDialogToPixels(wxSize(kFormWidthDu, kFormHeightDu));
}

void CTarvMediaConverterView::CreateControls() {
    using Kind = FormControl::Kind;
    ApplyCompactFormStyle(*this);
    std::vector<wxStaticText*> labels;
    std::vector<wxWindow*> fields;
    // Each control with the place the template gives it, so longer texts can be given room.
    std::vector<wxWindow*> placed;
    std::vector<FitItem> places;
    auto place = [&](wxWindow* window, FitItem::Role role, const wxRect& rect) {
        int need = 0;
        if (role == FitItem::Role::Label) {
            // Measured in the form's font: the theme's idea of a label's size comes from its
            // own font until the label is first shown.
            need = window->GetTextExtent(window->GetLabel()).x + 1;
        } else if (role == FitItem::Role::Button) {
            need = window->GetBestSize().x;
        }
        placed.push_back(window);
        places.push_back({role, rect, need});
    };
    const int band = ConvertDialogToPixels(wxSize(0, 14)).y;
    for (const FormControl& control : MainFormTemplate()) {
        const wxPoint pos = ConvertDialogToPixels(wxPoint(control.x, control.y));
        const wxSize size = ConvertDialogToPixels(wxSize(control.width, control.height));
        const int id = control.id ? control.id : wxID_ANY;
        const wxString text = OptionText(control.text);
        switch (control.kind) {
            case Kind::List:
                m_list = new CXListCtrl(this, id, pos, size);
                place(m_list, FitItem::Role::Other, wxRect(pos, size));
                break;
            case Kind::Label: {
                auto* label = new wxStaticText(this, id, text, pos);
                labels.push_back(label);
                place(label, FitItem::Role::Label, wxRect(pos, wxSize(size.x, label->GetSize().y)));
                break;
            }
            case Kind::Edit:
                m_outputFolder = new wxTextCtrl(this, id, "", pos, size);
                fields.push_back(m_outputFolder);
                place(m_outputFolder, FitItem::Role::Field, wxRect(pos, size));
                break;
            case Kind::ImageButton: {
                auto* button = new CImageButton(this, id, text, pos, size);
                place(button, text.empty() ? FitItem::Role::Other : FitItem::Role::Button,
                      wxRect(pos, size));
                if (id == kCtrlPreviewPlay)
                    m_play = button;
                if (id == kCtrlPreviewPause)
                    m_pause = button;
                if (id == kCtrlPreviewStop)
                    m_stop = button;
                break;
            }
            case Kind::Choice: {
                // Closed, a drop-down list is as high as its font needs; the template's height
                // is that of the opened list. It sits centred on the template's 14-unit band.
                auto* choice = new wxChoice(this, id, pos, wxSize(size.x, -1));
                choice->Move(pos.x, pos.y + (band - choice->GetSize().y) / 2);
                m_choices[static_cast<int>(ListOfControl(control.id))] = choice;
                fields.push_back(choice);
                place(choice, FitItem::Role::Field, wxRect(pos, wxSize(size.x, band)));
                break;
            }
            case Kind::GroupBox:
                place(new wxStaticBox(this, id, text, pos, size), FitItem::Role::Box,
                      wxRect(pos, size));
                break;
            case Kind::PreviewArea:
                m_previewArea = new PreviewArea(this, id, pos, size,
                                                wxString(m_context.programFolder) + kLogoFileName);
                place(m_previewArea, FitItem::Role::Other, wxRect(pos, size));
                break;
            case Kind::Slider:
                m_slider = new CSkinSlider(this, id, pos, size);
                break;
        }
    }
    // No caption wraps or loses its end, in any language: the places move where a text needs
    // more room than the template gives it.
    FitTexts(places, ConvertDialogToPixels(wxSize(4, 0)).x);
    for (size_t i = 0; i < placed.size(); ++i) {
        const wxRect& rect = places[i].rect;
        const wxRect now = placed[i]->GetRect();
        if (rect.x != now.x || rect.width != now.width) {
            placed[i]->SetSize(rect.x, now.y, rect.width, now.height);
        }
    }
    // A label reads as one line with the field beside it: their middles meet, whatever height
    // the field's own font and frame give it.
    for (wxStaticText* label : labels) {
        const wxRect own = label->GetRect();
        for (wxWindow* field : fields) {
            const wxRect beside = field->GetRect();
            const int middle = own.y + own.height / 2;
            if (beside.x >= own.GetRight() && middle >= beside.y && middle <= beside.GetBottom()) {
                label->Move(own.x, beside.y + (beside.height - own.height) / 2);
                break;
            }
        }
    }
    SetSize(FormSize());
}

void CTarvMediaConverterView::OnInitialUpdate() {
    m_rows->SetUpColumns();
    SetUpPreviewControls(*m_play, *m_pause, *m_stop, *m_slider);
    FillOptionLists();
    SetDefaultOutputFolder();
}

void CTarvMediaConverterView::FillOptionLists() {
    for (const OptionListInfo& info : OptionLists()) {
        wxChoice& choice = Choice(info.list);
        choice.Clear();
        if (info.list != OptionList::VideoCodec) {  // the chosen format fills it
            for (const OptionItem& item : ItemsOf(info.list)) {
                choice.Append(OptionText(item.display));
            }
        }
        choice.Enable();
    }
    SelectOptions(StartSelections());
}

void CTarvMediaConverterView::ApplyFormatPreset() {
    ConvertOptions options = CaptureOptions();
    if (!FormatOf(options.format)) {
        return;
    }
    tarv::ApplyFormatPreset(options);
    SelectOptions(options);
}

void CTarvMediaConverterView::SelectOptions(const ConvertOptions& options) {
    // The video codec list holds the one item of the chosen format.
    wxChoice& codec = Choice(OptionList::VideoCodec);
    codec.Clear();
    const std::string_view item = DisplayTextOf(OptionList::VideoCodec, 0, options.format);
    codec.Append(OptionText(item));
    for (const OptionListInfo& info : OptionLists()) {
        Choice(info.list).SetSelection(options[info.list]);
    }
}

ConvertOptions CTarvMediaConverterView::CaptureOptions() const {
    ConvertOptions options;
    for (const OptionListInfo& info : OptionLists()) {
        options[info.list] = Choice(info.list).GetSelection();
    }
    return options;
}

const BatchState& CTarvMediaConverterView::Batch() const {
    return m_batch->State();
}

void CTarvMediaConverterView::SetDefaultOutputFolder() {
    const StartFolder start =
        ChooseStartFolder(*m_context.settings, wxStandardPaths::Get().GetDocumentsDir());
    if (start.isDefault && !IsUsableFolder(FileNameBytes(start.folder))) {
        std::string reason;
        if (!MakeFolders(FileNameBytes(start.folder), &reason) ||
            !IsUsableFolder(FileNameBytes(start.folder))) {
            ShowMessage(this, _("Can not create default output folder!"), wxICON_ERROR);
        }
    }
    SetOutputFolder(start.folder);
}

wxString CTarvMediaConverterView::GetOutputFolder() const {
    return m_outputFolder->GetValue();
}

void CTarvMediaConverterView::SetOutputFolder(const wxString& folder) {
    m_outputFolder->ChangeValue(folder);
    m_outputFolder->SetInsertionPointEnd();
}

CMainFrame* CTarvMediaConverterView::Frame() const {
    return dynamic_cast<CMainFrame*>(
        wxGetTopLevelParent(const_cast<CTarvMediaConverterView*>(this)));
}

void CTarvMediaConverterView::UpdateSelectedCount() {
    if (CMainFrame* frame = Frame()) {
        frame->SetSelectedCount(m_rows->CheckedCount());
    }
}

wxString CTarvMediaConverterView::MessagePaneText() const {
    const int pending = m_rows ? m_rows->PendingDurations() : 0;
    if (pending > 0) {
        return wxString::Format(wxPLURAL("Reading the playing time of %d file...",
                                         "Reading the playing time of %d files...", pending),
                                pending);
    }
    return m_batch ? m_batch->Line() : wxString();
}

void CTarvMediaConverterView::UpdateMessagePane() {
    CMainFrame* frame = Frame();
    if (!frame) {
        return;
    }
    frame->SetMessage(MessagePaneText());
    // Convert waits for the durations; let the toolbar know at once.
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
}

// --- the conversion list ---------------------------------------------------------------------

int CTarvMediaConverterView::AddFiles(const std::vector<wxString>& paths) {
    if (m_shutDown) {
        return 0;
    }
    wxBusyCursor wait;
    const int added = m_rows->AddFiles(paths);
    UpdateSelectedCount();
    UpdateMessagePane();
    return added;
}

void CTarvMediaConverterView::OnAddFiles(wxCommandEvent&) {
    wxFileDialog dialog(this, _("Open"), wxString(), wxString(), MediaFileFilter(),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE);
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    wxArrayString paths;
    dialog.GetPaths(paths);
    AddFiles(std::vector<wxString>(paths.begin(), paths.end()));
}

void CTarvMediaConverterView::OnRemove(wxCommandEvent&) {
    // Rows keep their place while a batch runs: the batch finds its rows by their number.
    if (IsBusy()) {
        return;
    }
    if (m_rows->RemoveSelected()) {
        UpdateSelectedCount();
        UpdateMessagePane();
    }
}

void CTarvMediaConverterView::OnClear(wxCommandEvent&) {
    if (IsBusy()) {
        return;
    }
    m_rows->Clear();
    UpdateSelectedCount();
    UpdateMessagePane();
}

void CTarvMediaConverterView::OnListKey(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_DELETE && !event.HasAnyModifiers()) {
        wxCommandEvent remove(wxEVT_MENU, kCmdMenuRemoveFile);
        OnRemove(remove);
        return;
    }
    event.Skip();
}

void CTarvMediaConverterView::OnCheckboxClicked(CXListCheckboxEvent&) {
    WithdrawUntickedRows();
    UpdateSelectedCount();
}

void CTarvMediaConverterView::OnColumnClick(wxListEvent& event) {
    // The header's box has just ticked or cleared every row.
    WithdrawUntickedRows();
    UpdateSelectedCount();
    event.Skip();
}

void CTarvMediaConverterView::WithdrawUntickedRows() {
    if (!IsBusy()) {
        return;
    }
    // A row the batch has not reached leaves it when its tick goes; ticking one again does
    // not bring it back into this batch, only into the next.
    for (int row = 0; row < m_rows->RowCount(); ++row) {
        if (!m_rows->IsChecked(row)) {
            m_batch->Withdraw(m_rows->EntryAt(row).id);
        }
    }
}

// --- the batch --------------------------------------------------------------------------------

bool CTarvMediaConverterView::IsBusy() const {
    return m_batch && m_batch->IsBusy();
}

wxString CTarvMediaConverterView::PrepareOutputFolder() {
    const wxString folder = NormalisedOutputFolder(GetOutputFolder(), wxGetHomeDir());
    const OutputFolderCheck check = tarv::PrepareOutputFolder(FileNameBytes(folder));
    const wxString reason = wxString::FromUTF8(check.reason);
    switch (check.problem) {
        case OutputFolderCheck::Problem::None:
            return folder;
        case OutputFolderCheck::Problem::Empty:
            ShowMessage(
                this,
                _("Please enter an output folder first: the converted files are written there."),
                wxICON_WARNING);
            m_outputFolder->SetFocus();
            break;
        case OutputFolderCheck::Problem::NotAFolder:
            ShowMessage(
                this,
                wxString::Format(_("The output folder\n%s\nis a file, not a folder."), folder),
                wxICON_ERROR);
            break;
        case OutputFolderCheck::Problem::CannotCreate:
            ShowMessage(
                this,
                wxString::Format(_("Can not create the output folder\n%s\n\n%s"), folder, reason),
                wxICON_ERROR);
            break;
        case OutputFolderCheck::Problem::NotWritable:
            ShowMessage(this,
                        wxString::Format(_("The output folder\n%s\ncannot be written to. Please "
                                           "choose another one."),
                                         folder),
                        wxICON_ERROR);
            break;
    }
    return {};
}

bool CTarvMediaConverterView::StartBatch() {
    if (m_shutDown || IsBusy() || m_rows->PendingDurations() > 0) {
        return false;
    }
    const wxString folder = PrepareOutputFolder();
    if (folder.empty() || !m_batch->Start(FileNameBytes(folder), CaptureOptions())) {
        return false;
    }
    // The lists show the batch's options for as long as it runs, and cannot change them.
    UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return true;
}

void CTarvMediaConverterView::StopBatch() {
    m_batch->RequestStop();
}

void CTarvMediaConverterView::OnConvert(wxCommandEvent&) {
    StartBatch();
}

void CTarvMediaConverterView::OnStop(wxCommandEvent&) {
    StopBatch();
}

// --- the row menu and details ------------------------------------------------------------------

void CTarvMediaConverterView::ShowRowDetails(int row) {
    if (row < 0 || row >= m_rows->RowCount()) {
        return;
    }
    RowDetailsDlg details(this, m_rows->EntryAt(row), m_list->GetItemText(row, kColumnStatus));
    details.ShowModal();
}

void CTarvMediaConverterView::OnListContextMenu(wxContextMenuEvent& event) {
    wxPoint point = event.GetPosition();
    int row = m_list->GetCurSel();
    if (point != wxDefaultPosition) {
        point = m_list->ScreenToClient(point);
        row = m_list->HitTest(point);
    }
    if (row < 0 || row >= m_rows->RowCount()) {
        return;
    }
    m_list->SelectItem(row, false);
    wxMenu menu;
    menu.Append(kRowMenuDetails, _("Show details..."));
    menu.Append(kRowMenuOpenFolder, _("Open output folder"));
    menu.AppendSeparator();
    menu.Append(kRowMenuRemove, _("Remove"));
    menu.Enable(kRowMenuRemove, !IsBusy());
    const int chosen = m_list->GetPopupMenuSelectionFromUser(menu, point);
    if (chosen == kRowMenuDetails) {
        ShowRowDetails(row);
    } else if (chosen == kRowMenuOpenFolder) {
        const wxString output = m_rows->EntryAt(row).outputFile;
        const wxString folder = output.empty()
                                    ? NormalisedOutputFolder(GetOutputFolder(), wxGetHomeDir())
                                    : wxFileName(output).GetPath();
        if (!folder.empty() && wxFileName::DirExists(folder)) {
            OpenLink(folder);
        } else {
            wxCommandEvent explore(wxEVT_BUTTON, kCtrlExplore);
            OnExplore(explore);
        }
    } else if (chosen == kRowMenuRemove) {
        wxCommandEvent remove(wxEVT_MENU, kCmdMenuRemoveFile);
        OnRemove(remove);
    }
}

void CTarvMediaConverterView::OnListDoubleClick(wxMouseEvent& event) {
    const int row = m_list->HitTest(event.GetPosition());
    if (row >= 0 && row < m_rows->RowCount() && m_rows->EntryAt(row).status == RowStatus::Failed) {
        ShowRowDetails(row);
        return;
    }
    event.Skip();
}

void CTarvMediaConverterView::OnUpdateConvert(wxUpdateUIEvent& event) {
    event.Enable(!IsBusy() && m_rows && m_rows->PendingDurations() == 0);
}

void CTarvMediaConverterView::OnUpdateStop(wxUpdateUIEvent& event) {
    event.Enable(IsBusy());
}

void CTarvMediaConverterView::OnUpdateListChange(wxUpdateUIEvent& event) {
    event.Enable(!IsBusy());
}

void CTarvMediaConverterView::OnUpdateOptionList(wxUpdateUIEvent& event) {
    event.Enable(!IsBusy());
}

// --- the preview --------------------------------------------------------------------------------

void CTarvMediaConverterView::OnPreviewPlay(wxCommandEvent&) {
    const int row = m_list->GetCurSel();
    if (row < 0 || row >= m_rows->RowCount()) {
        return;
    }
    m_preview->Play(m_rows->EntryAt(row).sourcePath);
}

void CTarvMediaConverterView::OnPreviewPause(wxCommandEvent&) {
    m_preview->Pause();
}

void CTarvMediaConverterView::OnPreviewStop(wxCommandEvent&) {
    m_preview->Stop();
}

void CTarvMediaConverterView::OnSliderMoving(wxCommandEvent& event) {
    if (event.GetId() == kCtrlPreviewSlider) {
        m_preview->SeekToSlider(event.GetInt());
    }
}

// --- options, folder, help ----------------------------------------------------------------------

void CTarvMediaConverterView::OnFormatChanged(wxCommandEvent&) {
    ApplyFormatPreset();
}

void CTarvMediaConverterView::OnBrowse(wxCommandEvent&) {
    CTargetFolderDlg dialog(this);
    if (dialog.ShowModal() == wxID_OK) {
        SetOutputFolder(dialog.GetPath());
    }
}

void CTarvMediaConverterView::OnExplore(wxCommandEvent&) {
    const wxString folder = NormalisedOutputFolder(GetOutputFolder(), wxGetHomeDir());
    if (folder.empty() || !wxFileName::DirExists(folder)) {
        ShowMessage(this,
                    folder.empty() ? _("There is no output folder to open yet.")
                                   : wxString::Format(_("The folder\n%s\ndoes not exist yet. It is "
                                                        "made when a conversion starts."),
                                                      folder),
                    wxICON_INFORMATION);
        return;
    }
    OpenLink(folder);
}

void CTarvMediaConverterView::OnHelp(wxCommandEvent&) {
    OpenLink(wxString(m_context.programFolder) + kHelpFileName);
}

void CTarvMediaConverterView::OnHomePage(wxCommandEvent&) {
    OpenLink(kHomePageUrl);
}

void CTarvMediaConverterView::OpenLink(const wxString& target) {
    LinkOpener& opener = m_context.opener ? *m_context.opener : DesktopLinkOpener();
    const LinkResult result = GotoURL(target, opener);
    if (!result.IsOpened()) {
        opener.ShowMessage(this, LinkErrorMessage(result.Error()));
    }
}

}  // namespace tarv
