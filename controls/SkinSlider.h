// A horizontal slider drawn entirely from pictures: a channel and a thumb, each with an
// optional second picture for its active look. It reports moves to its parent by queued
// events.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/control.h>
#include <wx/event.h>

#include <functional>
#include <utility>

namespace tarv {

// Both are queued to the slider's parent (wxQueueEvent), never sent, so the parent handles them
// after the slider has finished with the mouse or key event. GetId() is the slider's id and
// GetInt() the position.
// During a mouse drag, the press included, whenever the thumb has to move.
wxDECLARE_EVENT(WM_SLIDER_MOVING, wxCommandEvent);
// On every left-button release and after every navigation key, also when nothing moved.
wxDECLARE_EVENT(WM_SLIDER_MOVED, wxCommandEvent);

// What the mapping between positions and the thumb centre's x coordinate depends on.
struct SliderMetrics {
    int minimum = 0;
    int maximum = 100;
    // The channel's width.
    int width = 0;
    int thumbWidth = 0;
    int marginLeft = 0;
    int marginRight = 0;
};

// The thumb centre's x coordinate for a position.
int SliderPixelOfPosition(const SliderMetrics& metrics, int position);
// The position whose thumb centre is nearest below `pixel`, before any clamping.
int SliderPositionOfPixel(const SliderMetrics& metrics, int pixel);

class CSkinSlider : public wxControl {
public:
    // Gives the picture with an id, in as many resolutions as it has; an empty bundle when there
    // is none. A picture for 200 % is drawn on screens at that scale.
    using BitmapLoader = std::function<wxBitmapBundle(int id)>;

    static constexpr int kDefaultPageSize = 20;

    CSkinSlider() = default;
    CSkinSlider(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0,
                const wxString& name = "CSkinSlider");
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0,
                const wxString& name = "CSkinSlider");

    // Where the set-up operations get their pictures from; the owner supplies it.
    void SetBitmapLoader(BitmapLoader loader) { m_loader = std::move(loader); }

    // The channel pictures: `channelId` 0 removes both. `activeId` 0 means no active picture;
    // when there is one, the channel left of the thumb is drawn from it. With `transparent`
    // the pixels of `transparentColour` let the parent's background show; an invalid colour
    // means "the colour of the pixel at (sampleX, sampleY)", read from each picture. The
    // control takes the channel's size. False, and no channel at all, when a picture does not
    // load.
    bool SetChannelBitmaps(int channelId, int activeId, bool transparent,
                           const wxColour& transparentColour = wxColour(), int sampleX = 0,
                           int sampleY = 0);
    // The thumb pictures, with the same arguments; the active one shows while it is dragged.
    bool SetThumbBitmaps(int thumbId, int activeId, bool transparent,
                         const wxColour& transparentColour = wxColour(), int sampleX = 0,
                         int sampleY = 0);

    // The position is not clamped again by these; the maximum must exceed the minimum.
    void SetRangeMax(int maximum, bool redraw = false);
    void SetRangeMin(int minimum, bool redraw = false);
    void SetRange(int minimum, int maximum, bool redraw = false);
    int GetRangeMin() const { return m_minimum; }
    int GetRangeMax() const { return m_maximum; }

    // Clamped to the range; always repaints.
    void SetPos(int position);
    int GetPos() const { return m_position; }
    int GetPageSize() const { return m_pageSize; }

    // How near the edges the thumb centre may come.
    void SetMargins(int left, int top, int right, int bottom);
    // Whether a focus rectangle shows while the slider has the focus (on by default).
    void SetDrawFocusRect(bool draw, bool redraw = true);

    bool IsDragging() const { return m_dragging; }
    // The thumb centre's x coordinate for the current position.
    int GetThumbCentre() const;

    // Paints the whole slider, as it now is, onto `dc` at the client area's place.
    void DrawSlider(wxDC& dc);

protected:
    wxSize DoGetBestClientSize() const override;

private:
    // One picture of a pair and whether it came.
    bool LoadPicture(int id, bool transparent, const wxColour& colour, int sampleX, int sampleY,
                     wxBitmapBundle& picture);
    SliderMetrics Metrics() const;
    void DragTo(int x);
    void Post(wxEventType type);

    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);

    BitmapLoader m_loader;

    int m_maximum = 100;
    int m_minimum = 0;
    int m_position = 0;
    int m_pageSize = kDefaultPageSize;
    // The channel's size, or the client area's while there is no channel.
    int m_width = 0;
    int m_height = 0;
    int m_thumbWidth = 0;
    int m_thumbHeight = 0;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginTop = 0;
    int m_marginBottom = 0;
    // Distance between the point that grabbed the thumb and the thumb centre.
    int m_dragOffset = 0;

    bool m_channelTransparent = false;
    bool m_thumbTransparent = false;
    bool m_dragging = false;
    bool m_hasFocus = false;
    bool m_drawFocus = true;

    // Each carries its mask when its pair is transparent; empty when absent.
    wxBitmapBundle m_channel;
    wxBitmapBundle m_activeChannel;
    wxBitmapBundle m_thumb;
    wxBitmapBundle m_activeThumb;

    wxDECLARE_DYNAMIC_CLASS(CSkinSlider);
    wxDECLARE_EVENT_TABLE();
};

}  // namespace tarv
