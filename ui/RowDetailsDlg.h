// A small dialog about one row of the list: its file, how its last conversion ended, what it
// noticed on the way, where the result went, and when it failed why, with what the tool said
// in a box the user can copy from.
#pragma once

#include <wx/dialog.h>

class wxTextCtrl;

namespace tarv {

struct JobEntry;

class RowDetailsDlg : public wxDialog {
public:
    RowDetailsDlg(wxWindow* parent, const JobEntry& entry, const wxString& status);

    wxTextCtrl& FileField() const { return *m_file; }
    wxTextCtrl& ToolOutput() const { return *m_toolOutput; }
    // The reason in the program's words; null when the row did not fail.
    wxTextCtrl* Reason() const { return m_reason; }
    // What the conversion noticed on the way; null when it noticed nothing.
    wxTextCtrl* Note() const { return m_note; }

private:
    void OnCopy(wxCommandEvent& event);

    wxTextCtrl* m_file = nullptr;
    wxTextCtrl* m_toolOutput = nullptr;
    wxTextCtrl* m_reason = nullptr;
    wxTextCtrl* m_note = nullptr;
};

}  // namespace tarv
