#include "ListGeometry.h"

#include <algorithm>

namespace tarv {

int ColumnLeft(const std::vector<int>& widths, int column) {
    int left = 0;
    for (int c = 0; c < column && c < static_cast<int>(widths.size()); ++c) {
        left += widths[c];
    }
    return left;
}

int TotalWidth(const std::vector<int>& widths) {
    return ColumnLeft(widths, static_cast<int>(widths.size()));
}

wxRect CellRect(const ListMetrics& metrics, int row, int column) {
    const int top = metrics.m_headerHeight + (row - metrics.m_topRow) * metrics.m_rowHeight;
    return wxRect(ColumnLeft(metrics.m_columnWidths, column) - metrics.m_scrollX, top,
                  metrics.m_columnWidths[column], metrics.m_rowHeight);
}

ListHit HitTestCell(const ListMetrics& metrics, const wxRect& rowsArea, int rowCount,
                    const wxPoint& point) {
    if (!rowsArea.Contains(point)) {
        return {};
    }
    const int row = metrics.m_topRow + (point.y - rowsArea.y) / metrics.m_rowHeight;
    if (row >= rowCount) {
        return {};
    }
    int left = -metrics.m_scrollX;
    for (int column = 0; column < static_cast<int>(metrics.m_columnWidths.size()); ++column) {
        const int right = left + metrics.m_columnWidths[column];
        if (point.x >= left && point.x < right) {
            return {row, column};
        }
        left = right;
    }
    return {};
}

int RowsPerPage(int rowsHeight, int rowHeight) {
    return std::max(1, rowsHeight / rowHeight);
}

RowRange RowsIn(const ListMetrics& metrics, const wxRect& area, int rowCount) {
    if (area.IsEmpty()) {
        return {};
    }
    const int top = area.y - metrics.m_headerHeight;
    const int bottom = area.y + area.height - 1 - metrics.m_headerHeight;
    // Floor division, so that an area reaching above the first row starts at row 0's level.
    auto rowAt = [&](int y) {
        const int step = y >= 0 ? y / metrics.m_rowHeight
                                : -((-y + metrics.m_rowHeight - 1) / metrics.m_rowHeight);
        return metrics.m_topRow + step;
    };
    return {std::max(0, rowAt(top)), std::min(rowCount - 1, rowAt(bottom))};
}

int TopRowShowing(int row, int topRow, int rowsPerPage) {
    if (row < topRow) {
        return row;
    }
    if (row >= topRow + rowsPerPage) {
        return row - rowsPerPage + 1;
    }
    return topRow;
}

namespace {

// What the last column gives up so that columns fitting `clientWidth` fit `rowsWidth` too;
// 0 when they need no room, do not fit anyway, or the last column is too narrow to give it.
int RoomFromLastColumn(int totalWidth, int lastColumnWidth, int clientWidth, int rowsWidth) {
    const int overflow = totalWidth - rowsWidth;
    if (overflow <= 0 || totalWidth > clientWidth || lastColumnWidth < overflow) {
        return 0;
    }
    return overflow;
}

}  // namespace

ScrollBars NeededScrollBars(const wxSize& client, int headerHeight, int rowHeight, int rowCount,
                            int totalWidth, const wxSize& barThickness, int lastColumnWidth) {
    // A second pass settles it: a bar the first pass added can only bring the other one.
    ScrollBars bars;
    for (int pass = 0; pass < 2; ++pass) {
        const int width = client.x - (bars.m_vertical ? barThickness.x : 0);
        const int room = RoomFromLastColumn(totalWidth, lastColumnWidth, client.x, width);
        bars.m_horizontal = totalWidth - room > width;
        const int height = client.y - headerHeight - (bars.m_horizontal ? barThickness.y : 0);
        bars.m_vertical = rowCount > RowsPerPage(height, rowHeight);
    }
    return bars;
}

std::vector<int> ShownColumnWidths(const std::vector<int>& widths, int clientWidth, int rowsWidth) {
    std::vector<int> shown = widths;
    if (!shown.empty()) {
        shown.back() -=
            RoomFromLastColumn(TotalWidth(widths), widths.back(), clientWidth, rowsWidth);
    }
    return shown;
}

}  // namespace tarv
