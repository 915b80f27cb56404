// The rows of the conversion list as plain values: each row's texts and cell records in column
// order, and which row is selected and which has the keyboard focus, kept on their rows while
// rows come and go.
#pragma once

#include <wx/string.h>

#include <vector>

#include "CellData.h"

namespace tarv {

class ListRows {
public:
    int Count() const { return static_cast<int>(m_rows.size()); }

    // Inserts a row before `row` (a position past the end appends) with `columns` records in
    // `cellColours`, the first one in `firstCellColours`, and `text` in its first column.
    // Returns the new row's index; -1, and nothing inserted, for a negative position.
    int Insert(int row, const wxString& text, int columns, const CellColours& cellColours,
               const CellColours& firstCellColours);
    // False when the row does not exist.
    bool Erase(int row);
    void Clear();
    // Every row gets an empty text and a record in `colours` at `column`.
    void InsertColumn(int column, const CellColours& colours);

    // Null when the row does not exist or has no record for the column.
    CellData* Cell(int row, int column);
    const CellData* Cell(int row, int column) const;
    // Empty for a cell that does not exist.
    wxString Text(int row, int column) const;
    // False when the row does not exist; the row grows to hold the column.
    bool SetText(int row, int column, const wxString& text);
    // Rows whose record in the column is checked (check state 1).
    int CountChecked(int column) const;

    // -1 when no row is selected or focused.
    int Selected() const { return m_selected; }
    int Focused() const { return m_focused; }
    // Selects the row and gives it the focus; false, and nothing changed, when it does not exist.
    bool Select(int row);
    // No row selected; the focus stays where it is.
    void ClearSelection() { m_selected = -1; }

private:
    struct Row {
        std::vector<wxString> m_texts;
        std::vector<CellData> m_cells;
    };

    bool Exists(int row) const { return row >= 0 && row < Count(); }

    std::vector<Row> m_rows;
    int m_selected = -1;
    int m_focused = -1;
};

}  // namespace tarv
