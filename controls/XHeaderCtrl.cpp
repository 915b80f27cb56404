#include "XHeaderCtrl.h"

#include <wx/dcclient.h>
#include <wx/headerctrl.h>
#include <wx/imaglist.h>
#include <wx/settings.h>

#include <algorithm>

#include "DrawingPrimitives.h"
#include "OffscreenDC.h"

namespace tarv {

wxIMPLEMENT_DYNAMIC_CLASS(CXHeaderCtrl, wxWindow);

// Nothing here answers a drag on a divider or sets a cursor: the columns keep the widths the
// program gives them, and the resize cursor never shows.
// clang-format off
wxBEGIN_EVENT_TABLE(CXHeaderCtrl, wxWindow)
    EVT_PAINT(CXHeaderCtrl::OnPaint)
    EVT_LEFT_DOWN(CXHeaderCtrl::OnLeftDown)
    EVT_LEFT_DCLICK(CXHeaderCtrl::OnLeftDown)
    EVT_LEFT_UP(CXHeaderCtrl::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CXHeaderCtrl::OnCaptureLost)
    EVT_SYS_COLOUR_CHANGED(CXHeaderCtrl::OnSysColourChanged)
wxEND_EVENT_TABLE();
// clang-format on

CXHeaderCtrl::CXHeaderCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                           const wxSize& size) {
    Create(parent, id, pos, size);
}

bool CXHeaderCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
    // Painting covers every pixel, so the background is never erased first.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxWindow::Create(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE)) {
        return false;
    }
    LoadSystemColors();
    return true;
}

void CXHeaderCtrl::LoadSystemColors() {
    m_buttonHighlight = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    m_buttonShadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    m_buttonFace = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    m_buttonText = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
}

int CXHeaderCtrl::InsertItem(int index, const HeaderItem& item) {
    index = std::clamp(index, 0, GetItemCount());
    m_items.insert(m_items.begin() + index, item);
    Refresh();
    return index;
}

bool CXHeaderCtrl::DeleteItem(int index) {
    if (index < 0 || index >= GetItemCount()) {
        return false;
    }
    m_items.erase(m_items.begin() + index);
    Refresh();
    return true;
}

const HeaderItem* CXHeaderCtrl::GetItem(int index) const {
    if (index < 0 || index >= GetItemCount()) {
        return nullptr;
    }
    return &m_items[index];
}

bool CXHeaderCtrl::SetItem(int index, const HeaderItem& item) {
    if (index < 0 || index >= GetItemCount()) {
        return false;
    }
    m_items[index] = item;
    Refresh();
    return true;
}

wxRect CXHeaderCtrl::GetItemRect(int index) const {
    if (index < 0 || index >= GetItemCount()) {
        return wxRect();
    }
    int left = -m_scrollOffset;
    for (int i = 0; i < index; ++i) {
        left += m_items[i].m_width;
    }
    return wxRect(left, 0, m_items[index].m_width, GetClientSize().y);
}

int CXHeaderCtrl::HitTest(const wxPoint& point) const {
    if (point.y < 0 || point.y >= GetClientSize().y || point.x < -m_scrollOffset) {
        return -1;
    }
    int left = -m_scrollOffset;
    for (int i = 0; i < GetItemCount(); ++i) {
        const int right = left + m_items[i].m_width;
        if (point.x < right) {
            return m_items[i].m_width > 0 ? i : -1;
        }
        left = right;
    }
    return -1;
}

int CXHeaderCtrl::GetTotalWidth() const {
    int total = 0;
    for (const HeaderItem& item : m_items) {
        total += item.m_width;
    }
    return total;
}

void CXHeaderCtrl::SetImageList(wxImageList* images) {
    // A list without a first image leaves the recorded size as it was.
    if (images && images->GetImageCount() > 0) {
        images->GetSize(0, m_imageWidth, m_imageHeight);
    }
    m_imageList = images;
    Refresh();
}

void CXHeaderCtrl::SetTextAlignment(int alignment) {
    m_textAlignment = alignment;
    Refresh();
}

void CXHeaderCtrl::SetDividers(bool dividers) {
    m_dividers = dividers;
    Refresh();
}

void CXHeaderCtrl::SetScrollOffset(int offset) {
    if (offset != m_scrollOffset) {
        m_scrollOffset = offset;
        Refresh();
    }
}

int CXHeaderCtrl::GetIdealHeight() const {
    return std::max(GetCharHeight() + 6, FromDIP(kCheckBoxSize) + 4);
}

wxSize CXHeaderCtrl::DoGetBestClientSize() const {
    return wxSize(GetTotalWidth(), GetIdealHeight());
}

