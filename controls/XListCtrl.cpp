#include "XListCtrl.h"

#include <wx/dcbuffer.h>
#include <wx/headerctrl.h>
#include <wx/listbase.h>
#include <wx/scrolbar.h>
#include <wx/settings.h>

#include <algorithm>

#include "DrawingPrimitives.h"
#include "XHeaderCtrl.h"

namespace tarv {

wxDEFINE_EVENT(WM_XLISTCTRL_CHECKBOX_CLICKED, CXListCheckboxEvent);

wxIMPLEMENT_DYNAMIC_CLASS(CXListCtrl, wxControl);

// clang-format off
wxBEGIN_EVENT_TABLE(CXListCtrl, wxControl)
    EVT_PAINT(CXListCtrl::OnPaint)
    EVT_SIZE(CXListCtrl::OnSize)
    EVT_LEFT_DOWN(CXListCtrl::OnLeftDown)
    EVT_RIGHT_DOWN(CXListCtrl::OnRightDown)
    EVT_MOTION(CXListCtrl::OnMotion)
    EVT_LEAVE_WINDOW(CXListCtrl::OnLeave)
    EVT_MOUSEWHEEL(CXListCtrl::OnMouseWheel)
    EVT_KEY_DOWN(CXListCtrl::OnKeyDown)
    EVT_COMMAND_SCROLL(wxID_ANY, CXListCtrl::OnScroll)
    EVT_SET_FOCUS(CXListCtrl::OnFocusChanged)
    EVT_KILL_FOCUS(CXListCtrl::OnFocusChanged)
    EVT_HEADER_CLICK(wxID_ANY, CXListCtrl::OnHeaderClick)
    EVT_SYS_COLOUR_CHANGED(CXListCtrl::OnSysColourChanged)
wxEND_EVENT_TABLE();
// clang-format on

CXListCtrl::CXListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                       long style) {
    Create(parent, id, pos, size, style);
}

bool CXListCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                        long style) {
    // Every pixel is painted by DrawRows, so there is no separate erase to flicker.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxControl::Create(parent, id, pos, size, style)) {
        return false;
    }
    LoadSystemColors();
    m_vScrollBar = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
    m_hScrollBar =
        new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
    m_vScrollBar->Hide();
    m_hScrollBar->Hide();
    m_header = new CXHeaderCtrl(this, wxID_ANY);
    m_header->SetFont(GetFont());
    UpdateMetrics();
    Relayout();
    return true;
}

bool CXListCtrl::SetFont(const wxFont& font) {
    if (!wxControl::SetFont(font)) {
        return false;
    }
    if (m_header) {
        m_header->SetFont(font);
        UpdateMetrics();
        Relayout();
        Refresh();
    }
    return true;
}

void CXListCtrl::UpdateMetrics() {
    // Tall enough for a line of text with a little air, like the rows of a desktop list.
    m_rowHeight = std::max(GetCharHeight() + 4, 12);
    m_headerHeight = m_header->GetIdealHeight();
}

wxSize CXListCtrl::DoGetBestClientSize() const {
    int width = m_header ? m_header->GetTotalWidth() : 0;
    return wxSize(std::max(width, 100), m_headerHeight + 4 * m_rowHeight);
}

void CXListCtrl::LoadSystemColors() {
    m_colours = ListColours::FromSystem();
}

void CXListCtrl::SetExtendedStyle(long exStyle) {
    m_exStyle = exStyle;
    Refresh();
}

void CXListCtrl::SetEllipsis(bool ellipsis) {
    m_ellipsis = ellipsis;
    Refresh();
}

// Columns ------------------------------------------------------------------------------------

int CXListCtrl::InsertColumn(int column, const wxString& heading, int alignment, int width) {
    if (column < 0) {
        return -1;
    }
    HeaderItem item;
    item.m_text = heading;
    item.m_alignment = alignment;
    item.m_width = std::max(0, width);
    const int index = m_header->InsertItem(column, item);
    // Every row keeps one record per column, in column order.
    for (Row& row : m_rows) {
        if (static_cast<int>(row.m_texts.size()) < index) {
            row.m_texts.resize(index);
        }
        row.m_texts.insert(row.m_texts.begin() + index, wxString());
        row.m_cells.insert(row.m_cells.begin() + index, CellData());
    }
    Relayout();
    Refresh();
    return index;
}

