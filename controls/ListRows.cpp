#include "ListRows.h"

#include <algorithm>

namespace tarv {

int ListRows::Insert(int row, const wxString& text, int columns, const CellColours& cellColours,
                     const CellColours& firstCellColours) {
    if (row < 0) {
        return -1;
    }
    row = std::min(row, Count());
    Row added;
    added.m_texts.resize(std::max(columns, 1));
    added.m_texts[0] = text;
    added.m_cells.assign(std::max(columns, 0), CellData(cellColours));
    if (columns > 0) {
        added.m_cells[0] = CellData(firstCellColours);
    }
    m_rows.insert(m_rows.begin() + row, std::move(added));
    // The selection and the focus stay on the rows they were on.
    for (int* index : {&m_selected, &m_focused}) {
        if (*index >= row) {
            ++*index;
        }
    }
    return row;
}

bool ListRows::Erase(int row) {
    if (!Exists(row)) {
        return false;
    }
    m_rows.erase(m_rows.begin() + row);
    for (int* index : {&m_selected, &m_focused}) {
        if (*index == row) {
            *index = -1;
        } else if (*index > row) {
            --*index;
        }
    }
    return true;
}

void ListRows::Clear() {
    m_rows.clear();
    m_selected = -1;
    m_focused = -1;
}

void ListRows::InsertColumn(int column, const CellColours& colours) {
    for (Row& row : m_rows) {
        const int at = std::clamp(column, 0, static_cast<int>(row.m_cells.size()));
        row.m_cells.insert(row.m_cells.begin() + at, CellData(colours));
        if (static_cast<int>(row.m_texts.size()) < at) {
            row.m_texts.resize(at);
        }
        row.m_texts.insert(row.m_texts.begin() + at, wxString());
    }
}

CellData* ListRows::Cell(int row, int column) {
    if (!Exists(row) || column < 0) {
        return nullptr;
    }
    std::vector<CellData>& cells = m_rows[row].m_cells;
    return column < static_cast<int>(cells.size()) ? &cells[column] : nullptr;
}

const CellData* ListRows::Cell(int row, int column) const {
    return const_cast<ListRows*>(this)->Cell(row, column);
}

wxString ListRows::Text(int row, int column) const {
    if (!Exists(row) || column < 0) {
        return wxString();
    }
    const std::vector<wxString>& texts = m_rows[row].m_texts;
    return column < static_cast<int>(texts.size()) ? texts[column] : wxString();
}

bool ListRows::SetText(int row, int column, const wxString& text) {
    if (!Exists(row) || column < 0) {
        return false;
    }
    std::vector<wxString>& texts = m_rows[row].m_texts;
    if (column >= static_cast<int>(texts.size())) {
        texts.resize(column + 1);
    }
    texts[column] = text;
    return true;
}

int ListRows::CountChecked(int column) const {
    int count = 0;
    for (int row = 0; row < Count(); ++row) {
        const CellData* cell = Cell(row, column);
        count += cell && cell->m_checkState == 1;
    }
    return count;
}

bool ListRows::Select(int row) {
    if (!Exists(row)) {
        return false;
    }
    m_selected = row;
    m_focused = row;
    return true;
}

}  // namespace tarv
