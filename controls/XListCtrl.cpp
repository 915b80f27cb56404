#include "XListCtrl.h"

#include <wx/dcbuffer.h>
#include <wx/headerctrl.h>
#include <wx/listbase.h>
#include <wx/renderer.h>
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
    const int width = TotalWidth(m_columnWidths);
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
    m_columnWidths.insert(m_columnWidths.begin() + index, item.m_width);
    // Every row keeps one record per column, in column order.
    m_rows.InsertColumn(index, CellColours::FromSystem());
    Relayout();
    Refresh();
    return index;
}

bool CXListCtrl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= static_cast<int>(m_columnWidths.size())) {
        return false;
    }
    m_columnWidths[column] = std::max(0, width);
    Relayout();
    Refresh();
    return true;
}

int CXListCtrl::GetColumnWidth(int column) const {
    return column >= 0 && column < static_cast<int>(m_columnWidths.size()) ? m_columnWidths[column]
                                                                           : 0;
}

int CXListCtrl::GetColumns() const {
    return m_header ? m_header->GetItemCount() : 0;
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

void CXListCtrl::UpdateHeaderCheckState(int column) {
    // The header box is ticked exactly when every row is.
    if (GetHeaderCheckedState(column) > 0) {
        SetHeaderCheckedState(column, CountCheckedItems(column) == GetItemCount() ? 2 : 1);
    }
}

// Rows ---------------------------------------------------------------------------------------

bool CXListCtrl::InRange(int row, int column) const {
    return row >= 0 && row < GetItemCount() && column >= 0 && column < GetColumns();
}

CellData* CXListCtrl::Cell(int row, int column) {
    return InRange(row, column) ? m_rows.Cell(row, column) : nullptr;
}

const CellData* CXListCtrl::Cell(int row, int column) const {
    return InRange(row, column) ? m_rows.Cell(row, column) : nullptr;
}

const CellData* CXListCtrl::GetCellData(int row, int column) const {
    return Cell(row, column);
}

int CXListCtrl::InsertItem(int row, const wxString& text) {
    // The first column takes the list's own colours, the others the desktop's of the moment.
    const int index = m_rows.Insert(row, text, GetColumns(), CellColours::FromSystem(),
                                    {m_colours.m_windowText, m_colours.m_window});
    if (index >= 0) {
        Relayout();
        RefreshRowsFrom(index);
    }
    return index;
}

bool CXListCtrl::SetItemText(int row, int column, const wxString& text) {
    if (!InRange(row, column)) {
        return false;
    }
    m_rows.SetText(row, column, text);
    UpdateSubItem(row, column);
    return true;
}

wxString CXListCtrl::GetItemText(int row, int column) const {
    return InRange(row, column) ? m_rows.Text(row, column) : wxString();
}

bool CXListCtrl::DeleteItem(int row) {
    if (!m_rows.Erase(row)) {
        return false;
    }
    m_toolTipRow = -1;
    Relayout();
    Refresh();
    return true;
}

bool CXListCtrl::DeleteAllItems() {
    m_rows.Clear();
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
    return column >= 0 && column < GetColumns() ? m_rows.CountChecked(column) : 0;
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

ListMetrics CXListCtrl::Metrics() const {
    ListMetrics metrics;
    // As shown, which is what the header shows too.
    for (int column = 0; column < GetColumns(); ++column) {
        metrics.m_columnWidths.push_back(m_header->GetItem(column)->m_width);
    }
    metrics.m_headerHeight = m_headerHeight;
    metrics.m_rowHeight = m_rowHeight;
    metrics.m_topRow = m_topRow;
    metrics.m_scrollX = m_scrollX;
    return metrics;
}

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
    return RowsPerPage(RowsArea().height, m_rowHeight);
}

bool CXListCtrl::GetCellRect(int row, int column, wxRect& rect) const {
    if (!InRange(row, column)) {
        return false;
    }
    rect = CellRect(Metrics(), row, column);
    return true;
}

int CXListCtrl::HitTest(const wxPoint& point, int* column) const {
    const ListHit hit = HitTestCell(Metrics(), RowsArea(), GetItemCount(), point);
    if (hit.m_row >= 0 && column) {
        *column = hit.m_column;
    }
    return hit.m_row;
}

void CXListCtrl::Relayout() {
    if (!m_header) {
        return;
    }
    const wxSize client = GetClientSize();
    const wxSize bar(m_vScrollBar->GetBestSize().x, m_hScrollBar->GetBestSize().y);
    const ScrollBars needed = NeededScrollBars(client, m_headerHeight, m_rowHeight, GetItemCount(),
                                               TotalWidth(m_columnWidths), bar,
                                               m_columnWidths.empty() ? 0 : m_columnWidths.back());
    const int width = std::max(0, client.x - (needed.m_vertical ? bar.x : 0));
    const int height = std::max(0, client.y - (needed.m_horizontal ? bar.y : 0));

    // Columns sized to the list keep fitting beside the vertical bar, so that it brings no
    // sideways bar of its own to cover the last row.
    const std::vector<int> shown = ShownColumnWidths(m_columnWidths, client.x, width);
    for (int column = 0; column < static_cast<int>(shown.size()); ++column) {
        const HeaderItem* current = m_header->GetItem(column);
        if (current && current->m_width != shown[column]) {
            HeaderItem item = *current;
            item.m_width = shown[column];
            m_header->SetItem(column, item);
        }
    }
    const int total = TotalWidth(shown);

    const bool changed = needed.m_vertical != m_vScrollBar->IsShown() ||
                         needed.m_horizontal != m_hScrollBar->IsShown() ||
                         width != m_header->GetSize().x;
    m_vScrollBar->Show(needed.m_vertical);
    m_hScrollBar->Show(needed.m_horizontal);
    if (needed.m_vertical) {
        m_vScrollBar->SetSize(width, 0, bar.x, height);
    }
    if (needed.m_horizontal) {
        m_hScrollBar->SetSize(0, height, width, bar.y);
    }
    m_header->SetSize(0, 0, width, m_headerHeight);

    const int perPage = GetCountPerPage();
    m_topRow = std::clamp(m_topRow, 0, std::max(0, GetItemCount() - perPage));
    m_scrollX = std::clamp(m_scrollX, 0, std::max(0, total - width));
    m_header->SetScrollOffset(m_scrollX);
    if (needed.m_vertical) {
        m_vScrollBar->SetScrollbar(m_topRow, perPage, GetItemCount(), std::max(1, perPage - 1));
    }
    if (needed.m_horizontal) {
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
    ScrollTo(TopRowShowing(row, m_topRow, GetCountPerPage()));
    return true;
}

void CXListCtrl::UpdateSubItem(int row, int column) {
    wxRect rect;
    if (!GetCellRect(row, column, rect)) {
        return;
    }
    // A cell out of view has nothing to show until it is scrolled there, and painting now
    // would paint whatever else is pending too: filling hundreds of new rows would keep the
    // window from drawing anything else for seconds.
    rect.Inflate(2);
    if (!rect.Intersects(RowsArea())) {
        return;
    }
    // Only this cell, and at once: a running batch shows every step of its progress.
    RefreshRect(rect, true);
    Update();
}

void CXListCtrl::RefreshRowsFrom(int row) {
    wxRect rect;
    const wxRect area = RowsArea();
    if (!GetCellRect(row, 0, rect) || rect.y > area.GetBottom()) {
        return;
    }
    const int top = std::max(area.y, rect.y);
    RefreshRect(wxRect(area.x, top, area.width, area.GetBottom() + 1 - top), false);
}

void CXListCtrl::RefreshRow(int row) {
    wxRect rect;
    if (GetCellRect(row, 0, rect)) {
        RefreshRect(wxRect(0, rect.y, GetClientSize().x, rect.height), false);
    }
}

// Selection ----------------------------------------------------------------------------------

bool CXListCtrl::SelectItem(int row, bool scrollIntoView) {
    const int previous = m_rows.Selected();
    const int previousFocus = m_rows.Focused();
    const wxRect previousMark = FocusMarkRect();
    if (!m_rows.Select(row)) {
        return false;
    }
    if (scrollIntoView) {
        EnsureVisible(row);
    }
    if (previous != row || previousFocus != row) {
        RefreshRow(previous);
        // While no row had the focus the mark went round the whole area: all of it goes.
        RefreshRect(previousMark.Intersect(RowsArea()), false);
        RefreshRow(row);
    }
    return true;
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

    const ListMetrics metrics = Metrics();
    const RowRange range = RowsIn(metrics, rows, GetItemCount());
    for (int row = range.m_first; row <= range.m_last; ++row) {
        for (int column = 0; column < GetColumns(); ++column) {
            const wxRect cell = CellRect(metrics, row, column);
            if (cell.Intersects(rows)) {
                DrawCell(dc, row, column, cell);
            }
        }
    }
    if (m_exStyle & kListExGridLines) {
        DrawGridLines(dc, rows);
    }
    if (HasFocus()) {
        DrawFocusMark(dc);
    }
}

wxRect CXListCtrl::FocusMarkRect() const {
    // Round the row that Space and the arrow keys start from; round the whole area while no
    // row has the focus, so that reaching the list with Tab shows all the same.
    const int row = m_rows.Focused();
    wxRect rect;
    if (!GetCellRect(row, 0, rect)) {
        return RowsArea();
    }
    // Above the row's grid line, across all columns.
    return wxRect(-m_scrollX, rect.y, m_header->GetTotalWidth(), m_rowHeight - 1);
}

void CXListCtrl::DrawFocusMark(wxDC& dc) {
    const wxRect mark = FocusMarkRect();
    if (mark.Intersects(RowsArea())) {
        wxRendererNative::Get().DrawFocusRect(this, dc, mark);
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
    selection.m_rowSelected = row == m_rows.Selected();
    selection.m_showsSelection = (m_exStyle & kListExFullRowSelect) || column == 0;
    selection.m_listHasFocus = HasFocus();
    selection.m_showSelectionAlways = (m_exStyle & kListExShowSelAlways) != 0;
    const CellColours colours = GetCellColors(own, selection, m_colours);

    const wxString text = GetItemText(row, column);
    if (cell && cell->m_checkState != -1) {
        DrawCheckboxCell(dc, rect, text, cell->m_checkState, colours, m_colours, m_ellipsis,
                         FromDIP(kCheckBoxSize));
    } else {
        DrawTextCell(dc, rect, text, ColumnAlignment(column), colours, m_ellipsis, kTextMargin);
    }
}

void CXListCtrl::DrawGridLines(wxDC& dc, const wxRect& area) {
    // The lines take each row's last pixel row and each column's first pixel column, which the
    // progress cell leaves free; they run on below the rows to the bottom of the list.
    const wxColour colour = m_colours.m_buttonShadow.ChangeLightness(150);
    const ListMetrics metrics = Metrics();
    const int total = TotalWidth(metrics.m_columnWidths);
    for (int y = m_headerHeight + m_rowHeight - 1; y < area.y + area.height; y += m_rowHeight) {
        if (y >= area.y) {
            FillSolidRect(dc, wxRect(-m_scrollX, y, total, 1), colour);
        }
    }
    for (int column = 1; column <= GetColumns(); ++column) {
        const int x = ColumnLeft(metrics.m_columnWidths, column) - m_scrollX;
        FillSolidRect(dc, wxRect(x, area.y, 1, area.height), colour);
    }
}

// Window events ------------------------------------------------------------------------------

void CXListCtrl::OnSize(wxSizeEvent& event) {
    Relayout();
    Refresh();
    event.Skip();
}

void CXListCtrl::OnFocusChanged(wxFocusEvent& event) {
    // The selected row's colours depend on whether the list has the focus, and the focus mark
    // comes and goes with it.
    RefreshRow(m_rows.Selected());
    RefreshRect(FocusMarkRect().Intersect(RowsArea()), false);
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