bool CXListCtrl::SetColumnWidth(int column, int width) {
    const HeaderItem* current = m_header->GetItem(column);
    if (!current) {
        return false;
    }
    HeaderItem item = *current;
    item.m_width = std::max(0, width);
    m_header->SetItem(column, item);
    Relayout();
    Refresh();
    return true;
}

int CXListCtrl::GetColumnWidth(int column) const {
    const HeaderItem* item = m_header->GetItem(column);
    return item ? item->m_width : 0;
}

int CXListCtrl::GetColumns() const {
    return m_header ? m_header->GetItemCount() : 0;
}

int CXListCtrl::ColumnLeft(int column) const {
    int left = 0;
    for (int c = 0; c < column; ++c) {
        left += GetColumnWidth(c);
    }
    return left;
}

int CXListCtrl::ColumnAlignment(int column) const {
    const HeaderItem* item = m_header->GetItem(column);
    return item ? item->m_alignment : wxALIGN_LEFT;
}

int CXListCtrl::GetHeaderCheckedState(int column) const {
    const HeaderItem* item = m_header->GetItem(column);
    return item ? item->m_image : -1;
}

bool CXListCtrl::SetHeaderCheckedState(int column, int state) {
    const HeaderItem* current = m_header->GetItem(column);
    if (!current) {
        return false;
    }
    HeaderItem item = *current;
    item.m_image = state;
    return m_header->SetItem(column, item);
}

// Rows ---------------------------------------------------------------------------------------

bool CXListCtrl::InRange(int row, int column) const {
    return row >= 0 && row < GetItemCount() && column >= 0 && column < GetColumns();
}

CellData* CXListCtrl::Cell(int row, int column) {
    if (!InRange(row, column)) {
        return nullptr;
    }
    std::vector<CellData>& cells = m_rows[row].m_cells;
    return column < static_cast<int>(cells.size()) ? &cells[column] : nullptr;
}

const CellData* CXListCtrl::Cell(int row, int column) const {
    return const_cast<CXListCtrl*>(this)->Cell(row, column);
}

const CellData* CXListCtrl::GetCellData(int row, int column) const {
    return Cell(row, column);
}

int CXListCtrl::InsertItem(int row, const wxString& text) {
    if (row < 0) {
        return -1;
    }
    row = std::min(row, GetItemCount());
    const int columns = GetColumns();
    Row added;
    added.m_texts.resize(std::max(columns, 1));
    added.m_texts[0] = text;
    added.m_cells.resize(columns);
    if (columns > 0) {
        added.m_cells[0].m_textColour = m_colours.m_windowText;
        added.m_cells[0].m_backgroundColour = m_colours.m_window;
    }
    m_rows.insert(m_rows.begin() + row, std::move(added));

    if (m_selectedRow >= row) {
        ++m_selectedRow;
    }
    if (m_focusedRow >= row) {
        ++m_focusedRow;
    }
    Relayout();
    Refresh();
    return row;
}

bool CXListCtrl::SetItemText(int row, int column, const wxString& text) {
    if (!InRange(row, column)) {
        return false;
    }
    std::vector<wxString>& texts = m_rows[row].m_texts;
    if (column >= static_cast<int>(texts.size())) {
        texts.resize(column + 1);
    }
    texts[column] = text;
    UpdateSubItem(row, column);
    return true;
}

wxString CXListCtrl::GetItemText(int row, int column) const {
    if (!InRange(row, column)) {
        return wxString();
    }
    const std::vector<wxString>& texts = m_rows[row].m_texts;
    return column < static_cast<int>(texts.size()) ? texts[column] : wxString();
}

bool CXListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    m_rows.erase(m_rows.begin() + row);
    for (int* index : {&m_selectedRow, &m_focusedRow}) {
        if (*index == row) {
            *index = -1;
        } else if (*index > row) {
            --*index;
        }
    }
    m_toolTipRow = -1;
    Relayout();
    Refresh();
    return true;
}

bool CXListCtrl::DeleteAllItems() {
    m_rows.clear();
    m_selectedRow = -1;
    m_focusedRow = -1;
    m_toolTipRow = -1;
    Relayout();
    Refresh();
    return true;
}

