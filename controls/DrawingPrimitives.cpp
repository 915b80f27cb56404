#include "DrawingPrimitives.h"

#include <wx/control.h>

#include <algorithm>

namespace tarv {

PixelExactDrawing::PixelExactDrawing(wxDC& dc) : m_context(dc.GetGraphicsContext()) {
    if (m_context) {
        m_previousMode = m_context->GetAntialiasMode();
        m_context->SetAntialiasMode(wxANTIALIAS_NONE);
    }
}

PixelExactDrawing::~PixelExactDrawing() {
    if (m_context) {
        m_context->SetAntialiasMode(m_previousMode);
    }
}

void FillSolidRect(wxDC& dc, const wxRect& rect, const wxColour& colour) {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    wxDCPenChanger noPen(dc, *wxTRANSPARENT_PEN);
    wxDCBrushChanger brush(dc, wxBrush(colour));
    dc.DrawRectangle(rect);
}

void FrameRect(wxDC& dc, const wxRect& rect, const wxColour& colour) {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    FillSolidRect(dc, wxRect(rect.x, rect.y, rect.width, 1), colour);
    FillSolidRect(dc, wxRect(rect.x, rect.y + rect.height - 1, rect.width, 1), colour);
    FillSolidRect(dc, wxRect(rect.x, rect.y, 1, rect.height), colour);
    FillSolidRect(dc, wxRect(rect.x + rect.width - 1, rect.y, 1, rect.height), colour);
}

void Draw3dFrame(wxDC& dc, const wxRect& rect, const wxColour& topLeft,
                 const wxColour& bottomRight) {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    FillSolidRect(dc, wxRect(rect.x, rect.y, rect.width - 1, 1), topLeft);
    FillSolidRect(dc, wxRect(rect.x, rect.y, 1, rect.height - 1), topLeft);
    FillSolidRect(dc, wxRect(rect.x + rect.width - 1, rect.y, 1, rect.height), bottomRight);
    FillSolidRect(dc, wxRect(rect.x, rect.y + rect.height - 1, rect.width, 1), bottomRight);
}

void DrawCheckMark(wxDC& dc, const wxRect& box) {
    struct Stroke {
        int x, y;
    };
    // The tick's own 7 x 7 square: each stroke's column and first row in it.
    static constexpr int kTickSize = 7;
    static constexpr Stroke kStrokes[] = {{6, 0}, {5, 1}, {4, 2}, {3, 3}, {2, 4}, {1, 3}, {0, 2}};
    const int scale = std::max(1, std::min(box.width, box.height) / kCheckBoxSize);
    const int side = kTickSize * scale;
    const wxPoint origin(box.x + (box.width - side) / 2, box.y + (box.height - side) / 2);
    for (const Stroke& stroke : kStrokes) {
        FillSolidRect(
            dc, wxRect(origin.x + stroke.x * scale, origin.y + stroke.y * scale, scale, 3 * scale),
            kCheckMarkColour);
    }
}

void DrawCheckBox(wxDC& dc, const wxRect& box, const wxColour& fill, bool checked) {
    FillSolidRect(dc, box, fill);
    FrameRect(dc, box, kCheckBoxFrameColour);
    if (checked) {
        DrawCheckMark(dc, box);
    }
}

int DrawSingleLineText(wxDC& dc, const wxString& text, const wxRect& rect, int alignment,
                       bool endEllipsis) {
    // A file name may hold line breaks; on one line they read as spaces.
    wxString line(text);
    line.Replace("\r", " ");
    line.Replace("\n", " ");
    wxCoord width = 0;
    wxCoord height = 0;
    dc.GetTextExtent(line, &width, &height);
    if (rect.width <= 0 || rect.height <= 0 || line.empty()) {
        return width;
    }

    wxString shown(line);
    wxCoord shownWidth = width;
    if (endEllipsis && width > rect.width) {
        shown = wxControl::Ellipsize(line, dc, wxELLIPSIZE_END, rect.width, wxELLIPSIZE_FLAGS_NONE);
        dc.GetTextExtent(shown, &shownWidth, nullptr);
    }

    int x = rect.x;
    if (alignment & wxALIGN_CENTER_HORIZONTAL) {
        x += (rect.width - shownWidth) / 2;
    } else if (alignment & wxALIGN_RIGHT) {
        x += rect.width - shownWidth;
    }
    const int y = rect.y + (rect.height - height) / 2;

    wxDCClipper clip(dc, rect);
    wxDCTextBgModeChanger transparent(dc, wxBRUSHSTYLE_TRANSPARENT);
    // Shapes may be drawn without antialiasing, but the graphics context applies that to
    // glyphs too, and unsmoothed glyphs look broken.
    wxGraphicsContext* context = dc.GetGraphicsContext();
    const wxAntialiasMode previousMode =
        context ? context->GetAntialiasMode() : wxANTIALIAS_DEFAULT;
    if (context) {
        context->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    }
    dc.DrawText(shown, x, y);
    if (context) {
        context->SetAntialiasMode(previousMode);
    }
    return width;
}

}  // namespace tarv
