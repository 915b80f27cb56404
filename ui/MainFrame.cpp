#include "MainFrame.h"

#include <wx/accel.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/translation.h>

#include "AboutBox.h"
#include "OutputFolder.h"
#include "Resources.h"
#include "TarvMediaConverterView.h"
#include "XListCtrl.h"

namespace tarv {

namespace {

constexpr int kInitialWidth = 800;
// How often in a row the frame is fitted to its form again when the client area comes out
// wrong.
constexpr int kMaxRefits = 5;
constexpr int kInitialHeight = 600;

struct ToolButton {
    int id;
    const char* text;
};
// In button order; a zero id is a separator.
constexpr ToolButton kToolButtons[] = {
    {kCmdToolbarAdd, wxTRANSLATE("Add")},
    {kCmdToolbarRemove, wxTRANSLATE("Remove")},
    {kCmdToolbarClear, wxTRANSLATE("Clear")},
    {0, nullptr},
    {kCmdToolbarConvert, wxTRANSLATE("Convert")},
    {kCmdToolbarStop, wxTRANSLATE("Stop")},
    {0, nullptr},
    {kCmdToolbarHelp, wxTRANSLATE("Help")},
};

// Picture `index` of a toolbar strip, at 100 % and at 200 %, its key colour made transparent.
wxBitmapBundle ToolbarPicture(const wxBitmapBundle& strip, const wxColour& key, int index) {
    wxVector<wxBitmap> pictures;
    for (int scale : {1, 2}) {
        // Cut in the strip's own pixels, which a copy without its scale counts in.
        const wxBitmap pixels(strip.GetBitmap(strip.GetDefaultSize() * scale).ConvertToImage());
        wxBitmap picture = pixels.GetSubBitmap(wxRect(index * kToolbarPictureWidth * scale, 0,
                                                      kToolbarPictureWidth * scale,
                                                      kToolbarPictureHeight * scale));
        picture.SetMask(new wxMask(picture, key));
        pictures.push_back(picture);
    }
    return wxBitmapBundle::FromBitmaps(pictures);
}

}  // namespace

CMainFrame::CMainFrame(const ProgramContext& context)
    : wxFrame(nullptr, wxID_ANY, wxGetTranslation(kAppTitle), wxDefaultPosition,
              wxSize(kInitialWidth, kInitialHeight),
              // Moved and minimised, never resized or maximised.
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX)),
      m_context(context) {
    // Dialog units are measured with the top-level window's font, so it is set before the
    // form is laid out.
    SetFont(wxFont(wxFontInfo(8).FaceName("Liberation Sans")));
    SetIcons(LoadResourceIcons(kIconMain));
    CreateMenu();
    if (!CreateToolbar()) {
        return;
    }
    wxStatusBar* status = CreateStatusBar(2, wxSTB_SHOW_TIPS | wxFULL_REPAINT_ON_RESIZE);
    status->SetFont(GetFont());
    CreateAccelerators();

    m_view = new CTarvMediaConverterView(this, m_context);
    m_view->OnInitialUpdate();
    FitToForm();
    ResetStatusPanes();

    Bind(wxEVT_SIZE, &CMainFrame::OnSize, this);
    Bind(wxEVT_ICONIZE, &CMainFrame::OnIconize, this);
    Bind(wxEVT_SHOW, &CMainFrame::OnShow, this);
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_MENU, &CMainFrame::OnExit, this, kCmdMenuExit);
    Bind(wxEVT_MENU, &CMainFrame::OnAbout, this, kCmdMenuAbout);
    Bind(wxEVT_MENU, &CMainFrame::OnNextPane, this, kCmdNextPane);
    Bind(wxEVT_MENU, &CMainFrame::OnNextPane, this, kCmdPrevPane);
    m_ok = true;
}