bool CXListCtrl::SetProgress(int row, int column, bool showText, const wxString& format) {
    CellData* cell = Cell(row, column);
    if (!cell) {
        return false;
    }
    cell->m_hasProgress = true;
    cell->m_progressValue = 0;
    cell->m_progressTextShown = showText;
    cell->m_progressFormat = format;
    UpdateSubItem(row, column);
    return true;
}

void CXListCtrl::UpdateProgress(int row, int column, int value) {
    CellData* cell = Cell(row, column);
    if (!cell) {
        return;
    }
    cell->m_progressValue = value;
    UpdateSubItem(row, column);
}

void CXListCtrl::DeleteProgress(int row, int column) {
    CellData* cell = Cell(row, column);
    if (!cell) {
        return;
    }
    cell->m_hasProgress = false;
    cell->m_progressValue = 0;
    UpdateSubItem(row, column);
}

bool CXListCtrl::SetCheckbox(int row, int column, int checkState) {
    CellData* cell = Cell(row, column);
    if (!cell) {
        return false;
    }
    cell->m_checkState = checkState;
    UpdateSubItem(row, column);
    UpdateHeaderCheckState(column);
    return true;
}

int CXListCtrl::GetCheckbox(int row, int column) const {
    const CellData* cell = Cell(row, column);
    return cell ? cell->m_checkState : -1;
}

int CXListCtrl::CountCheckedItems(int column) const {
    int count = 0;
    for (int row = 0; row < GetItemCount(); ++row) {
        if (GetCheckbox(row, column) == 1) {
            ++count;
        }
    }
    return count;
}

void CXListCtrl::UpdateHeaderCheckState(int column) {
    // The header box is ticked exactly when every row is.
    if (GetHeaderCheckedState(column) > 0) {
        SetHeaderCheckedState(column, CountCheckedItems(column) == GetItemCount() ? 2 : 1);
    }
}

bool CXListCtrl::SetItemToolTipText(int row, int column, const wxString& text) {
    CellData* cell = Cell(row, column);
    if (!cell) {
        return false;
    }
    cell->m_toolTipText = text;
    return true;
}

// Geometry and scrolling ---------------------------------------------------------------------

wxRect CXListCtrl::RowsArea() const {
    const wxSize client = GetClientSize();
    int width = client.x;
    int height = client.y - m_headerHeight;
    if (m_vScrollBar && m_vScrollBar->IsShown()) {
        width -= m_vScrollBar->GetSize().x;
    }
    if (m_hScrollBar && m_hScrollBar->IsShown()) {
        height -= m_hScrollBar->GetSize().y;
    }
    return wxRect(0, m_headerHeight, std::max(0, width), std::max(0, height));
}

int CXListCtrl::GetCountPerPage() const {
    return std::max(1, RowsArea().height / m_rowHeight);
}

bool CXListCtrl::GetCellRect(int row, int column, wxRect& rect) const {
    if (!InRange(row, column)) {
        return false;
    }
    const int top = m_headerHeight + (row - m_topRow) * m_rowHeight;
    rect = wxRect(ColumnLeft(column) - m_scrollX, top, GetColumnWidth(column), m_rowHeight);
    return true;
}

int CXListCtrl::HitTest(const wxPoint& point, int* column) const {
    const wxRect area = RowsArea();
    if (!area.Contains(point)) {
        return -1;
    }
    const int row = m_topRow + (point.y - area.y) / m_rowHeight;
    if (row >= GetItemCount()) {
        return -1;
    }
    int left = -m_scrollX;
    for (int c = 0; c < GetColumns(); ++c) {
        const int right = left + GetColumnWidth(c);
        if (point.x >= left && point.x < right) {
            if (column) {
                *column = c;
            }
            return row;
        }
        left = right;
    }
    return -1;
}

