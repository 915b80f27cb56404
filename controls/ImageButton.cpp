#include "ImageButton.h"

#include <wx/dcclient.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#include <algorithm>

#include "BackgroundBehind.h"
#include "DrawingPrimitives.h"
#include "TransparentBitmap.h"

namespace tarv {

wxIMPLEMENT_DYNAMIC_CLASS(CImageButton, wxControl);

// clang-format off
wxBEGIN_EVENT_TABLE(CImageButton, wxControl)
    EVT_PAINT(CImageButton::OnPaint)
    EVT_LEFT_DOWN(CImageButton::OnLeftDown)
    // The second press of a double click arrives as a double-click event; it is a press all
    // the same, so a double click gives two clicks.
    EVT_LEFT_DCLICK(CImageButton::OnLeftDown)
    EVT_LEFT_UP(CImageButton::OnLeftUp)
    EVT_MOTION(CImageButton::OnMotion)
    EVT_LEAVE_WINDOW(CImageButton::OnLeave)
    EVT_MOUSE_CAPTURE_LOST(CImageButton::OnCaptureLost)
    EVT_KEY_DOWN(CImageButton::OnKeyDown)
    EVT_KEY_UP(CImageButton::OnKeyUp)
    EVT_SET_FOCUS(CImageButton::OnSetFocus)
    EVT_KILL_FOCUS(CImageButton::OnKillFocus)
    EVT_SYS_COLOUR_CHANGED(CImageButton::OnSysColourChanged)
wxEND_EVENT_TABLE();
// clang-format on

CImageButton::CImageButton(wxWindow* parent, wxWindowID id, const wxString& label,
                           const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name) {
    Create(parent, id, label, pos, size, style, name);
}

CImageButton::~CImageButton() {
    if (m_topLevel) {
        m_topLevel->Unbind(wxEVT_ACTIVATE, &CImageButton::OnTopLevelActivate, this);
    }
}

bool CImageButton::Create(wxWindow* parent, wxWindowID id, const wxString& label,
                          const wxPoint& pos, const wxSize& size, long style,
                          const wxString& name) {
    // Every pixel is painted by DrawItem, so nothing is erased first.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxControl::Create(parent, id, pos, size,
                           (style & ~wxBORDER_MASK) | wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE,
                           wxDefaultValidator, name)) {
        return false;
    }
    wxControl::SetLabel(label);
    LoadSystemColours();
    // Hover ends when the window holding the button is deactivated.
    m_topLevel = wxGetTopLevelParent(this);
    if (m_topLevel && m_topLevel != this) {
        m_topLevel->Bind(wxEVT_ACTIVATE, &CImageButton::OnTopLevelActivate, this);
    } else {
        m_topLevel = nullptr;
    }
    if (size == wxDefaultSize) {
        SetInitialSize(size);
    }
    return true;
}

void CImageButton::LoadSystemColours() {
    m_textColour = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
}

int CImageButton::SetBitmaps(const wxBitmapBundle& pictures, const wxColour& transparent) {
    m_pictures = wxBitmapBundle();
    int result = kBitmapsOk;
    if (pictures.IsOk()) {
        const wxSize size = pictures.GetDefaultSize();
        if (size.x <= 0 || size.y <= 0) {
            result = kBitmapsNoSize;
        } else if (transparent.IsOk()) {
            m_pictures = MaskedPictures(pictures, transparent);
            result = m_pictures.IsOk() ? kBitmapsOk : kBitmapsNoMask;
        } else {
            result = kBitmapsNoMask;
        }
    }
    InvalidateBestSize();
    Refresh();
    return result;
}

bool CImageButton::IsPressed() const {
    return (m_mouseDown && m_mouseInside) || m_spaceDown;
}

bool CImageButton::Enable(bool enable) {
    if (!wxControl::Enable(enable)) {
        return false;
    }
    if (!enable) {
        m_mouseDown = false;
        m_spaceDown = false;
        if (HasCapture()) {
            ReleaseMouse();
        }
        MoveFocusPastThis();
        CancelHover();
    }
    Refresh();
    return true;
}

void CImageButton::MoveFocusPastThis() {
    wxWindow* parent = GetParent();
    if (!parent) {
        return;
    }
    // The next tab stop after the button, wrapping round the parent's children as the dialog
    // keyboard interface does; the parent itself when there is none.
    const wxWindowList& siblings = parent->GetChildren();
    auto self = std::find(siblings.begin(), siblings.end(), this);
    if (self == siblings.end()) {
        return;
    }
    auto it = self;
    for (++it;; ++it) {
        if (it == siblings.end()) {
            it = siblings.begin();
        }
        if (it == self) {
            break;
        }
        wxWindow* candidate = *it;
        if (!candidate->IsTopLevel() && candidate->IsShown() && candidate->IsEnabled() &&
            candidate->CanAcceptFocusFromKeyboard()) {
            candidate->SetFocus();
            return;
        }
    }
    parent->SetFocus();
}

