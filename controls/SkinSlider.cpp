#include "SkinSlider.h"

#include <wx/dcclient.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "BackgroundBehind.h"
#include "DrawingPrimitives.h"
#include "OffscreenDC.h"
#include "TransparentBitmap.h"

namespace tarv {

wxDEFINE_EVENT(WM_SLIDER_MOVING, wxCommandEvent);
wxDEFINE_EVENT(WM_SLIDER_MOVED, wxCommandEvent);

int SliderPixelOfPosition(const SliderMetrics& m, int position) {
    const int travel = m.width - m.marginRight - m.thumbWidth - m.marginLeft;
    int offset = 0;
    if (m.maximum != m.minimum) {
        offset = static_cast<int>(std::trunc(static_cast<double>(position - m.minimum) /
                                             (m.maximum - m.minimum) * travel));
    }
    return m.marginLeft + offset + m.thumbWidth / 2;
}

int SliderPositionOfPixel(const SliderMetrics& m, int pixel) {
    const int travel = m.width - m.marginRight - m.marginLeft - m.thumbWidth;
    if (travel <= 0) {
        return m.minimum;
    }
    return static_cast<int>(
        std::trunc(static_cast<double>(pixel - m.thumbWidth / 2 - m.marginLeft) / travel *
                       (m.maximum - m.minimum) +
                   m.minimum));
}

wxIMPLEMENT_DYNAMIC_CLASS(CSkinSlider, wxControl);

// clang-format off
wxBEGIN_EVENT_TABLE(CSkinSlider, wxControl)
    EVT_PAINT(CSkinSlider::OnPaint)
    EVT_LEFT_DOWN(CSkinSlider::OnLeftDown)
    EVT_LEFT_DCLICK(CSkinSlider::OnLeftDown)
    EVT_MOTION(CSkinSlider::OnMotion)
    EVT_LEFT_UP(CSkinSlider::OnLeftUp)
    EVT_MOUSE_CAPTURE_LOST(CSkinSlider::OnCaptureLost)
    EVT_KEY_DOWN(CSkinSlider::OnKeyDown)
    EVT_SET_FOCUS(CSkinSlider::OnSetFocus)
    EVT_KILL_FOCUS(CSkinSlider::OnKillFocus)
wxEND_EVENT_TABLE();
// clang-format on

CSkinSlider::CSkinSlider(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                         long style, const wxString& name) {
    Create(parent, id, pos, size, style, name);
}

bool CSkinSlider::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                         long style, const wxString& name) {
    // Each paint composes the whole picture, so the background is never erased first.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // The slider wants the navigation keys for itself; Tab, which it skips, still moves the
    // focus on.
    if (!wxControl::Create(
            parent, id, pos, size,
            (style & ~wxBORDER_MASK) | wxBORDER_NONE | wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE,
            wxDefaultValidator, name)) {
        return false;
    }
    const wxSize client = GetClientSize();
    m_width = client.x;
    m_height = client.y;
    return true;
}

bool CSkinSlider::LoadPicture(int id, bool transparent, const wxColour& colour, int sampleX,
                              int sampleY, wxBitmapBundle& picture) {
    picture = m_loader ? m_loader(id) : wxBitmapBundle();
    if (!picture.IsOk()) {
        picture = wxBitmapBundle();
        return false;
    }
    // Copies of our own with the mask, which does not reach the loader's bitmaps.
    if (transparent) {
        picture = MaskedPictures(picture, colour, sampleX, sampleY);
    }
    return picture.IsOk();
}

bool CSkinSlider::SetChannelBitmaps(int channelId, int activeId, bool transparent,
                                    const wxColour& transparentColour, int sampleX, int sampleY) {
    m_channel = wxBitmapBundle();
    m_activeChannel = wxBitmapBundle();
    if (channelId == 0) {
        Refresh();
        return true;
    }
    if (!LoadPicture(channelId, transparent, transparentColour, sampleX, sampleY, m_channel)) {
        Refresh();
        return false;
    }
    if (activeId != 0 &&
        !LoadPicture(activeId, transparent, transparentColour, sampleX, sampleY, m_activeChannel)) {
        m_channel = wxBitmapBundle();
        Refresh();
        return false;
    }
    m_width = m_channel.GetDefaultSize().x;
    m_height = m_channel.GetDefaultSize().y;
    // Whatever size the control was given, it becomes the channel's.
    SetInitialSize(wxSize(m_width, m_height));
    m_channelTransparent = transparent;
    Refresh();
    return true;
}

