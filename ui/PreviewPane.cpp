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

void PreviewArea::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxRect area(GetClientSize());
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(area);
    DrawBitmapFile(dc, m_logoPath, area);
}

void SetUpPreviewControls(CImageButton& play, CImageButton& pause, CImageButton& stop,
                          CSkinSlider& slider) {
    play.SetBitmaps(LoadResourceBitmap(kBitmapPreviewPlay), ResourceKeyColour(kBitmapPreviewPlay));
    pause.SetBitmaps(LoadResourceBitmap(kBitmapPreviewPause),
                     ResourceKeyColour(kBitmapPreviewPause));
    stop.SetBitmaps(LoadResourceBitmap(kBitmapPreviewStop), ResourceKeyColour(kBitmapPreviewStop));

    slider.SetBitmapLoader([](int id) { return LoadResourceBitmap(id); });
    // The transparent colour is read from each picture's top-left pixel.
    slider.SetChannelBitmaps(kBitmapSliderChannel, kBitmapSliderChannelActive, true);
    slider.SetThumbBitmaps(kBitmapSliderThumb, kBitmapSliderThumbActive, true);
    slider.SetDrawFocusRect(false, false);
    slider.SetRange(0, 99);
    slider.SetPos(0);
    slider.SetMargins(2, 3, 2, 0);
}

}  // namespace tarv
