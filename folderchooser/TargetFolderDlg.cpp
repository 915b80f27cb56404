#include "TargetFolderDlg.h"

#include "DesktopShell.h"

#include <wx/button.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/translation.h>

#include "FolderTreeCtrl.h"
#include "PathUtils.h"

namespace tarv {

namespace {

constexpr int kTreePlaceId = 1023;
constexpr int kPathFieldId = 1022;

}  // namespace

CTargetFolderDlg::CTargetFolderDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Get target folder path")) {
    // Dialog units are measured with this font, as the rest of the program's windows are.
    SetFont(wxFont(wxFontInfo(8).FaceName("Liberation Sans")));
    auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto sized = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    new wxStaticText(this, wxID_ANY, _("Please selete target path :"), at(7, 7), sized(186, 11));
    // The box only marks where the tree goes; the tree covers it.
    auto* place = new wxStaticBox(this, kTreePlaceId, wxString(), at(7, 19), sized(186, 116));
    place->Hide();
    m_tree = new CFolderTreeCtrl(this, CFolderTreeCtrl::kControlId, at(7, 19), sized(186, 116));
    m_pathField =
        new wxTextCtrl(this, kPathFieldId, wxString(), at(7, 148), sized(186, 15), wxTE_READONLY);
    auto* ok = new wxButton(this, wxID_OK, _("OK"), at(88, 179), sized(50, 15));
    new wxButton(this, wxID_CANCEL, _("Cancel"), at(143, 179), sized(50, 15));
    ok->SetDefault();
    SetClientSize(sized(200, 201));
    Centre();
    Bind(WM_TREE_SELCHANGED, &CTargetFolderDlg::OnTreeSelectionChanged, this);
    // A tree here always has a chosen item once it shows (its root, if nothing else); choosing
    // the root now keeps the field and the tree in agreement from the start.
    if (!m_tree->GetSelection().IsOk()) {
        m_tree->SelectItem(m_tree->GetRootItem());
    }
    wxCommandEvent start(WM_TREE_SELCHANGED);
    OnTreeSelectionChanged(start);
}

void CTargetFolderDlg::OnTreeSelectionChanged(wxCommandEvent&) {
    const std::string path = m_tree->GetSelectedPath(m_tree->GetSelection());
    m_selectedPath = PathText(path);
    m_pathField->ChangeValue(m_selectedPath);
    m_pathField->SetInsertionPointEnd();
}

wxString CTargetFolderDlg::GetPath() const {
    wxString path = m_selectedPath;
    if (!path.EndsWith(wxString(kSeparator))) {
        path += kSeparator;
    }
    return path;
}

}  // namespace tarv
