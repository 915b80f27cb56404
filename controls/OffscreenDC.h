// Flicker-free painting: everything drawn through a COffscreenDC lands in a bitmap the size of
// the area being painted, and the finished picture reaches the target in one copy when the
// COffscreenDC goes away. A printer target is drawn on directly.
#pragma once

#include <wx/bitmap.h>
#include <wx/dcmemory.h>

namespace tarv {

class COffscreenDC {
public:
    // Paints the target's clip box.
    explicit COffscreenDC(wxDC& target);
    // Paints `rect`, given in the target's logical coordinates.
    COffscreenDC(wxDC& target, const wxRect& rect);
    ~COffscreenDC();

    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    // The context to draw on. It takes the target's own logical coordinates, so painting code
    // does not know whether it is buffered.
    wxDC& GetDC() { return m_offscreen ? static_cast<wxDC&>(m_memoryDC) : m_target; }
    operator wxDC&() { return GetDC(); }
    wxDC* operator->() { return &GetDC(); }

    bool IsOffscreen() const { return m_offscreen; }
    // The area being painted, in the target's logical coordinates.
    const wxRect& GetRect() const { return m_rect; }

private:
    void Init();

    wxBitmap m_offscreenBitmap;
    wxMemoryDC m_memoryDC;
    wxDC& m_target;
    wxRect m_rect;
    // Where the bitmap goes on the target, in device pixels.
    wxRect m_deviceRect;
    bool m_offscreen = false;
};

}  // namespace tarv