void CImageButton::SetLabel(const wxString& label) {
    wxControl::SetLabel(label);
    InvalidateBestSize();
    Refresh();
}

void CImageButton::CancelHover() {
    if (m_hover) {
        m_hover = false;
        Refresh();
    }
}

void CImageButton::Click() {
    if (!IsEnabled()) {
        return;
    }
    SetFocus();
    wxCommandEvent click(wxEVT_BUTTON, GetId());
    click.SetEventObject(this);
    // The handler may destroy the button, so nothing of it is touched afterwards.
    HandleWindowEvent(click);
}

void CImageButton::DrawItem(wxDC& dc) {
    m_pressed = IsPressed();
    m_disabled = !IsEnabled();

    const wxRect itemRect(GetClientSize());
    PixelExactDrawing exact(dc);
    wxDCTextBgModeChanger transparent(dc, wxBRUSHSTYLE_TRANSPARENT);
    wxDCFontChanger font(dc, GetFont());

    DrawBackground(dc, itemRect);
    DrawBorder(dc, itemRect);
    const wxString caption = GetLabelText();
    wxRect captionRect = itemRect;
    if (m_pictures.IsOk()) {
        DrawBitmap(dc, !caption.empty(), itemRect, captionRect, m_pressed, m_disabled);
    }
    if (!caption.empty()) {
        DrawCaption(dc, caption, itemRect, captionRect, m_pressed, m_disabled);
    }
    if (HasFocus()) {
        DrawFocus(dc, itemRect);
    }
}

void CImageButton::DrawFocus(wxDC& dc, const wxRect& rect) {
    // The flat look has no frame at rest, so without this nothing would tell a keyboard user
    // which button Space presses. Inside the edge, where the hover frame does not reach.
    const wxRect inside = wxRect(rect).Deflate(kFocusInset);
    if (!inside.IsEmpty()) {
        wxRendererNative::Get().DrawFocusRect(this, dc, inside);
    }
}

void CImageButton::DrawBackground(wxDC& dc, const wxRect& rect) {
    // The face is the colour of the window the button sits on, so that at rest the button is
    // no more than its caption or picture.
    FillSolidRect(dc, rect, BackgroundBehind(this));
}

void CImageButton::DrawBorder(wxDC& dc, const wxRect& rect) {
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    if (m_pressed) {
        Draw3dFrame(dc, rect, shadow, highlight);
    } else if (m_hover) {
        Draw3dFrame(dc, rect, highlight, shadow);
    }
}

void CImageButton::DrawBitmap(wxDC& dc, bool hasCaption, const wxRect& itemRect,
                              wxRect& captionRect, bool pressed, bool disabled) {
    const wxBitmap picture = PictureFor(m_pictures, dc);
    const int width = m_pictures.GetDefaultSize().x;
    const int height = m_pictures.GetDefaultSize().y;
    wxPoint place;
    if (hasCaption) {
        place.x = itemRect.x + kImageMargin;
        captionRect.SetLeft(captionRect.GetLeft() + width + kImageMargin);
    } else {
        place.x = itemRect.x + (itemRect.width - width) / 2;
    }
    place.y = itemRect.y + (itemRect.height - height) / 2;
    if (pressed) {
        place += wxPoint(kPressedOffset, kPressedOffset);
    }
    if (disabled) {
        dc.DrawBitmap(
            EmbossedBitmap(picture, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT),
                           wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)),
            place, true);
    } else {
        dc.DrawBitmap(picture, place, true);
    }
}