void CMainFrame::CreateMenu() {
    auto* file = new wxMenu;
    file->Append(kCmdMenuAddFile, _("Add file"));
    file->Append(kCmdMenuRemoveFile, _("Remove file"));
    file->Append(kCmdMenuClear, _("Clear"));
    file->AppendSeparator();
    file->Append(kCmdMenuExit, _("E&xit"));
    auto* action = new wxMenu;
    action->Append(kCmdMenuConvert, _("Convert"));
    action->Append(kCmdMenuStop, _("Stop"));
    auto* help = new wxMenu;
    help->Append(kCmdMenuHomepage, _("Homepage"));
    help->Append(kCmdMenuHelp, _("Help"));
    help->AppendSeparator();
    help->Append(kCmdMenuAbout, _("&About"));
    auto* bar = new wxMenuBar;
    bar->Append(file, _("&File"));
    bar->Append(action, _("Action"));
    bar->Append(help, _("&Help"));
    SetMenuBar(bar);
}

bool CMainFrame::CreateToolbar() {
    const wxBitmapBundle normal = LoadResourceBitmapBundle(kBitmapToolbar);
    const wxBitmapBundle disabled = LoadResourceBitmapBundle(kBitmapToolbarDisabled);
    const wxSize stripSize(kToolbarPictureWidth * kToolbarPictureCount, kToolbarPictureHeight);
    if (!normal.IsOk() || !disabled.IsOk() || normal.GetDefaultSize() != stripSize ||
        disabled.GetDefaultSize() != stripSize) {
        return false;
    }
    wxToolBar* toolbar = CreateToolBar(wxTB_FLAT | wxTB_HORIZONTAL | wxTB_TEXT | wxBORDER_NONE);
    if (!toolbar) {
        return false;
    }
    toolbar->SetFont(GetFont());
    toolbar->SetToolBitmapSize(wxSize(kToolbarPictureWidth, kToolbarPictureHeight));
    int picture = 0;
    for (const ToolButton& button : kToolButtons) {
        if (button.id == 0) {
            toolbar->AddSeparator();
            continue;
        }
        toolbar->AddTool(
            button.id, wxGetTranslation(button.text),
            ToolbarPicture(normal, ResourceKeyColour(kBitmapToolbar), picture),
            ToolbarPicture(disabled, ResourceKeyColour(kBitmapToolbarDisabled), picture),
            wxITEM_NORMAL);
        ++picture;
    }
    return toolbar->Realize();
}

void CMainFrame::CreateAccelerators() {
    // The standard keys: Ctrl+O adds files and Ctrl+N starts an empty list, as opening and a
    // new document mean here. Editing keys stay with the focused text field; F6 moves between
    // the form's parts. Saving and printing have nothing to work on.
    wxAcceleratorEntry entries[] = {
        {wxACCEL_CTRL, 'O', kCmdFileOpen},
        {wxACCEL_CTRL, 'N', kCmdFileNew},
        {wxACCEL_NORMAL, WXK_F6, kCmdNextPane},
        {wxACCEL_SHIFT, WXK_F6, kCmdPrevPane},
    };
    SetAcceleratorTable(wxAcceleratorTable(std::size(entries), entries));
}

bool CMainFrame::TryBefore(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    if (m_view && !m_routing && (type == wxEVT_MENU || type == wxEVT_UPDATE_UI)) {
        m_routing = true;
        const bool handled = m_view->ProcessWindowEventLocally(event);
        m_routing = false;
        if (handled) {
            return true;
        }
    }
    return wxFrame::TryBefore(event);
}

void CMainFrame::FitToForm() {
    // The window fits the form exactly: a frame larger than the form shrinks to it, and one
    // whose bars leave too little room grows, so no part of the form is ever cut off.
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetClientSize(m_view->FormSize());
    m_view->SetSize(m_view->FormSize());
    const wxSize size = GetSize();
    SetSizeHints(size, size);
}

void CMainFrame::PaneWidths(int width, int& first, int& second) {
    if (width > 0) {
        first = width * 2 / 10;
        second = width * 8 / 10;
    } else {
        first = 120;
        second = 100;
    }
}

