#include "OffscreenDC.h"

#include <wx/dcprint.h>

#include <algorithm>

namespace tarv {
namespace {

// A DC's mapping from logical to device coordinates, kept while the copy works in pixels.
struct Mapping {
    explicit Mapping(const wxDC& dc)
        : m_mode(dc.GetMapMode()),
          m_logicalOrigin(dc.GetLogicalOrigin()),
          m_deviceOrigin(dc.GetDeviceOrigin()) {
        dc.GetLogicalScale(&m_logicalScaleX, &m_logicalScaleY);
        dc.GetUserScale(&m_userScaleX, &m_userScaleY);
        // wxDC reports no axis orientation; a flipped axis shows in the direction it maps to.
        constexpr int kProbe = 1000;
        m_xLeftRight = dc.LogicalToDeviceX(kProbe) >= dc.LogicalToDeviceX(0);
        m_yBottomUp = dc.LogicalToDeviceY(kProbe) < dc.LogicalToDeviceY(0);
    }

    // Everything but the device origin, which depends on where the DC's pixels lie.
    void ApplyScaling(wxDC& dc) const {
        dc.SetMapMode(m_mode);  // resets the logical scale, so it goes first
        dc.SetLogicalScale(m_logicalScaleX, m_logicalScaleY);
        dc.SetUserScale(m_userScaleX, m_userScaleY);
        dc.SetAxisOrientation(m_xLeftRight, m_yBottomUp);
        dc.SetLogicalOrigin(m_logicalOrigin.x, m_logicalOrigin.y);
    }

    void Apply(wxDC& dc) const {
        ApplyScaling(dc);
        dc.SetDeviceOrigin(m_deviceOrigin.x, m_deviceOrigin.y);
    }

    static void ApplyIdentity(wxDC& dc) {
        dc.SetMapMode(wxMM_TEXT);
        dc.SetUserScale(1.0, 1.0);
        dc.SetAxisOrientation(true, false);
        dc.SetLogicalOrigin(0, 0);
        dc.SetDeviceOrigin(0, 0);
    }

    wxMappingMode m_mode;
    wxPoint m_logicalOrigin;
    wxPoint m_deviceOrigin;
    double m_logicalScaleX = 1.0;
    double m_logicalScaleY = 1.0;
    double m_userScaleX = 1.0;
    double m_userScaleY = 1.0;
    bool m_xLeftRight = true;
    bool m_yBottomUp = false;
};

bool IsPrinter(const wxDC& dc) {
#if wxUSE_PRINTING_ARCHITECTURE
    return dc.IsKindOf(wxCLASSINFO(wxPrinterDC));
#else
    return false;
#endif
}

}  // namespace

COffscreenDC::COffscreenDC(wxDC& target) : m_target(target) {
    target.GetClippingBox(m_rect);
    Init();
}

COffscreenDC::COffscreenDC(wxDC& target, const wxRect& rect) : m_target(target), m_rect(rect) {
    Init();
}

void COffscreenDC::Init() {
    // A printer has resolution to spare and nothing to flicker; a bitmap of a page would only
    // cost memory.
    if (IsPrinter(m_target)) {
        m_offscreen = false;
        return;
    }
    m_offscreen = true;

    const int x0 = m_target.LogicalToDeviceX(m_rect.x);
    const int x1 = m_target.LogicalToDeviceX(m_rect.x + m_rect.width);
    const int y0 = m_target.LogicalToDeviceY(m_rect.y);
    const int y1 = m_target.LogicalToDeviceY(m_rect.y + m_rect.height);
    m_deviceRect = wxRect(std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0));

    // An empty area still gets a bitmap to draw into, so drawing never reaches the target.
    m_offscreenBitmap.Create(std::max(1, m_deviceRect.width), std::max(1, m_deviceRect.height),
                             m_target);
    m_memoryDC.SelectObject(m_offscreenBitmap);
    m_memoryDC.CopyAttributes(m_target);

    const Mapping mapping(m_target);
    mapping.ApplyScaling(m_memoryDC);
    // Shift the device origin so that the area's corner lands on the bitmap's first pixel.
    m_memoryDC.SetDeviceOrigin(0, 0);
    const int originX = m_target.LogicalToDeviceX(m_rect.x) -
                        m_memoryDC.LogicalToDeviceX(m_rect.x) - m_deviceRect.x;
    const int originY = m_target.LogicalToDeviceY(m_rect.y) -
                        m_memoryDC.LogicalToDeviceY(m_rect.y) - m_deviceRect.y;
    m_memoryDC.SetDeviceOrigin(originX, originY);
}

COffscreenDC::~COffscreenDC() {
    if (!m_offscreen) {
        return;
    }
    if (!m_deviceRect.IsEmpty()) {
        // Copy pixel for pixel: with the target's scaling in force a copy would be stretched.
        const Mapping saved(m_target);
        Mapping::ApplyIdentity(m_target);
        Mapping::ApplyIdentity(m_memoryDC);
        m_target.Blit(m_deviceRect.x, m_deviceRect.y, m_deviceRect.width, m_deviceRect.height,
                      &m_memoryDC, 0, 0, wxCOPY);
        saved.Apply(m_target);
    }
    m_memoryDC.SelectObject(wxNullBitmap);
}

}  // namespace tarv