bool CSkinSlider::SetThumbBitmaps(int thumbId, int activeId, bool transparent,
                                  const wxColour& transparentColour, int sampleX, int sampleY) {
    m_thumb = wxBitmapBundle();
    m_activeThumb = wxBitmapBundle();
    if (thumbId == 0) {
        Refresh();
        return true;
    }
    if (!LoadPicture(thumbId, transparent, transparentColour, sampleX, sampleY, m_thumb)) {
        Refresh();
        return false;
    }
    if (activeId != 0 &&
        !LoadPicture(activeId, transparent, transparentColour, sampleX, sampleY, m_activeThumb)) {
        m_thumb = wxBitmapBundle();
        Refresh();
        return false;
    }
    m_thumbWidth = m_thumb.GetDefaultSize().x;
    m_thumbHeight = m_thumb.GetDefaultSize().y;
    if (!m_channel.IsOk()) {
        const wxSize client = GetClientSize();
        m_width = client.x;
        m_height = client.y;
    }
    m_thumbTransparent = transparent;
    Refresh();
    return true;
}

void CSkinSlider::SetRangeMax(int maximum, bool redraw) {
    m_maximum = maximum;
    if (redraw) {
        Refresh();
    }
}

void CSkinSlider::SetRangeMin(int minimum, bool redraw) {
    m_minimum = minimum;
    if (redraw) {
        Refresh();
    }
}

void CSkinSlider::SetRange(int minimum, int maximum, bool redraw) {
    SetRangeMin(minimum, false);
    SetRangeMax(maximum, redraw);
}

void CSkinSlider::SetPos(int position) {
    m_position = std::max(std::min(position, m_maximum), m_minimum);
    Refresh();
}

void CSkinSlider::SetMargins(int left, int top, int right, int bottom) {
    m_marginLeft = left;
    m_marginTop = top;
    m_marginRight = right;
    m_marginBottom = bottom;
}

void CSkinSlider::SetDrawFocusRect(bool draw, bool redraw) {
    m_drawFocus = draw;
    if (redraw) {
        Refresh();
    }
}

SliderMetrics CSkinSlider::Metrics() const {
    return SliderMetrics{m_minimum, m_maximum, m_width, m_thumbWidth, m_marginLeft, m_marginRight};
}

int CSkinSlider::GetThumbCentre() const {
    return SliderPixelOfPosition(Metrics(), m_position);
}