void CMainFrame::ResetStatusPanes() {
    wxStatusBar* status = GetStatusBar();
    if (!status) {
        return;
    }
    int widths[2];
    // The bar spans the client area; its own width lags behind a size change on some desktops.
    PaneWidths(GetClientSize().GetWidth(), widths[0], widths[1]);
    status->SetStatusWidths(2, widths);
    status->SetStatusText(wxString(), 0);
    status->SetStatusText(wxString(), 1);
}

void CMainFrame::SetSelectedCount(int count) {
    if (wxStatusBar* status = GetStatusBar()) {
        status->SetStatusText(wxString::Format(_("   select %d files"), count), 0);
        status->Update();
    }
}

void CMainFrame::SetMessage(const wxString& text) {
    if (wxStatusBar* status = GetStatusBar()) {
        status->SetStatusText(text, 1);
    }
}

void CMainFrame::OnSize(wxSizeEvent& event) {
    event.Skip();
    KeepFormWhole();
    // The toolbar's relayout when buttons change state sends size events too; only a real
    // change of size clears the panes.
    if (event.GetSize() != m_lastSize) {
        m_lastSize = event.GetSize();
        ResetStatusPanes();
    }
}

void CMainFrame::KeepFormWhole() {
    if (!m_view) {
        return;
    }
    // A window manager that starts along with the program may size the frame before it
    // knows its own decorations, and lock it there; the form is fitted again whenever the
    // client area comes out other than the form. A manager that insists gets its way after a
    // few tries, so the two never take turns for ever.
    if (GetClientSize() == m_view->FormSize()) {
        m_refits = 0;
        return;
    }
    if (m_refitPending || m_refits >= kMaxRefits) {
        return;
    }
    m_refitPending = true;
    ++m_refits;
    CallAfter([this] {
        m_refitPending = false;
        FitToForm();
    });
}

void CMainFrame::OnShow(wxShowEvent& event) {
    event.Skip();
    if (event.IsShown()) {
        CallAfter([this] { FitToForm(); });
    }
}

void CMainFrame::OnIconize(wxIconizeEvent& event) {
    event.Skip();
    if (!event.IsIconized()) {
        ResetStatusPanes();
    }
}

void CMainFrame::SaveOutputFolder() {
    if (!m_context.settings || !m_view) {
        return;
    }
    if (!tarv::SaveOutputFolder(*m_context.settings, m_view->GetOutputFolder())) {
        wxMessageBox(_("Access registry fail!"), wxGetTranslation(kAppTitle), wxOK | wxICON_ERROR,
                     this);
    }
}

void CMainFrame::OnClose(wxCloseEvent&) {
    SaveOutputFolder();
    // A running batch ends with the window: its tool is stopped and the worker has finished
    // before the window goes, so nothing keeps running after the program.
    if (m_view) {
        m_view->Shutdown();
    }
    Destroy();
}

void CMainFrame::OnExit(wxCommandEvent&) {
    Close();
}

void CMainFrame::OnAbout(wxCommandEvent&) {
    CAboutBox about(this);
    about.ShowModal();
}

void CMainFrame::OnNextPane(wxCommandEvent& event) {
    if (!m_view) {
        return;
    }
    wxWindow* panes[] = {&m_view->List(), m_view->FindWindow(kCtrlOutputFolder),
                         &m_view->Choice(OptionList::Format)};
    const int count = static_cast<int>(std::size(panes));
    int current = -1;
    for (int i = 0; i < count; ++i) {
        wxWindow* focus = FindFocus();
        if (focus && (focus == panes[i] || panes[i]->IsDescendant(focus))) {
            current = i;
        }
    }
    const int step = event.GetId() == kCmdNextPane ? 1 : count - 1;
    panes[(current + step + count) % count]->SetFocus();
}

}  // namespace tarv