void CXListCtrl::Relayout() {
    if (!m_header) {
        return;
    }
    const wxSize client = GetClientSize();
    const int total = m_header->GetTotalWidth();
    const int barWidth = m_vScrollBar->GetBestSize().x;
    const int barHeight = m_hScrollBar->GetBestSize().y;
    // Each scroll bar takes room from the other's direction, so a second pass settles it.
    bool vertical = false;
    bool horizontal = false;
    for (int pass = 0; pass < 2; ++pass) {
        horizontal = total > client.x - (vertical ? barWidth : 0);
        const int height = client.y - m_headerHeight - (horizontal ? barHeight : 0);
        vertical = GetItemCount() > std::max(1, height / m_rowHeight);
    }
    const int width = std::max(0, client.x - (vertical ? barWidth : 0));
    const int height = std::max(0, client.y - (horizontal ? barHeight : 0));

    const bool changed = vertical != m_vScrollBar->IsShown() ||
                         horizontal != m_hScrollBar->IsShown() || width != m_header->GetSize().x;
    m_vScrollBar->Show(vertical);
    m_hScrollBar->Show(horizontal);
    if (vertical) {
        m_vScrollBar->SetSize(width, 0, barWidth, height);
    }
    if (horizontal) {
        m_hScrollBar->SetSize(0, height, width, barHeight);
    }
    m_header->SetSize(0, 0, width, m_headerHeight);

    const int perPage = GetCountPerPage();
    m_topRow = std::clamp(m_topRow, 0, std::max(0, GetItemCount() - perPage));
    m_scrollX = std::clamp(m_scrollX, 0, std::max(0, total - width));
    m_header->SetScrollOffset(m_scrollX);
    if (vertical) {
        m_vScrollBar->SetScrollbar(m_topRow, perPage, GetItemCount(), std::max(1, perPage - 1));
    }
    if (horizontal) {
        m_hScrollBar->SetScrollbar(m_scrollX, width, total, std::max(1, width - 1));
    }
    if (changed) {
        Refresh();
    }
}

void CXListCtrl::ScrollSideways(int offset) {
    offset = std::clamp(offset, 0, std::max(0, m_header->GetTotalWidth() - RowsArea().width));
    if (offset == m_scrollX) {
        return;
    }
    m_scrollX = offset;
    m_hScrollBar->SetThumbPosition(m_scrollX);
    m_header->SetScrollOffset(m_scrollX);
    m_toolTipRow = -1;
    RefreshRect(RowsArea(), false);
}

void CXListCtrl::ScrollTo(int topRow) {
    const int maxTop = std::max(0, GetItemCount() - GetCountPerPage());
    topRow = std::clamp(topRow, 0, maxTop);
    if (topRow == m_topRow) {
        return;
    }
    m_topRow = topRow;
    m_vScrollBar->SetThumbPosition(m_topRow);
    m_toolTipRow = -1;
    RefreshRect(RowsArea(), false);
}

bool CXListCtrl::EnsureVisible(int row) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    if (row < m_topRow) {
        ScrollTo(row);
    } else if (row >= m_topRow + GetCountPerPage()) {
        ScrollTo(row - GetCountPerPage() + 1);
    }
    return true;
}

void CXListCtrl::UpdateSubItem(int row, int column) {
    wxRect rect;
    if (!GetCellRect(row, column, rect)) {
        return;
    }
    // Only this cell, and at once: a running batch shows every step of its progress.
    RefreshRect(rect.Inflate(2), true);
    Update();
}

// Selection ----------------------------------------------------------------------------------

bool CXListCtrl::SelectItem(int row, bool scrollIntoView) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    const int previous = m_selectedRow;
    m_selectedRow = row;
    m_focusedRow = row;
    if (scrollIntoView) {
        EnsureVisible(row);
    }
    if (previous != row) {
        wxRect rect;
        for (int changed : {previous, row}) {
            if (changed >= 0 && GetCellRect(changed, 0, rect)) {
                RefreshRect(wxRect(0, rect.y, GetClientSize().x, rect.height), false);
            }
        }
    }
    return true;
}

void CXListCtrl::SelectByUser(int row) {
    const bool changed = row != m_selectedRow;
    SelectItem(row, true);
    if (changed) {
        wxListEvent selected(wxEVT_LIST_ITEM_SELECTED, GetId());
        selected.SetEventObject(this);
        selected.m_itemIndex = row;
        ProcessWindowEvent(selected);
    }
}

// Painting -----------------------------------------------------------------------------------

void CXListCtrl::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DrawRows(dc, GetUpdateRegion().GetBox());
}

