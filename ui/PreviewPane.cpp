#include "PreviewPane.h"

#include <wx/dcbuffer.h>

#include "DrawBitmapFile.h"
#include "ImageButton.h"
#include "Resources.h"
#include "SkinSlider.h"

namespace tarv {

PreviewArea::PreviewArea(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                         const wxString& logoPath)
    : wxWindow(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE),
      m_logoPath(logoPath) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &PreviewArea::OnPaint, this);
}

void PreviewArea::ShowMessage(const wxString& message) {
    m_message = message;
    Refresh();
}

void PreviewArea::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DrawPane(dc);
}

void PreviewArea::DrawPane(wxDC& dc) {
    const wxRect area(GetClientSize());
    if (!m_message.empty()) {
        // Dark like a video, so the pane does not jump between black and the form's colour.
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        dc.SetFont(GetParent()->GetFont());
        dc.SetTextForeground(wxColour(230, 230, 230));
        const wxRect inner = wxRect(area).Deflate(8);
        // A message longer than the pane is wide, as translations may be, wraps at its words.
        wxString lines;
        for (const wxString& line :
             WrapCaption(m_message, inner.width,
                         [&dc](const wxString& text) { return dc.GetTextExtent(text).x; })) {
            lines += (lines.empty() ? "" : "\n") + line;
        }
        dc.DrawLabel(lines, inner, wxALIGN_CENTER);
        return;
    }
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(area);
    DrawBitmapFile(dc, m_logoPath, area);
}

void SetUpPreviewControls(CImageButton& play, CImageButton& pause, CImageButton& stop,
                          CSkinSlider& slider) {
    // Each picture at 100 % and at 200 %, so screens at either scale show it sharp.
    play.SetBitmaps(LoadResourceBitmapBundle(kBitmapPreviewPlay),
                    ResourceKeyColour(kBitmapPreviewPlay));
    pause.SetBitmaps(LoadResourceBitmapBundle(kBitmapPreviewPause),
                     ResourceKeyColour(kBitmapPreviewPause));
    stop.SetBitmaps(LoadResourceBitmapBundle(kBitmapPreviewStop),
                    ResourceKeyColour(kBitmapPreviewStop));

    slider.SetBitmapLoader(LoadResourceBitmapBundle);
    // The transparent colour is read from each picture's top-left pixel.
    slider.SetChannelBitmaps(kBitmapSliderChannel, kBitmapSliderChannelActive, true);
    slider.SetThumbBitmaps(kBitmapSliderThumb, kBitmapSliderThumbActive, true);
    slider.SetDrawFocusRect(false, false);
    slider.SetRange(0, 99);
    slider.SetPos(0);
    slider.SetMargins(2, 3, 2, 0);
}

}  // namespace tarv
