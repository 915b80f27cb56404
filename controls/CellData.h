// What the list keeps for one cell besides its text: colours, tool tip, and whether the cell
// shows a check box or a progress bar.
#pragma once

#include <wx/colour.h>
#include <wx/settings.h>
#include <wx/string.h>

namespace tarv {

// The colours of a cell: its text and its fill.
struct CellColours {
    wxColour m_text;
    wxColour m_background;

    // The desktop's colours of the moment, which a new cell takes.
    static CellColours FromSystem() {
        return {wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT),
                wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)};
    }
};

struct CellData {
    CellData() : CellData(CellColours::FromSystem()) {}
    explicit CellData(const CellColours& colours)
        : m_textColour(colours.m_text), m_backgroundColour(colours.m_background) {}

    wxString m_toolTipText;
    // Colour of the text (for a progress bar: of the text outside the filled part).
    wxColour m_textColour;
    wxColour m_backgroundColour;
    bool m_hasProgress = false;
    // Percentage shown by the bar; stored as given, not limited to 0..100.
    int m_progressValue = 0;
    // printf-style format for the value; empty means "%d%%".
    wxString m_progressFormat;
    bool m_progressTextShown = true;
    // -1 no check box, 0 unchecked, 1 checked.
    int m_checkState = -1;
};

}  // namespace tarv