void CXListCtrl::DrawRows(wxDC& dc, const wxRect& area) {
    const wxRect rows = RowsArea().Intersect(area);
    if (rows.IsEmpty()) {
        return;
    }
    PixelExactDrawing exact(dc);
    wxDCClipper clip(dc, rows);
    wxDCFontChanger font(dc, GetFont());
    FillSolidRect(dc, rows, m_colours.m_window);

    const int first = m_topRow + (rows.y - m_headerHeight) / m_rowHeight;
    const int last = m_topRow + (rows.y + rows.height - 1 - m_headerHeight) / m_rowHeight;
    for (int row = first; row <= last && row < GetItemCount(); ++row) {
        for (int column = 0; column < GetColumns(); ++column) {
            wxRect cell;
            if (GetCellRect(row, column, cell) && cell.Intersects(rows)) {
                DrawCell(dc, row, column, cell);
            }
        }
    }
    if (m_exStyle & kListExGridLines) {
        DrawGridLines(dc, rows);
    }
}

void CXListCtrl::DrawCell(wxDC& dc, int row, int column, const wxRect& rect) {
    const CellData* cell = Cell(row, column);
    CellColours own{m_colours.m_windowText, m_colours.m_window};
    if (cell) {
        own = {cell->m_textColour, cell->m_backgroundColour};
    }
    if (cell && cell->m_hasProgress) {
        DrawProgressCell(dc, rect, *cell, m_colours);
        return;
    }

    CellSelection selection;
    selection.m_rowSelected = row == m_selectedRow;
    selection.m_showsSelection = (m_exStyle & kListExFullRowSelect) || column == 0;
    selection.m_listHasFocus = HasFocus();
    selection.m_showSelectionAlways = (m_exStyle & kListExShowSelAlways) != 0;
    const CellColours colours = GetCellColors(own, selection, m_colours);

    const wxString text = GetItemText(row, column);
    if (cell && cell->m_checkState != -1) {
        DrawCheckboxCell(dc, rect, text, cell->m_checkState, colours, m_colours, m_ellipsis);
    } else {
        DrawTextCell(dc, rect, text, ColumnAlignment(column), colours, m_ellipsis, kTextMargin);
    }
}

void CXListCtrl::DrawGridLines(wxDC& dc, const wxRect& area) {
    // The lines take each row's last pixel row and each column's first pixel column, which the
    // progress cell leaves free; they run on below the rows to the bottom of the list.
    const wxColour colour = m_colours.m_buttonShadow.ChangeLightness(150);
    const int total = m_header->GetTotalWidth();
    for (int y = m_headerHeight + m_rowHeight - 1; y < area.y + area.height; y += m_rowHeight) {
        if (y >= area.y) {
            FillSolidRect(dc, wxRect(-m_scrollX, y, total, 1), colour);
        }
    }
    for (int column = 1; column <= GetColumns(); ++column) {
        const int x = ColumnLeft(column) - m_scrollX;
        FillSolidRect(dc, wxRect(x, area.y, 1, area.height), colour);
    }
}

// Input --------------------------------------------------------------------------------------

void CXListCtrl::OnLeftDown(wxMouseEvent& event) {
    SetFocus();
    const wxPoint point = event.GetPosition();
    int column = -1;
    const int row = HitTest(point, &column);
    if (row < 0) {
        // A click beside the rows clears the selection, as in any single-selection list.
        const int previous = m_selectedRow;
        m_selectedRow = -1;
        wxRect rect;
        if (GetCellRect(previous, 0, rect)) {
            RefreshRect(wxRect(0, rect.y, GetClientSize().x, rect.height), false);
        }
        return;
    }
    for (int c = 0; c < GetColumns(); ++c) {
        wxRect cell;
        if (!GetCellRect(row, c, cell) || !CheckBoxHitSquare(cell).Contains(point)) {
            continue;
        }
        CellData* data = Cell(row, c);
        if (data && (data->m_checkState == 0 || data->m_checkState == 1)) {
            data->m_checkState = data->m_checkState == 0 ? 1 : 0;
            UpdateSubItem(row, c);
            if (wxWindow* parent = GetParent()) {
                CXListCheckboxEvent clicked(WM_XLISTCTRL_CHECKBOX_CLICKED, GetId(), row, c);
                clicked.SetEventObject(this);
                parent->GetEventHandler()->ProcessEvent(clicked);
            }
            UpdateHeaderCheckState(c);
        }
        break;
    }
    // The click selects the row as well, also when it toggled a box.
    SelectByUser(row);
}

