// The preview pane in the form's lower left corner: the framed area that shows the logo (and
// the selected file's picture), its play, pause and stop buttons and the position slider.
#pragma once

#include <wx/window.h>

namespace tarv {

class CImageButton;
class CSkinSlider;

// The framed area itself: a black frame with the logo file drawn over it while no video
// shows. A missing or unreadable logo leaves the frame alone.
class PreviewArea : public wxWindow {
public:
    PreviewArea(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                const wxString& logoPath);

    // A few words shown in the pane instead of the logo (why a file does not play); empty
    // shows the logo again.
    void ShowMessage(const wxString& message);
    const wxString& Message() const { return m_message; }

    // Paints the pane as it now is.
    void DrawPane(wxDC& dc);

private:
    void OnPaint(wxPaintEvent& event);

    wxString m_logoPath;
    wxString m_message;
};

// Gives the buttons and the slider their pictures and ranges.
void SetUpPreviewControls(CImageButton& play, CImageButton& pause, CImageButton& stop,
                          CSkinSlider& slider);

}  // namespace tarv
