// The list's answers to the mouse, the keyboard, the wheel and its scroll bars, and the tool
// tip that follows the pointer from cell to cell.
#include "XListCtrl.h"

#include <wx/listbase.h>
#include <wx/scrolbar.h>

#include <algorithm>

namespace tarv {

void CXListCtrl::SelectByUser(int row) {
    const bool changed = row != m_rows.Selected();
    SelectItem(row, true);
    if (changed) {
        wxListEvent selected(wxEVT_LIST_ITEM_SELECTED, GetId());
        selected.SetEventObject(this);
        selected.m_itemIndex = row;
        ProcessWindowEvent(selected);
    }
}

void CXListCtrl::ToggleCheckbox(int row, int column) {
    CellData* data = Cell(row, column);
    if (!data || (data->m_checkState != 0 && data->m_checkState != 1)) {
        return;
    }
    data->m_checkState = data->m_checkState == 0 ? 1 : 0;
    UpdateSubItem(row, column);
    if (wxWindow* parent = GetParent()) {
        CXListCheckboxEvent clicked(WM_XLISTCTRL_CHECKBOX_CLICKED, GetId(), row, column);
        clicked.SetEventObject(this);
        parent->GetEventHandler()->ProcessEvent(clicked);
    }
    UpdateHeaderCheckState(column);
}

void CXListCtrl::ToggleCheckboxAt(int row, const wxPoint& point) {
    // The first cell whose click square holds the point decides, box or not.
    for (int column = 0; column < GetColumns(); ++column) {
        wxRect cell;
        if (GetCellRect(row, column, cell) && CheckBoxHitSquare(cell).Contains(point)) {
            ToggleCheckbox(row, column);
            return;
        }
    }
}

void CXListCtrl::ToggleSelectedCheckboxes() {
    // The list selects one row at most; its first column holds the box that counts.
    if (GetCurSel() >= 0) {
        ToggleCheckbox(GetCurSel(), 0);
    }
}

void CXListCtrl::OnLeftDown(wxMouseEvent& event) {
    SetFocus();
    const wxPoint point = event.GetPosition();
    const int row = HitTest(point);
    if (row < 0) {
        // A click beside the rows clears the selection, as in any single-selection list.
        const int previous = m_rows.Selected();
        m_rows.ClearSelection();
        RefreshRow(previous);
        return;
    }
    ToggleCheckboxAt(row, point);
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
    // Fine-grained wheels send parts of a notch; they add up to whole ones.
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
    const int current = m_rows.Focused();
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
        case WXK_SPACE:
            // The keyboard's click on the box; with a modifier it is someone else's shortcut.
            if (event.HasAnyModifiers()) {
                event.Skip();
            } else {
                ToggleSelectedCheckboxes();
            }
            return;
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

}  // namespace tarv
