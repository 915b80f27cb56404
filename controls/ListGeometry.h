// Where things are in the conversion list, as plain arithmetic: column edges, cell rectangles,
// which cell a point is on, how many rows a page holds, and which scroll bars the list needs.
#pragma once

#include <wx/gdicmn.h>

#include <vector>

namespace tarv {

// What the list's layout depends on at a moment.
struct ListMetrics {
    std::vector<int> m_columnWidths;
    int m_headerHeight = 0;
    int m_rowHeight = 1;
    // The first row shown, and how far the columns are scrolled to the left.
    int m_topRow = 0;
    int m_scrollX = 0;
};

// The left edge of a column before scrolling; a column past the last gives the total width.
int ColumnLeft(const std::vector<int>& widths, int column);
int TotalWidth(const std::vector<int>& widths);

// A cell's area in client coordinates, also for a row scrolled out of view. The column must
// exist.
wxRect CellRect(const ListMetrics& metrics, int row, int column);

struct ListHit {
    int m_row = -1;
    int m_column = -1;
};
// The cell under `point`; row -1 when the point lies outside `rowsArea`, below the last of
// `rowCount` rows or beside the columns.
ListHit HitTestCell(const ListMetrics& metrics, const wxRect& rowsArea, int rowCount,
                    const wxPoint& point);

// Rows that fit wholly into `rowsHeight`; at least one.
int RowsPerPage(int rowsHeight, int rowHeight);

// The rows that reach into `area` (client coordinates), within the `rowCount` rows; an empty
// range has m_last < m_first.
struct RowRange {
    int m_first = 0;
    int m_last = -1;
};
RowRange RowsIn(const ListMetrics& metrics, const wxRect& area, int rowCount);

// The top row that shows `row` with as little scrolling as possible.
int TopRowShowing(int row, int topRow, int rowsPerPage);

struct ScrollBars {
    bool m_vertical = false;
    bool m_horizontal = false;
};
// The bars a list of `client` size needs for `rowCount` rows below its header and columns
// `totalWidth` wide, given the bars' thickness. Each bar takes room from the other's direction,
// so one may bring the other; except that columns fitting the whole client width give the
// vertical bar its room from the last one, when that one, `lastColumnWidth` wide, has it.
ScrollBars NeededScrollBars(const wxSize& client, int headerHeight, int rowHeight, int rowCount,
                            int totalWidth, const wxSize& barThickness, int lastColumnWidth = 0);

// The widths the columns are shown at when `rowsWidth` of the `clientWidth` pixels are left
// for them beside a vertical bar: columns that fit the client width keep fitting, the last one
// giving up the bar's room if it has it; otherwise each keeps its own width.
std::vector<int> ShownColumnWidths(const std::vector<int>& widths, int clientWidth, int rowsWidth);

}  // namespace tarv
