// How a list cell paints itself - as a progress bar, a check box or plain text - and which
// colours it takes when its row is selected. Plain drawing on a DC, so a bitmap can show it.
#pragma once

#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/string.h>

#include "CellData.h"

namespace tarv {

// The system colours the list paints with; read when the list is made and again when the
// desktop's colours change.
struct ListColours {
    wxColour m_window;
    wxColour m_windowText;
    wxColour m_highlight;
    wxColour m_highlightText;
    wxColour m_buttonFace;
    wxColour m_buttonShadow;

    static ListColours FromSystem();
};

// The selection state of a cell being painted.
struct CellSelection {
    bool m_rowSelected = false;
    // Full-row selection is on, or this is the first column: the cell shows the selection.
    bool m_showsSelection = false;
    bool m_listHasFocus = false;
    bool m_showSelectionAlways = false;
};

// Background of a progress bar's empty part.
inline const wxColour kProgressTroughColour(224, 224, 224);

// From a cell's left edge to its check box and to the square that answers clicks on it.
inline constexpr int kCheckBoxIndent = 9;
// Between a check box and the cell's text.
inline constexpr int kCheckBoxTextGap = 4;

// The colours of a check-box or text cell: its own, or the selection's while its row is
// selected. An unfocused list shows its selection only when asked to show it always.
CellColours GetCellColors(const CellColours& own, const CellSelection& selection,
                          const ListColours& system);

// The box of a check-box cell: a square of `side` (shrunk to leave the cell's last pixel row to
// the grid line), centred between the cell's top and bottom, at the cell's left or, when the
// cell has no text, in its middle.
wxRect CheckBoxRect(const wxRect& cell, bool centred, int side);

// The square that toggles a check-box cell. It stays at the cell's left also where the box is
// drawn in the middle.
wxRect CheckBoxHitSquare(const wxRect& cell);

// The printed value of a progress cell.
wxString ProgressText(const CellData& data);

// A grey trough with a sunken frame, filled from the left to the cell's percentage, with the
// value centred on it: over the filled part in the highlight-text colour, elsewhere in the
// cell's text colour. Selection does not change it.
void DrawProgressCell(wxDC& dc, const wxRect& cell, const CellData& data,
                      const ListColours& system);

// Background, a framed box of `boxSide` (ticked when `checkState` is 1) and the text after the
// box.
void DrawCheckboxCell(wxDC& dc, const wxRect& cell, const wxString& text, int checkState,
                      const CellColours& colours, const ListColours& system, bool endEllipsis,
                      int boxSide);

// Background and the text, aligned as its column, `margin` pixels in from either side.
void DrawTextCell(wxDC& dc, const wxRect& cell, const wxString& text, int alignment,
                  const CellColours& colours, bool endEllipsis, int margin);

}  // namespace tarv
