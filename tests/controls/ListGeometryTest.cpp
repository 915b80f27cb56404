#include "ListGeometry.h"

#include <gtest/gtest.h>

namespace tarv {
namespace {

// The form's four columns under a 19-pixel header, rows 17 pixels tall.
ListMetrics FormList() {
    ListMetrics metrics;
    metrics.m_columnWidths = {250, 75, 75, 90};
    metrics.m_headerHeight = 19;
    metrics.m_rowHeight = 17;
    return metrics;
}

TEST(ListGeometry, CellsFollowTheColumnsTheTopRowAndTheSidewaysScroll) {
    ListMetrics metrics = FormList();
    EXPECT_EQ(ColumnLeft(metrics.m_columnWidths, 2), 325);
    EXPECT_EQ(TotalWidth(metrics.m_columnWidths), 490);
    EXPECT_EQ(CellRect(metrics, 0, 0), wxRect(0, 19, 250, 17));
    EXPECT_EQ(CellRect(metrics, 2, 3), wxRect(400, 53, 90, 17));

    metrics.m_topRow = 5;
    metrics.m_scrollX = 300;
    EXPECT_EQ(CellRect(metrics, 6, 1), wxRect(-50, 36, 75, 17));
    // Rows above the top one lie above the header's bottom edge.
    EXPECT_EQ(CellRect(metrics, 4, 0).y, 2);
}

TEST(ListGeometry, AHitNamesTheCellAndMissesOutsideTheRows) {
    ListMetrics metrics = FormList();
    metrics.m_topRow = 3;
    metrics.m_scrollX = 300;
    const wxRect rows(0, 19, 480, 150);
    // Column 1 now starts 50 pixels left of the window's edge.
    const ListHit hit = HitTestCell(metrics, rows, 10, wxPoint(24, 19 + 17 + 2));
    EXPECT_EQ(hit.m_row, 4);
    EXPECT_EQ(hit.m_column, 1);
    EXPECT_EQ(HitTestCell(metrics, rows, 10, wxPoint(25, 19)).m_column, 2);
    // On the header, below the last row, beside the last column.
    EXPECT_EQ(HitTestCell(metrics, rows, 10, wxPoint(10, 18)).m_row, -1);
    EXPECT_EQ(HitTestCell(metrics, rows, 5, wxPoint(10, 19 + 2 * 17)).m_row, -1);
    EXPECT_EQ(HitTestCell(metrics, rows, 10, wxPoint(195, 30)).m_row, -1);
}

TEST(ListGeometry, PagesHoldWholeRowsAndAtLeastOne) {
    EXPECT_EQ(RowsPerPage(170, 17), 10);
    EXPECT_EQ(RowsPerPage(169, 17), 9);
    EXPECT_EQ(RowsPerPage(5, 17), 1);

    const ListMetrics metrics = FormList();
    const RowRange range = RowsIn(metrics, wxRect(0, 19 + 17 + 16, 100, 3), 10);
    EXPECT_EQ(range.m_first, 1);
    EXPECT_EQ(range.m_last, 2);
    EXPECT_EQ(RowsIn(metrics, wxRect(0, 19, 100, 500), 4).m_last, 3);

    // Scrolling as little as possible to show a row.
    EXPECT_EQ(TopRowShowing(2, 5, 8), 2);
    EXPECT_EQ(TopRowShowing(12, 5, 8), 5);
    EXPECT_EQ(TopRowShowing(13, 5, 8), 6);
}

TEST(ListGeometry, AHorizontalBarCanBringTheVerticalOneAndTheOtherWayRound) {
    const wxSize bars(15, 15);
    // 6 rows fit exactly below the header; the sideways bar takes the sixth's room.
    const wxSize client(500, 19 + 6 * 17);
    ScrollBars needed = NeededScrollBars(client, 19, 17, 6, 490, bars);
    EXPECT_FALSE(needed.m_vertical);
    EXPECT_FALSE(needed.m_horizontal);
    needed = NeededScrollBars(client, 19, 17, 6, 600, bars);
    EXPECT_TRUE(needed.m_horizontal);
    EXPECT_TRUE(needed.m_vertical);
    // Columns that just fit until the vertical bar takes its width.
    needed = NeededScrollBars(client, 19, 17, 7, 490, bars);
    EXPECT_TRUE(needed.m_vertical);
    EXPECT_TRUE(needed.m_horizontal);
    needed = NeededScrollBars(client, 19, 17, 7, 480, bars);
    EXPECT_TRUE(needed.m_vertical);
    EXPECT_FALSE(needed.m_horizontal);
}

TEST(ListGeometry, ColumnsThatFitTheListGiveTheVerticalBarRoomFromTheLastColumn) {
    const wxSize bars(15, 15);
    const wxSize client(500, 19 + 6 * 17);
    // Seven rows bring the vertical bar; the columns fit the whole width, so the last one
    // narrows by the bar's width and no sideways bar comes.
    ScrollBars needed = NeededScrollBars(client, 19, 17, 7, 490, bars, 90);
    EXPECT_TRUE(needed.m_vertical);
    EXPECT_FALSE(needed.m_horizontal);
    EXPECT_EQ(ShownColumnWidths({250, 75, 75, 90}, 500, 485), (std::vector<int>{250, 75, 75, 85}));
    // Without the vertical bar every column keeps its width.
    EXPECT_EQ(ShownColumnWidths({250, 75, 75, 90}, 500, 500), (std::vector<int>{250, 75, 75, 90}));
    // Columns wider than the list scroll sideways at their own widths.
    needed = NeededScrollBars(client, 19, 17, 7, 501, bars, 90);
    EXPECT_TRUE(needed.m_horizontal);
    EXPECT_EQ(ShownColumnWidths({250, 75, 75, 101}, 500, 485),
              (std::vector<int>{250, 75, 75, 101}));
    // A last column narrower than the bar cannot give it its room.
    needed = NeededScrollBars(client, 19, 17, 7, 490, bars, 4);
    EXPECT_TRUE(needed.m_horizontal);
    EXPECT_EQ(ShownColumnWidths({480, 6, 4}, 500, 485), (std::vector<int>{480, 6, 4}));
    EXPECT_TRUE(ShownColumnWidths({}, 500, 485).empty());
}

}  // namespace
}  // namespace tarv