void CXHeaderCtrl::DrawHeader(wxDC& dc) {
    wxRect clip;
    dc.GetClippingBox(clip);
    if (clip.IsEmpty()) {
        return;
    }
    PixelExactDrawing exact(dc);
    FillSolidRect(dc, clip, m_buttonFace);

    wxDCFontChanger font(dc, GetFont());
    dc.SetTextBackground(m_buttonFace);
    dc.SetTextForeground(m_buttonText);

    const int count = GetItemCount();
    int total = 0;
    for (int i = 0; i < count; ++i) {
        const HeaderItem& item = m_items[i];
        const wxRect rect = GetItemRect(i);
        DrawHeaderItem(
            dc, wxRect(rect.x + kTextMargin, rect.y, rect.width - 2 * kTextMargin, rect.height),
            item);
        if (m_dividers && i != count - 1) {
            // An etched line: shadow on the item's last pixel, highlight on the next one's first.
            const int right = rect.x + rect.width;
            const int top = rect.y + 2;
            const int height = rect.height - 4;
            FillSolidRect(dc, wxRect(right - 1, top, 1, height), m_buttonShadow);
            FillSolidRect(dc, wxRect(right, top, 1, height), m_buttonHighlight);
        }
        total += item.m_width;
    }
    // The raised frame ends with the last column, not at the window's edge.
    if (total > 0) {
        Draw3dFrame(dc, wxRect(-m_scrollOffset, 0, total, GetClientSize().y), m_buttonHighlight,
                    m_buttonShadow);
    }
}

int CXHeaderCtrl::DrawHeaderItem(wxDC& dc, const wxRect& rect, const HeaderItem& item) {
    int left = rect.x;
    int right = rect.x + rect.width;
    const int top = rect.y;
    const int bottom = rect.y + rect.height;

    if (item.m_image != 0 && right - left > 0) {
        int partWidth = 0;
        if (m_imageList) {
            const int y = (top + bottom) / 2 - (m_imageHeight + 1) / 2;
            wxDCClipper clip(dc,
                             wxRect(left, y, std::min(right - left, m_imageWidth), m_imageHeight));
            m_imageList->Draw(item.m_image, dc, left, y, wxIMAGELIST_DRAW_NORMAL);
            partWidth = m_imageWidth;
        } else {
            const int side = FromDIP(kCheckBoxSize);
            const wxRect box(left, top + (bottom - top - side) / 2, side, side);
            DrawCheckBox(dc, box, wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW),
                         item.m_image == 2);
            partWidth = side;
        }
        left += partWidth + kTextMargin;
    }

    if (item.m_bitmap.IsOk() && right - left > 0 && item.m_bitmap.GetWidth() <= right - left) {
        const int width = item.m_bitmap.GetWidth();
        dc.DrawBitmap(item.m_bitmap, right - width,
                      (top + bottom) / 2 - item.m_bitmap.GetHeight() / 2);
        right -= width + kTextMargin;
    }

    int textWidth = 0;
    if (right - left > 0 && !item.m_text.empty()) {
        const int alignment = m_textAlignment != -1 ? m_textAlignment : item.m_alignment;
        dc.SetTextForeground(m_buttonText);
        textWidth = DrawSingleLineText(
            dc, item.m_text, wxRect(left, top, right - left, bottom - top), alignment, true);
    }
    return std::max(0, std::min(textWidth, right - left));
}

void CXHeaderCtrl::OnPaint(wxPaintEvent&) {
    wxPaintDC paintDC(this);
    COffscreenDC offscreen(paintDC);
    DrawHeader(offscreen);
}

void CXHeaderCtrl::OnLeftDown(wxMouseEvent& event) {
    m_pressedItem = HitTest(event.GetPosition());
    if (m_pressedItem >= 0 && !HasCapture()) {
        CaptureMouse();
    }
}

void CXHeaderCtrl::OnLeftUp(wxMouseEvent& event) {
    if (HasCapture()) {
        ReleaseMouse();
    }
    const int pressed = m_pressedItem;
    m_pressedItem = -1;
    if (pressed >= 0 && HitTest(event.GetPosition()) == pressed) {
        SendClick(pressed);
    }
}

void CXHeaderCtrl::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_pressedItem = -1;
}

void CXHeaderCtrl::SendClick(int item) {
    wxHeaderCtrlEvent click(wxEVT_HEADER_CLICK, GetId());
    click.SetEventObject(this);
    click.SetColumn(item);
    ProcessWindowEvent(click);
}

void CXHeaderCtrl::OnSysColourChanged(wxSysColourChangedEvent& event) {
    event.Skip();
    LoadSystemColors();
    Refresh();
}

}  // namespace tarv