void CSkinSlider::DrawSlider(wxDC& dc) {
    const wxRect client(GetClientSize());
    PixelExactDrawing exact(dc);
    // The window's background shows where the pictures are transparent. Every paint starts
    // from it afresh, so no earlier thumb is left on the picture to clear away.
    FillSolidRect(dc, client, BackgroundBehind(this));

    const int centre = GetThumbCentre();
    if (m_channel.IsOk()) {
        const wxBitmap channel = PictureFor(m_channel, dc);
        if (m_activeChannel.IsOk()) {
            // The part left of the thumb centre shows the active look.
            {
                wxDCClipper left(dc, wxRect(0, 0, centre, m_height));
                dc.DrawBitmap(PictureFor(m_activeChannel, dc), 0, 0, m_channelTransparent);
            }
            wxDCClipper right(dc, wxRect(centre, 0, m_width - centre, m_height));
            dc.DrawBitmap(channel, 0, 0, m_channelTransparent);
        } else {
            dc.DrawBitmap(channel, 0, 0, m_channelTransparent);
        }
    }

    if (m_thumb.IsOk()) {
        const wxBitmapBundle& thumb = m_activeThumb.IsOk() && m_dragging ? m_activeThumb : m_thumb;
        dc.DrawBitmap(PictureFor(thumb, dc), centre - m_thumbWidth / 2, m_marginTop,
                      m_thumbTransparent);
    }

    if (m_drawFocus && m_hasFocus) {
        wxDCPenChanger pen(dc, wxPen(GetForegroundColour(), 1, wxPENSTYLE_DOT));
        wxDCBrushChanger brush(dc, *wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(client);
    }
}

wxSize CSkinSlider::DoGetBestClientSize() const {
    if (m_channel.IsOk()) {
        return m_channel.GetDefaultSize();
    }
    return wxSize(100, std::max(15, m_thumbHeight + m_marginTop + m_marginBottom));
}

void CSkinSlider::Post(wxEventType type) {
    wxWindow* parent = GetParent();
    if (!parent) {
        return;
    }
    // No event object: the slider may be gone by the time the parent sees the event.
    auto* event = new wxCommandEvent(type, GetId());
    event->SetInt(m_position);
    wxQueueEvent(parent->GetEventHandler(), event);
}

void CSkinSlider::DragTo(int x) {
    if (!m_dragging) {
        return;
    }
    x -= m_dragOffset;
    x = std::max(x, m_marginLeft + m_thumbWidth / 2);
    x = std::min(x, m_width - m_thumbWidth / 2 - m_marginRight);
    if (x != GetThumbCentre()) {
        SetPos(SliderPositionOfPixel(Metrics(), x));
        Post(WM_SLIDER_MOVING);
    }
}

void CSkinSlider::OnPaint(wxPaintEvent& /*event*/) {
    wxPaintDC dc(this);
    COffscreenDC offscreen(dc, wxRect(GetClientSize()));
    DrawSlider(offscreen.GetDC());
}

void CSkinSlider::OnLeftDown(wxMouseEvent& event) {
    if (!HasCapture()) {
        CaptureMouse();
    }
    SetFocus();
    m_dragging = true;
    const int x = event.GetX();
    const int centre = GetThumbCentre();
    // A press beside the thumb makes it jump under the pointer; a press on it keeps the grip.
    m_dragOffset = std::abs(x - centre) > m_thumbWidth / 2 ? 0 : x - centre;
    DragTo(x);
    Refresh();
    event.Skip();
}

void CSkinSlider::OnMotion(wxMouseEvent& event) {
    DragTo(event.GetX());
    event.Skip();
}

void CSkinSlider::OnLeftUp(wxMouseEvent& event) {
    if (HasCapture()) {
        ReleaseMouse();
    }
    m_dragging = false;
    Refresh();
    Post(WM_SLIDER_MOVED);
    event.Skip();
}

void CSkinSlider::OnCaptureLost(wxMouseCaptureLostEvent& /*event*/) {
    // The release will not come to us; the drag ends here, and the parent hears of it as if it
    // had.
    if (m_dragging) {
        m_dragging = false;
        Refresh();
        Post(WM_SLIDER_MOVED);
    }
}

void CSkinSlider::OnKeyDown(wxKeyEvent& event) {
    int position = m_position;
    switch (event.GetKeyCode()) {
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            position -= m_pageSize;
            break;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            position += m_pageSize;
            break;
        case WXK_END:
        case WXK_NUMPAD_END:
            position = m_maximum;
            break;
        case WXK_HOME:
        case WXK_NUMPAD_HOME:
            position = m_minimum;
            break;
        case WXK_LEFT:
        case WXK_UP:
        case WXK_NUMPAD_LEFT:
        case WXK_NUMPAD_UP:
            position -= 1;
            break;
        case WXK_RIGHT:
        case WXK_DOWN:
        case WXK_NUMPAD_RIGHT:
        case WXK_NUMPAD_DOWN:
            position += 1;
            break;
        default:
            event.Skip();
            return;
    }
    SetPos(position);
    Post(WM_SLIDER_MOVED);
}

void CSkinSlider::OnSetFocus(wxFocusEvent& event) {
    event.Skip();
    m_hasFocus = true;
    Refresh();
}

void CSkinSlider::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    m_hasFocus = false;
    Refresh();
}

}  // namespace tarv
