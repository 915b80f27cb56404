#include "HyperLink.h"

#include <wx/dcclient.h>
#include <wx/stattext.h>
#include <wx/toplevel.h>

#include <algorithm>

#include "BackgroundBehind.h"
#include "DrawingPrimitives.h"
#include "LinkErrorText.h"

namespace tarv {

wxColour LinkTextColour(bool focused, bool visited) {
    if (focused) {
        return kLinkFocusColour;
    }
    return visited ? kLinkVisitedColour : kLinkUnvisitedColour;
}

wxRect FitRectToText(const wxRect& rect, const wxSize& textSize, long style) {
    int left = rect.GetLeft();
    int top = rect.GetTop();
    int right = rect.GetLeft() + rect.GetWidth();
    int bottom = rect.GetTop() + rect.GetHeight();
    if (style & wxALIGN_CENTRE_VERTICAL) {
        const int half = (rect.GetHeight() - textSize.y) / 2;
        top += half;
        bottom -= half;
    } else {
        bottom = top + textSize.y;
    }
    if (style & wxALIGN_CENTRE_HORIZONTAL) {
        const int half = (rect.GetWidth() - textSize.x) / 2;
        left += half;
        right -= half;
    } else if (style & wxALIGN_RIGHT) {
        left = right - textSize.x;
    } else {
        right = left + textSize.x;
    }
    return wxRect(left, top, right - left, bottom - top);
}

LinkOpener* CHyperLink::ms_opener = nullptr;

wxIMPLEMENT_DYNAMIC_CLASS(CHyperLink, wxControl);

// clang-format off
wxBEGIN_EVENT_TABLE(CHyperLink, wxControl)
    EVT_PAINT(CHyperLink::OnPaint)
    EVT_LEFT_DOWN(CHyperLink::OnLeftDown)
    EVT_LEFT_UP(CHyperLink::OnLeftUp)
    EVT_KEY_DOWN(CHyperLink::OnKeyDown)
    EVT_SET_FOCUS(CHyperLink::OnSetFocus)
    EVT_KILL_FOCUS(CHyperLink::OnKillFocus)
wxEND_EVENT_TABLE();
// clang-format on

CHyperLink::CHyperLink(wxWindow* parent, wxWindowID id, const wxString& text, const wxString& url,
                       const wxPoint& pos, const wxSize& size, long style, const wxString& name) {
    Create(parent, id, text, url, pos, size, style, name);
}

bool CHyperLink::Create(wxWindow* parent, wxWindowID id, const wxString& text, const wxString& url,
                        const wxPoint& pos, const wxSize& size, long style, const wxString& name) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxControl::Create(parent, id, pos, size, (style & ~wxBORDER_MASK) | wxBORDER_NONE,
                           wxDefaultValidator, name)) {
        return false;
    }
    m_url = url.empty() ? text : url;
    wxControl::SetLabel(text.empty() ? m_url : text);
    wxControl::SetFont(GetFont().Underlined());
    SetCursor(wxCursor(wxCURSOR_HAND));
    SetToolTip(m_url);
    PositionWindow();
    return true;
}

void CHyperLink::SetURL(const wxString& url) {
    m_url = url;
    PositionWindow();
    SetToolTip(m_url);
    Refresh();
}

void CHyperLink::SetLabel(const wxString& label) {
    wxControl::SetLabel(label);
    PositionWindow();
    Refresh();
}

bool CHyperLink::SetFont(const wxFont& font) {
    if (!wxControl::SetFont(font.IsOk() ? font.Underlined() : font)) {
        return false;
    }
    PositionWindow();
    Refresh();
    return true;
}

LinkOpener& CHyperLink::Opener() const {
    return ms_opener ? *ms_opener : DesktopLinkOpener();
}

bool CHyperLink::FollowLink() {
    LinkOpener& opener = Opener();
    const LinkResult result = GotoURL(m_url, opener);
    if (!result.IsOpened()) {
        opener.Beep();
        ReportLinkError(result.Error());
        return false;
    }
    m_visited = true;
    Refresh();
    return true;
}

void CHyperLink::ReportLinkError(LinkError error) {
    Opener().ShowMessage(wxGetTopLevelParent(this), LinkErrorMessage(error));
}

wxSize CHyperLink::TextSize() const {
    wxSize size;
    const wxArrayString lines = wxSplit(GetLabel(), '\n', '\0');
    for (const wxString& line : lines) {
        int width = 0;
        int height = 0;
        GetTextExtent(line.empty() ? wxString(" ") : line, &width, &height);
        size.x = std::max(size.x, line.empty() ? 0 : width);
        size.y += height;
    }
    return size;
}

wxSize CHyperLink::DoGetBestClientSize() const {
    return TextSize();
}

void CHyperLink::PositionWindow() {
    if (HasFlag(wxST_NO_AUTORESIZE)) {
        return;
    }
    const wxSize border = GetSize() - GetClientSize();
    const wxRect fitted = FitRectToText(GetRect(), TextSize(), GetWindowStyle());
    const wxSize size(fitted.width + border.x, fitted.height + border.y);
    // The size the link was created with must not hold a sizer's layout open either.
    SetMinSize(size);
    InvalidateBestSize();
    SetSize(fitted.x, fitted.y, size.x, size.y);
    Refresh();
}

void CHyperLink::DrawLink(wxDC& dc) {
    // The link has no background of its own: the window's shows behind the text.
    FillSolidRect(dc, wxRect(GetClientSize()), BackgroundBehind(this));
    wxDCFontChanger font(dc, GetFont());
    wxDCTextColourChanger colour(dc, GetLinkColour());
    wxDCTextBgModeChanger transparent(dc, wxBRUSHSTYLE_TRANSPARENT);
    int y = 0;
    for (const wxString& line : wxSplit(GetLabel(), '\n', '\0')) {
        dc.DrawText(line, 0, y);
        y += dc.GetCharHeight();
    }
}

void CHyperLink::OnPaint(wxPaintEvent& /*event*/) {
    wxPaintDC dc(this);
    DrawLink(dc);
}

void CHyperLink::OnLeftDown(wxMouseEvent& event) {
    SetFocus();
    m_focusFlag = true;
    Refresh();
    event.Skip();
}

void CHyperLink::OnLeftUp(wxMouseEvent& event) {
    event.Skip();
    // A release reaches the link also when the press began on it and the pointer has left
    // since; only a release over the link counts.
    if (m_focusFlag && wxRect(GetClientSize()).Contains(event.GetPosition())) {
        FollowLink();
    }
}

void CHyperLink::OnKeyDown(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE) {
        FollowLink();
        return;
    }
    event.Skip();
}

void CHyperLink::OnSetFocus(wxFocusEvent& event) {
    event.Skip();
    m_focusFlag = true;
    Refresh();
}

void CHyperLink::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    m_focusFlag = false;
    Refresh();
}

}  // namespace tarv