void CImageButton::DrawCaption(wxDC& dc, const wxString& caption, const wxRect& /*itemRect*/,
                               const wxRect& captionRect, bool pressed, bool disabled) {
    wxRect rect = captionRect;
    if (pressed) {
        rect.Offset(kPressedOffset, kPressedOffset);
    }
    const std::vector<wxString> lines = WrapCaption(
        caption, rect.width, [&dc](const wxString& text) { return dc.GetTextExtent(text).x; });
    const int lineHeight = dc.GetCharHeight();
    int blockWidth = 0;
    for (const wxString& line : lines) {
        blockWidth = std::max(blockWidth, dc.GetTextExtent(line).x);
    }
    const int blockHeight = lineHeight * static_cast<int>(lines.size());
    // The measured block sits centred in the caption's rectangle, each line centred in it.
    const wxRect block(rect.x + (rect.width - blockWidth) / 2,
                       rect.y + (rect.height - blockHeight) / 2, blockWidth, blockHeight);

    auto drawLines = [&](const wxColour& colour, int offset) {
        wxDCTextColourChanger textColour(dc, colour);
        wxRect line(block.x + offset, block.y + offset, block.width, lineHeight);
        for (const wxString& text : lines) {
            // The shared text helper smooths the glyphs, which the crisp frame around them
            // must not be.
            DrawSingleLineText(dc, text, line, wxALIGN_CENTER_HORIZONTAL, false);
            line.y += lineHeight;
        }
    };
    if (disabled) {
        drawLines(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT), 1);
        drawLines(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW), 0);
    } else {
        drawLines(m_textColour, 0);
    }
}

wxSize CImageButton::DoGetBestClientSize() const {
    wxSize size;
    const wxString caption = GetLabelText();
    if (!caption.empty()) {
        size = GetTextExtent(caption) + wxSize(16, 8);
    }
    if (m_pictures.IsOk()) {
        const wxSize picture =
            m_pictures.GetDefaultSize() + wxSize(2 * kImageMargin, 2 * kImageMargin);
        size.x = caption.empty() ? picture.x : size.x + picture.x - kImageMargin;
        size.y = std::max(size.y, picture.y);
    }
    return size;
}

void CImageButton::OnPaint(wxPaintEvent& /*event*/) {
    wxPaintDC dc(this);
    DrawItem(dc);
}

void CImageButton::OnLeftDown(wxMouseEvent& event) {
    // A push button takes the focus when it is pressed.
    SetFocus();
    m_mouseDown = true;
    m_mouseInside = true;
    if (!HasCapture()) {
        CaptureMouse();
    }
    Refresh();
    event.Skip();
}

void CImageButton::OnLeftUp(wxMouseEvent& event) {
    event.Skip();
    if (!m_mouseDown) {
        return;
    }
    const bool click = m_mouseInside;
    m_mouseDown = false;
    if (HasCapture()) {
        ReleaseMouse();
    }
    Refresh();
    if (click) {
        Click();
    }
}

void CImageButton::OnMotion(wxMouseEvent& event) {
    event.Skip();
    const bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
    if (m_mouseDown && inside != m_mouseInside) {
        m_mouseInside = inside;
        Refresh();
    }
    // A drag that began elsewhere does not light the button up.
    if (event.LeftIsDown() && !m_hover) {
        return;
    }
    if (inside) {
        if (!m_hover) {
            m_hover = true;
            Refresh();
        }
    } else {
        CancelHover();
    }
}

void CImageButton::OnLeave(wxMouseEvent& event) {
    event.Skip();
    CancelHover();
}

void CImageButton::OnCaptureLost(wxMouseCaptureLostEvent& /*event*/) {
    m_mouseDown = false;
    CancelHover();
    Refresh();
}

void CImageButton::OnKeyDown(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_SPACE:
            if (!m_spaceDown) {
                m_spaceDown = true;
                Refresh();
            }
            return;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            Click();
            return;
        default:
            event.Skip();
    }
}

void CImageButton::OnKeyUp(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE && m_spaceDown) {
        m_spaceDown = false;
        Refresh();
        Click();
        return;
    }
    event.Skip();
}

void CImageButton::OnSetFocus(wxFocusEvent& event) {
    event.Skip();
    Refresh();
}

void CImageButton::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    // A space bar still held when the focus goes gives no click.
    m_spaceDown = false;
    CancelHover();
    Refresh();
}

void CImageButton::OnTopLevelActivate(wxActivateEvent& event) {
    event.Skip();
    if (!event.GetActive()) {
        CancelHover();
    }
}

void CImageButton::OnSysColourChanged(wxSysColourChangedEvent& event) {
    event.Skip();
    LoadSystemColours();
    Refresh();
}

std::vector<wxString> WrapCaption(const wxString& text, int width,
                                  const std::function<int(const wxString&)>& measure) {
    std::vector<wxString> lines;
    for (const wxString& paragraph : wxSplit(text, '\n', '\0')) {
        wxString line;
        for (const wxString& word : wxSplit(paragraph, ' ', '\0')) {
            if (word.empty()) {
                continue;
            }
            const wxString longer = line.empty() ? word : line + " " + word;
            if (line.empty() || measure(longer) <= width) {
                line = longer;
            } else {
                lines.push_back(line);
                line = word;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace tarv
