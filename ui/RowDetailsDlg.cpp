#include "RowDetailsDlg.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/translation.h>

#include "ConversionList.h"

namespace tarv {

RowDetailsDlg::RowDetailsDlg(wxWindow* parent, const JobEntry& entry, const wxString& status)
    : wxDialog(parent, wxID_ANY, _("Details"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto label = [&](const wxString& text) {
        sizer->Add(new wxStaticText(this, wxID_ANY, text), 0, wxLEFT | wxRIGHT | wxTOP, 10);
    };
    auto field = [&](const wxString& text) {
        auto* box =
            new wxTextCtrl(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
        sizer->Add(box, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
        return box;
    };
    label(_("File:"));
    m_file = field(DisplayPath(entry.sourcePath));
    label(_("Result:"));
    field(status.empty() ? _("Not converted yet") : status);
    if (!entry.failure.empty()) {
        label(_("Why:"));
        m_reason = field(entry.failure);
    }
    if (!entry.note.empty()) {
        label(_("Note:"));
        m_note = field(entry.note);
    }
    if (!entry.outputFile.empty()) {
        label(_("Converted file:"));
        field(DisplayPath(entry.outputFile));
    }
    label(_("What the tool said:"));
    m_toolOutput = new wxTextCtrl(
        this, wxID_ANY, entry.toolOutput.empty() ? _("Nothing.") : entry.toolOutput,
        wxDefaultPosition, wxSize(520, 140), wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
    m_toolOutput->SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE)));
    m_toolOutput->SetInsertionPoint(0);
    m_toolOutput->ShowPosition(0);
    sizer->Add(m_toolOutput, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* copy = new wxButton(this, wxID_COPY, _("Copy"));
    auto* close = new wxButton(this, wxID_CLOSE, _("Close"));
    buttons->Add(copy, 0, wxRIGHT, 8);
    buttons->Add(close, 0);
    sizer->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(sizer);
    SetEscapeId(wxID_CLOSE);
    SetAffirmativeId(wxID_CLOSE);
    close->SetDefault();
    copy->Bind(wxEVT_BUTTON, &RowDetailsDlg::OnCopy, this);
    copy->Enable(!entry.toolOutput.empty());
    CentreOnParent();
}

void RowDetailsDlg::OnCopy(wxCommandEvent&) {
    // The file and the tool's words together, as a bug report or a search wants them.
    wxClipboardLocker lock;
    if (!!lock) {
        wxTheClipboard->SetData(new wxTextDataObject(
            m_file->GetValue() + "\n" + (m_reason ? m_reason->GetValue() + "\n" : wxString()) +
            (m_note ? m_note->GetValue() + "\n" : wxString()) + m_toolOutput->GetValue()));
    }
}

}  // namespace tarv
