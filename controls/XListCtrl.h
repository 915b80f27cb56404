// The conversion list: a report list painted cell by cell by our own code, whose cells can be
// check boxes or live progress bars, with per-cell colours and tool tips, and a header that
// can tick a whole column.
#pragma once

#include <wx/control.h>
#include <wx/event.h>

#include <vector>

#include "CellData.h"
#include "CellPainters.h"
#include "ListGeometry.h"
#include "ListRows.h"

class wxHeaderCtrlEvent;
class wxScrollBar;

namespace tarv {

class CXHeaderCtrl;

// Sent to the list's parent, synchronously, when the user toggles a cell's check box.
class CXListCheckboxEvent : public wxCommandEvent {
public:
    CXListCheckboxEvent(wxEventType type = wxEVT_NULL, int id = 0, int row = -1, int column = -1)
        : wxCommandEvent(type, id), m_row(row), m_column(column) {}

    int GetRow() const { return m_row; }
    int GetColumn() const { return m_column; }
    wxEvent* Clone() const override { return new CXListCheckboxEvent(*this); }

private:
    int m_row;
    int m_column;
};

wxDECLARE_EVENT(WM_XLISTCTRL_CHECKBOX_CLICKED, CXListCheckboxEvent);

// Extended styles of the list.
enum XListExStyle : long {
    kListExFullRowSelect = 1 << 0,  // selection colours every cell of the row, not only the first
    kListExGridLines = 1 << 1,
    kListExShowSelAlways = 1 << 2,  // an unfocused list still shows its selection, in grey
};

// Rows and columns count from 0. Besides the check-box notification the list sends
// wxEVT_LIST_COL_CLICK (a wxListEvent with the column) when a header column is clicked, after
// it has ticked or cleared that column, and wxEVT_LIST_ITEM_SELECTED when the user selects a
// row. One row at most is selected. Space toggles the selected row's box in the first column,
// with the same notification as a click on it.
class CXListCtrl : public wxControl {
public:
    // Space left and right of the text in a text cell.
    static constexpr int kTextMargin = 5;

    CXListCtrl() = default;
    CXListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = wxBORDER_SUNKEN);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxBORDER_SUNKEN);

    // Columns.
    int InsertColumn(int column, const wxString& heading, int alignment = wxALIGN_LEFT,
                     int width = 80);
    bool SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;
    int GetColumns() const;
    CXHeaderCtrl* GetHeaderCtrl() const { return m_header; }

    void SetExtendedStyle(long exStyle);
    long GetExtendedStyle() const { return m_exStyle; }
    // Whether texts too wide for their cell end in "..." (on by default).
    void SetEllipsis(bool ellipsis);

    // Rows. Operations on a row or column out of range change nothing and return false (-1 for
    // the getters of a state).
    int GetItemCount() const { return m_rows.Count(); }
    // Inserts a row with its first column's text; returns its index (a position past the end
    // appends), -1 for a negative position. Every cell gets a record; the first column's takes
    // the list's colours.
    int InsertItem(int row, const wxString& text);
    bool SetItemText(int row, int column, const wxString& text);
    wxString GetItemText(int row, int column) const;
    bool DeleteItem(int row);
    bool DeleteAllItems();
    // Null when out of range.
    const CellData* GetCellData(int row, int column) const;

    // Turns the cell into a progress bar at 0; `format` (printf-style) prints the value, "%d%%"
    // when empty.
    bool SetProgress(int row, int column, bool showText = true, const wxString& format = {});
    // The value is stored as given.
    void UpdateProgress(int row, int column, int value);
    void DeleteProgress(int row, int column);

    // -1 removes the check box, 0 unchecked, 1 checked. Keeps the column's header box in step.
    bool SetCheckbox(int row, int column, int checkState);
    int GetCheckbox(int row, int column) const;
    int CountCheckedItems(int column) const;

    // The header box of a column: 0 none, 1 unchecked, 2 checked; -1 when out of range.
    int GetHeaderCheckedState(int column) const;
    bool SetHeaderCheckedState(int column, int state);

    bool SetItemToolTipText(int row, int column, const wxString& text);

    int GetCurSel() const { return m_rows.Selected(); }
    // Selects the row (and gives it the keyboard focus); scrolls it fully into view when asked.
    bool SelectItem(int row, bool scrollIntoView);
    bool EnsureVisible(int row);
    int GetTopIndex() const { return m_topRow; }
    // How far the columns are scrolled to the left, in pixels.
    int GetScrollX() const { return m_scrollX; }
    // Rows that fit wholly below the header.
    int GetCountPerPage() const;
    int GetRowHeight() const { return m_rowHeight; }

    // The cell's area in client coordinates, also for a row scrolled out of view.
    bool GetCellRect(int row, int column, wxRect& rect) const;
    // The row under a client point (and its column), -1 when the point is on no cell.
    int HitTest(const wxPoint& point, int* column = nullptr) const;
    // Repaints one cell, at once.
    void UpdateSubItem(int row, int column);

    // Paints the rows, the empty space below them and the grid inside `area` (client
    // coordinates). The paint handler uses it; so can anyone who wants a picture of the list.
    void DrawRows(wxDC& dc, const wxRect& area);

    bool SetFont(const wxFont& font) override;