void CXListCtrl::OnRightDown(wxMouseEvent& event) {
    SetFocus();
    const int row = HitTest(event.GetPosition());
    if (row >= 0) {
        SelectByUser(row);
    }
    event.Skip();
}

void CXListCtrl::OnMotion(wxMouseEvent& event) {
    UpdateToolTip(event.GetPosition());
    event.Skip();
}

void CXListCtrl::OnLeave(wxMouseEvent& event) {
    m_toolTipRow = -1;
    m_toolTipColumn = -1;
    UnsetToolTip();
    event.Skip();
}

void CXListCtrl::UpdateToolTip(const wxPoint& point) {
    int column = -1;
    const int row = HitTest(point, &column);
    if (row == m_toolTipRow && column == m_toolTipColumn) {
        return;
    }
    m_toolTipRow = row;
    m_toolTipColumn = column;
    const CellData* cell = row >= 0 ? Cell(row, column) : nullptr;
    if (cell && !cell->m_toolTipText.empty()) {
        SetToolTip(cell->m_toolTipText);
    } else {
        UnsetToolTip();
    }
}

void CXListCtrl::OnMouseWheel(wxMouseEvent& event) {
    m_wheelRotation += event.GetWheelRotation();
    const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
    const int notches = m_wheelRotation / delta;
    m_wheelRotation -= notches * delta;
    if (notches != 0) {
        ScrollTo(m_topRow - notches * event.GetLinesPerAction());
    }
}

void CXListCtrl::OnKeyDown(wxKeyEvent& event) {
    const int count = GetItemCount();
    const int page = std::max(1, GetCountPerPage() - 1);
    const int current = m_focusedRow;
    int target = -1;
    switch (event.GetKeyCode()) {
        case WXK_UP:
            target = current - 1;
            break;
        case WXK_DOWN:
            target = current + 1;
            break;
        case WXK_PAGEUP:
            target = current - page;
            break;
        case WXK_PAGEDOWN:
            target = current + page;
            break;
        case WXK_HOME:
            target = 0;
            break;
        case WXK_END:
            target = count - 1;
            break;
        default:
            event.Skip();
            return;
    }
    if (count == 0) {
        return;
    }
    // With no row focused yet, any movement starts at the first row.
    target = current < 0 ? 0 : std::clamp(target, 0, count - 1);
    SelectByUser(target);
    if (GetCurSel() >= 0) {
        SelectItem(GetCurSel(), true);
    }
}

void CXListCtrl::OnScroll(wxScrollEvent& event) {
    // The scroll bar has worked out the new position, line, page or thumb alike.
    if (event.GetEventObject() == m_hScrollBar) {
        ScrollSideways(event.GetPosition());
    } else {
        ScrollTo(event.GetPosition());
    }
}

void CXListCtrl::OnSize(wxSizeEvent& event) {
    Relayout();
    Refresh();
    event.Skip();
}

void CXListCtrl::OnFocusChanged(wxFocusEvent& event) {
    // The selected row's colours depend on whether the list has the focus.
    wxRect rect;
    if (GetCellRect(m_selectedRow, 0, rect)) {
        RefreshRect(wxRect(0, rect.y, GetClientSize().x, rect.height), false);
    }
    event.Skip();
}

void CXListCtrl::OnHeaderClick(wxHeaderCtrlEvent& event) {
    const int column = event.GetColumn();
    const int state = GetHeaderCheckedState(column);
    // A column without a header box only passes the click on.
    if (state > 0) {
        const bool checkAll = state == 1;
        SetHeaderCheckedState(column, checkAll ? 2 : 1);
        m_header->Update();
        for (int row = 0; row < GetItemCount(); ++row) {
            CellData* cell = Cell(row, column);
            if (cell && cell->m_checkState != -1) {
                cell->m_checkState = checkAll ? 1 : 0;
                UpdateSubItem(row, column);
            }
        }
    }
    wxListEvent click(wxEVT_LIST_COL_CLICK, GetId());
    click.SetEventObject(this);
    click.m_col = column;
    ProcessWindowEvent(click);
}

void CXListCtrl::OnSysColourChanged(wxSysColourChangedEvent& event) {
    event.Skip();
    LoadSystemColors();
    Refresh();
}

}  // namespace tarv
