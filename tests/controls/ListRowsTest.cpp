#include "ListRows.h"

#include <gtest/gtest.h>

namespace tarv {
namespace {

const CellColours kPlain{wxColour(1, 2, 3), wxColour(4, 5, 6)};
const CellColours kFirst{wxColour(7, 8, 9), wxColour(10, 11, 12)};

// Rows named "r0", "r1", ... with four columns.
ListRows RowsNamed(int count) {
    ListRows rows;
    for (int i = 0; i < count; ++i) {
        rows.Insert(i, wxString::Format("r%d", i), 4, kPlain, kFirst);
    }
    return rows;
}

TEST(ListRows, ANewRowHasARecordPerColumnAndItsFirstInTheListsColours) {
    ListRows rows = RowsNamed(1);
    EXPECT_EQ(rows.Text(0, 0), "r0");
    EXPECT_EQ(rows.Text(0, 3), "");
    ASSERT_NE(rows.Cell(0, 3), nullptr);
    EXPECT_EQ(rows.Cell(0, 4), nullptr);
    EXPECT_EQ(rows.Cell(0, 0)->m_textColour, kFirst.m_text);
    EXPECT_EQ(rows.Cell(0, 0)->m_backgroundColour, kFirst.m_background);
    EXPECT_EQ(rows.Cell(0, 2)->m_textColour, kPlain.m_text);
    EXPECT_EQ(rows.Cell(0, 2)->m_checkState, -1);
}

TEST(ListRows, InsertingPutsTheRowInPlaceAndTheSelectionStaysOnItsRow) {
    ListRows rows = RowsNamed(3);
    rows.Select(1);
    EXPECT_EQ(rows.Insert(0, "new", 4, kPlain, kFirst), 0);
    EXPECT_EQ(rows.Selected(), 2);
    EXPECT_EQ(rows.Focused(), 2);
    EXPECT_EQ(rows.Text(2, 0), "r1");
    // After the selected row: it stays where it is.
    EXPECT_EQ(rows.Insert(3, "later", 4, kPlain, kFirst), 3);
    EXPECT_EQ(rows.Selected(), 2);
    // A position past the end appends; a negative one inserts nothing.
    EXPECT_EQ(rows.Insert(99, "last", 4, kPlain, kFirst), 5);
    EXPECT_EQ(rows.Insert(-1, "none", 4, kPlain, kFirst), -1);
    EXPECT_EQ(rows.Count(), 6);
}

TEST(ListRows, ErasingARowTakesItsRecordsAndKeepsTheSelectionOnItsRow) {
    ListRows rows = RowsNamed(4);
    rows.Cell(3, 3)->m_progressValue = 50;
    rows.Select(2);
    EXPECT_TRUE(rows.Erase(0));
    EXPECT_EQ(rows.Selected(), 1);
    EXPECT_EQ(rows.Text(1, 0), "r2");
    EXPECT_EQ(rows.Cell(2, 3)->m_progressValue, 50);
    // The selected row itself: no selection, and no focus, is left.
    EXPECT_TRUE(rows.Erase(1));
    EXPECT_EQ(rows.Selected(), -1);
    EXPECT_EQ(rows.Focused(), -1);
    EXPECT_FALSE(rows.Erase(2));
    EXPECT_FALSE(rows.Erase(-1));
    rows.Select(1);
    rows.Clear();
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_EQ(rows.Selected(), -1);
    EXPECT_EQ(rows.Cell(0, 0), nullptr);
}

TEST(ListRows, ClearingTheSelectionKeepsTheFocusedRow) {
    ListRows rows = RowsNamed(3);
    rows.Select(2);
    rows.ClearSelection();
    EXPECT_EQ(rows.Selected(), -1);
    EXPECT_EQ(rows.Focused(), 2);
    EXPECT_FALSE(rows.Select(3));
    EXPECT_EQ(rows.Focused(), 2);
}

TEST(ListRows, ANewColumnGivesEveryRowATextAndARecordInItsPlace) {
    ListRows rows = RowsNamed(2);
    rows.SetText(1, 1, "size");
    rows.Cell(1, 1)->m_checkState = 1;
    rows.InsertColumn(1, kFirst);
    EXPECT_EQ(rows.Text(1, 0), "r1");
    EXPECT_EQ(rows.Text(1, 1), "");
    EXPECT_EQ(rows.Text(1, 2), "size");
    EXPECT_EQ(rows.Cell(1, 2)->m_checkState, 1);
    EXPECT_EQ(rows.Cell(1, 1)->m_textColour, kFirst.m_text);
    ASSERT_NE(rows.Cell(0, 4), nullptr);
    EXPECT_EQ(rows.Cell(0, 5), nullptr);
}

TEST(ListRows, CountsOnlyCheckedBoxesOfTheColumn) {
    ListRows rows = RowsNamed(4);
    rows.Cell(0, 0)->m_checkState = 1;
    rows.Cell(1, 0)->m_checkState = 0;
    rows.Cell(2, 0)->m_checkState = 1;
    rows.Cell(3, 1)->m_checkState = 1;
    EXPECT_EQ(rows.CountChecked(0), 2);
    EXPECT_EQ(rows.CountChecked(1), 1);
    EXPECT_EQ(rows.CountChecked(9), 0);
}

}  // namespace
}  // namespace tarv