protected:
    wxSize DoGetBestClientSize() const override;

private:
    // XListCtrl.cpp: the control, its rows and columns, scrolling and painting.
    CellData* Cell(int row, int column);
    const CellData* Cell(int row, int column) const;
    bool InRange(int row, int column) const;
    int ColumnAlignment(int column) const;
    ListMetrics Metrics() const;
    // The area below the header where rows are shown.
    wxRect RowsArea() const;
    void UpdateHeaderCheckState(int column);
    void LoadSystemColors();
    void UpdateMetrics();
    // Places the header and the scroll bars, shows the bars that are needed and keeps the
    // scroll positions in range.
    void Relayout();
    void ScrollTo(int topRow);
    void ScrollSideways(int offset);
    void RefreshRow(int row);
    // The row and every row below it, as far as they are in view.
    void RefreshRowsFrom(int row);
    void DrawCell(wxDC& dc, int row, int column, const wxRect& rect);
    void DrawGridLines(wxDC& dc, const wxRect& area);
    // Where the keyboard focus is shown, in client coordinates.
    wxRect FocusMarkRect() const;
    void DrawFocusMark(wxDC& dc);

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnFocusChanged(wxFocusEvent& event);
    void OnHeaderClick(wxHeaderCtrlEvent& event);
    void OnSysColourChanged(wxSysColourChangedEvent& event);

    // XListCtrlInput.cpp: what the mouse, the keyboard and the scroll bars do.
    void SelectByUser(int row);
    // Toggles a cell's box, if it has one, and tells the parent as a click on it does.
    void ToggleCheckbox(int row, int column);
    void ToggleCheckboxAt(int row, const wxPoint& point);
    void ToggleSelectedCheckboxes();
    void UpdateToolTip(const wxPoint& point);

    void OnLeftDown(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnScroll(wxScrollEvent& event);

    CXHeaderCtrl* m_header = nullptr;
    // Scroll bars of our own rather than the window's: some desktops hide a window's scroll
    // bars until the pointer comes near, and a list must show that it holds more.
    wxScrollBar* m_vScrollBar = nullptr;
    wxScrollBar* m_hScrollBar = nullptr;
    ListRows m_rows;
    // The widths the columns were given; the last may be shown narrower beside the vertical
    // bar (the header's items hold the widths as shown).
    std::vector<int> m_columnWidths;
    long m_exStyle = 0;
    bool m_ellipsis = true;
    ListColours m_colours;
    int m_rowHeight = 17;
    int m_headerHeight = 19;
    int m_topRow = 0;
    // Pixels the columns are scrolled to the left.
    int m_scrollX = 0;
    // The cell whose tool tip is showing, so moving within it does not reset the tip.
    int m_toolTipRow = -1;
    int m_toolTipColumn = -1;
    int m_wheelRotation = 0;

    wxDECLARE_DYNAMIC_CLASS(CXListCtrl);
    wxDECLARE_EVENT_TABLE();
};

}  // namespace tarv
