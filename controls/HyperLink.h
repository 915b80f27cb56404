// A static text that acts as a link: underlined, in link colours, with a hand cursor and a tool
// tip showing its target; a click or the space bar opens the target on the desktop.
#pragma once

#include <wx/colour.h>
#include <wx/control.h>

#include "LinkOpener.h"

namespace tarv {

inline const wxColour kLinkUnvisitedColour(0, 0, 255);
inline const wxColour kLinkVisitedColour(128, 0, 128);
// While the link has the focus, whether visited or not.
inline const wxColour kLinkFocusColour(0, 128, 128);

wxColour LinkTextColour(bool focused, bool visited);

// Where a window of `textSize` goes when it fits its text: `rect` keeps its left edge, its
// right edge (wxALIGN_RIGHT) or its middle (wxALIGN_CENTRE_HORIZONTAL), and its top edge or its
// middle (wxALIGN_CENTRE_VERTICAL), as the style asks.
wxRect FitRectToText(const wxRect& rect, const wxSize& textSize, long style);

// The style takes wxALIGN_RIGHT, wxALIGN_CENTRE_HORIZONTAL and wxALIGN_CENTRE_VERTICAL for
// where the window stays when it fits its text, and wxST_NO_AUTORESIZE to keep its size.
class CHyperLink : public wxControl {
public:
    CHyperLink() = default;
    // An empty target becomes the text, and an empty text the target.
    CHyperLink(wxWindow* parent, wxWindowID id, const wxString& text, const wxString& url,
               const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
               long style = 0, const wxString& name = "CHyperLink");
    bool Create(wxWindow* parent, wxWindowID id, const wxString& text, const wxString& url,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0, const wxString& name = "CHyperLink");

    // The target is what opens and what the tool tip shows.
    void SetURL(const wxString& url);
    const wxString& GetURL() const { return m_url; }
    // The visible text; the window fits itself to it.
    void SetLinkText(const wxString& text) { SetLabel(text); }
    wxString GetLinkText() const { return GetLabel(); }
    void SetLabel(const wxString& label) override;
    // Any font is shown underlined.
    bool SetFont(const wxFont& font) override;

    // Opens the target: through the desktop's default handler, or else by starting the
    // default web browser with it. True when it opened, and the link shows as visited; on a
    // failure the opener beeps and shows why.
    bool FollowLink();
    bool IsVisited() const { return m_visited; }
    wxColour GetLinkColour() const { return LinkTextColour(m_focusFlag, m_visited); }

    // The opener links use instead of the desktop's; not owned, null for the desktop's.
    static void SetOpener(LinkOpener* opener) { ms_opener = opener; }

    // Paints the link, as it now is, onto `dc` at the client area's place.
    void DrawLink(wxDC& dc);

protected:
    // Shows the message for the reason a link did not open.
    void ReportLinkError(LinkError error);
    wxSize DoGetBestClientSize() const override;

private:
    LinkOpener& Opener() const;
    wxSize TextSize() const;
    void PositionWindow();

    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);

    static LinkOpener* ms_opener;

    wxString m_url;
    bool m_focusFlag = false;
    bool m_visited = false;

    wxDECLARE_DYNAMIC_CLASS(CHyperLink);
    wxDECLARE_EVENT_TABLE();
};

}  // namespace tarv
