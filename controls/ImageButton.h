// A flat push button that draws itself: no frame at rest, a raised frame under the pointer, a
// sunken one while pressed, showing its caption, a picture with a transparent colour, or both.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/control.h>

#include <functional>
#include <vector>

namespace tarv {

// A click reaches the parent as the ordinary wxEVT_BUTTON with the button's id, sent (the
// parent has handled it when the click is over). A double click counts as two clicks.
class CImageButton : public wxControl {
public:
    // Results of SetBitmaps.
    static constexpr int kBitmapsOk = 0;
    static constexpr int kBitmapsNoSize = 1;
    static constexpr int kBitmapsNoMask = 2;

    // Gap between the left edge and a picture that shares the button with a caption, and
    // between the picture and the caption.
    static constexpr int kImageMargin = 3;
    // How far picture and caption move, right and down, while the button is pressed.
    static constexpr int kPressedOffset = 1;
    // How far inside the edge the focus rectangle runs.
    static constexpr int kFocusInset = 2;

    CImageButton() = default;
    CImageButton(wxWindow* parent, wxWindowID id, const wxString& label = wxString(),
                 const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                 long style = 0, const wxString& name = "CImageButton");
    ~CImageButton() override;
    bool Create(wxWindow* parent, wxWindowID id, const wxString& label = wxString(),
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0, const wxString& name = "CImageButton");

    // Installs the picture, whose pixels of `transparent` let the face show through, in place
    // of any earlier one; the button keeps its own copy. The bundle's picture for 200 % is
    // drawn on screens at that scale. An empty bundle (a picture that could not be loaded)
    // leaves the button without a picture and answers kBitmapsOk, so it also removes the
    // picture. On a failure the button has no picture either.
    int SetBitmaps(const wxBitmapBundle& pictures, const wxColour& transparent);
    bool HasBitmap() const { return m_pictures.IsOk(); }

    bool IsHovered() const { return m_hover; }
    // Shown sunken: the left button is held on it with the pointer inside, or the space bar
    // is held while it has the focus.
    bool IsPressed() const;

    // Disabling also moves the keyboard focus to the next tab stop after the button, wherever
    // the focus was.
    bool Enable(bool enable = true) override;
    void SetLabel(const wxString& label) override;

    // Paints the whole button, in its present state, onto `dc` at the client area's place.
    void DrawItem(wxDC& dc);

protected:
    // The steps of DrawItem, in the order it calls them.
    virtual void DrawBackground(wxDC& dc, const wxRect& rect);
    virtual void DrawBorder(wxDC& dc, const wxRect& rect);
    // May move the caption's left edge to make room for the picture.
    virtual void DrawBitmap(wxDC& dc, bool hasCaption, const wxRect& itemRect, wxRect& captionRect,
                            bool pressed, bool disabled);
    virtual void DrawCaption(wxDC& dc, const wxString& caption, const wxRect& itemRect,
                             const wxRect& captionRect, bool pressed, bool disabled);
    // Drawn last, over the picture and caption, while the button has the keyboard focus.
    virtual void DrawFocus(wxDC& dc, const wxRect& rect);

    wxSize DoGetBestClientSize() const override;

private:
    void LoadSystemColours();
    void CancelHover();
    void Click();
    void MoveFocusPastThis();
    void OnTopLevelActivate(wxActivateEvent& event);

    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnSysColourChanged(wxSysColourChangedEvent& event);

    bool m_hover = false;
    // Copied from the state at every paint.
    bool m_pressed = false;
    bool m_disabled = false;

    // The left button went down on the button and is still down.
    bool m_mouseDown = false;
    bool m_mouseInside = false;
    bool m_spaceDown = false;

    // The picture in each resolution, with its mask attached.
    wxBitmapBundle m_pictures;

    wxColour m_textColour;
    // The window whose deactivation ends the hover look.
    wxWindow* m_topLevel = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CImageButton);
    wxDECLARE_EVENT_TABLE();
};

// Splits `text` into the lines a caption of `width` pixels shows: breaks at spaces, and at line
// feeds; a word wider than the whole width keeps a line of its own. `measure` gives a text's
// width in pixels.
std::vector<wxString> WrapCaption(const wxString& text, int width,
                                  const std::function<int(const wxString&)>& measure);

}  // namespace tarv
