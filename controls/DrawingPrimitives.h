// Pixel-grid drawing shared by the self-drawn controls: exact fills and frames, the check mark of
// a check box, and one line of text placed in a rectangle.
#pragma once

#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/defs.h>
#include <wx/graphics.h>
#include <wx/string.h>

namespace tarv {

// Colours of the check boxes in the list and its header.
inline const wxColour kCheckBoxFrameColour(51, 102, 153);
inline const wxColour kCheckMarkColour(51, 153, 51);
// Side of a check box at 100 %, the same in the header and in the rows.
inline constexpr int kCheckBoxSize = 13;

// Turns shape antialiasing off for a scope. The controls are laid out on whole pixels, and a
// smoothed one-pixel frame would smear over two. DrawSingleLineText smooths its text anyway.
class PixelExactDrawing {
public:
    explicit PixelExactDrawing(wxDC& dc);
    ~PixelExactDrawing();
    PixelExactDrawing(const PixelExactDrawing&) = delete;
    PixelExactDrawing& operator=(const PixelExactDrawing&) = delete;

private:
    wxGraphicsContext* m_context;
    wxAntialiasMode m_previousMode = wxANTIALIAS_DEFAULT;
};

// Fills the rectangle with a colour and nothing else: no outline, no change to the DC's pen or
// brush.
void FillSolidRect(wxDC& dc, const wxRect& rect, const wxColour& colour);

// A one-pixel frame just inside the rectangle.
void FrameRect(wxDC& dc, const wxRect& rect, const wxColour& colour);

// A one-pixel raised or sunken frame just inside the rectangle: the top and left edges in one
// colour, the bottom and right edges (with the top-right and bottom-left corners) in the other.
void Draw3dFrame(wxDC& dc, const wxRect& rect, const wxColour& topLeft,
                 const wxColour& bottomRight);

// The tick of a checked box, centred in `box`: seven strokes three pixels tall, falling to the
// right, each pixel grown to a square of box side / 13 (at least one) on a larger box.
void DrawCheckMark(wxDC& dc, const wxRect& box);

// A check box as the list's rows and header show it: filled, framed, and ticked when checked.
void DrawCheckBox(wxDC& dc, const wxRect& box, const wxColour& fill, bool checked);

// Draws `text` on one line, vertically centred in `rect` and aligned horizontally as asked
// (wxALIGN_LEFT, wxALIGN_CENTER_HORIZONTAL or wxALIGN_RIGHT), in the DC's text colour with no
// background. Nothing is drawn outside the rectangle; with `endEllipsis` a text too wide ends
// in "...". Returns the width of the whole text.
int DrawSingleLineText(wxDC& dc, const wxString& text, const wxRect& rect, int alignment,
                       bool endEllipsis);

}  // namespace tarv
