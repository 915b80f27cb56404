#include "CellPainters.h"

#include <wx/settings.h>

#include <algorithm>
#include <cstdint>

#include "CellData.h"
#include "DrawingPrimitives.h"

namespace tarv {

ListColours ListColours::FromSystem() {
    ListColours colours;
    colours.m_window = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    colours.m_windowText = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    colours.m_highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    colours.m_highlightText = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
    colours.m_buttonFace = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    colours.m_buttonShadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    return colours;
}

CellColours GetCellColors(const CellColours& own, const CellSelection& selection,
                          const ListColours& system) {
    if (!selection.m_rowSelected || !selection.m_showsSelection) {
        return own;
    }
    if (selection.m_listHasFocus) {
        return {system.m_highlightText, system.m_highlight};
    }
    if (selection.m_showSelectionAlways) {
        return {system.m_windowText, system.m_buttonFace};
    }
    return own;
}

wxRect CheckBoxRect(const wxRect& cell, bool centred, int side) {
    // The row's last pixel row belongs to the grid line.
    side = std::max(0, std::min(side, cell.height - 1));
    int left = cell.x + kCheckBoxIndent;
    if (centred) {
        left = cell.x + cell.width / 2 - side / 2 - 1;
    }
    return wxRect(left, cell.y + (cell.height - side) / 2, side, side);
}

wxRect CheckBoxHitSquare(const wxRect& cell) {
    return wxRect(cell.x + kCheckBoxIndent, cell.y, cell.height, cell.height);
}

wxString ProgressText(const CellData& data) {
    const wxString format =
        data.m_progressFormat.empty() ? wxString("%d%%") : data.m_progressFormat;
    return wxString::Format(format, data.m_progressValue);
}

void DrawProgressCell(wxDC& dc, const wxRect& cell, const CellData& data,
                      const ListColours& system) {
    if (cell.width <= 0 || cell.height <= 0) {
        return;
    }
    PixelExactDrawing exact(dc);
    // The cell's first column and last row stay free for the grid lines.
    const wxRect bar(cell.x + 1, cell.y, cell.width - 1, cell.height - 1);
    FillSolidRect(dc, bar, kProgressTroughColour);
    Draw3dFrame(dc, bar, *wxBLACK, system.m_buttonShadow);
    if (data.m_progressValue <= 0) {
        return;
    }

    // 64-bit because the value is stored unlimited; the fill still stops at the frame.
    const std::int64_t reach =
        static_cast<std::int64_t>(bar.width - 1) * data.m_progressValue / 100;
    const int fillRight = static_cast<int>(std::min<std::int64_t>(reach, bar.width - 1)) + bar.x;
    const wxRect fill(bar.x + 1, bar.y + 1, fillRight - (bar.x + 1), bar.height - 2);
    FillSolidRect(dc, fill, system.m_highlight);

    if (!data.m_progressTextShown) {
        return;
    }
    const wxString text = ProgressText(data);
    const wxRect textRect = wxRect(bar).Deflate(1);
    if (fill.width > 0 && fill.height > 0) {
        wxDCClipper clip(dc, fill);
        dc.SetTextForeground(system.m_highlightText);
        DrawSingleLineText(dc, text, textRect, wxALIGN_CENTER_HORIZONTAL, false);
    }
    const int restLeft = std::max(fill.x + fill.width, bar.x + 1);
    const wxRect rest(restLeft, bar.y + 1, bar.x + bar.width - restLeft, bar.height - 2);
    if (rest.width > 0 && rest.height > 0) {
        wxDCClipper clip(dc, rest);
        dc.SetTextForeground(data.m_textColour);
        DrawSingleLineText(dc, text, textRect, wxALIGN_CENTER_HORIZONTAL, false);
    }
}

void DrawCheckboxCell(wxDC& dc, const wxRect& cell, const wxString& text, int checkState,
                      const CellColours& colours, const ListColours& system, bool endEllipsis,
                      int boxSide) {
    if (cell.width <= 0 || cell.height <= 0) {
        return;
    }
    PixelExactDrawing exact(dc);
    FillSolidRect(dc, cell, colours.m_background);

    const wxRect box = CheckBoxRect(cell, text.empty(), boxSide);
    DrawCheckBox(dc, box, system.m_window, checkState == 1);

    if (!text.empty()) {
        const int textLeft = box.x + box.width + kCheckBoxTextGap;
        const wxRect textRect(textLeft, cell.y, cell.x + cell.width - textLeft, cell.height);
        dc.SetTextForeground(colours.m_text);
        DrawSingleLineText(dc, text, textRect, wxALIGN_LEFT, endEllipsis);
    }
}

void DrawTextCell(wxDC& dc, const wxRect& cell, const wxString& text, int alignment,
                  const CellColours& colours, bool endEllipsis, int margin) {
    if (cell.width <= 0 || cell.height <= 0) {
        return;
    }
    PixelExactDrawing exact(dc);
    FillSolidRect(dc, cell, colours.m_background);
    if (text.empty()) {
        return;
    }
    const wxRect textRect(cell.x + margin, cell.y, cell.width - 2 * margin, cell.height);
    dc.SetTextForeground(colours.m_text);
    DrawSingleLineText(dc, text, textRect, alignment, endEllipsis);
}

}  // namespace tarv
