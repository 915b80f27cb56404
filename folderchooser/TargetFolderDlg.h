// The dialog that picks the output folder: the folder tree with the chosen folder's path
// shown under it.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

namespace tarv {

class CFolderTreeCtrl;

class CTargetFolderDlg : public wxDialog {
public:
    explicit CTargetFolderDlg(wxWindow* parent = nullptr);

    // The chosen folder with a trailing separator: the bare separator when nothing (or
    // "My Computer") was chosen.
    wxString GetPath() const;

    CFolderTreeCtrl& Tree() const { return *m_tree; }
    wxTextCtrl& PathField() const { return *m_pathField; }

private:
    void OnTreeSelectionChanged(wxCommandEvent& event);

    CFolderTreeCtrl* m_tree = nullptr;
    wxTextCtrl* m_pathField = nullptr;
    wxString m_selectedPath;
};

}  // namespace tarv
