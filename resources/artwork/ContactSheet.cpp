// Debug aid: draws every built-in picture and logo.bmp into one PNG, at real size the way the
// window shows them (masked, on the window colour, with captions) and enlarged 4x as stored, key
// colours and all, so both the overall look and single pixels can be judged.
//
//   tarv_artwork_sheet OUTPUT.png   (needs a display; run it under xvfb-run)

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <cstdio>

#include "Resources.h"

namespace {

const wxColour kWindowColour(242, 242, 242);
const wxColour kDarkColour(48, 52, 58);

wxBitmap Masked(int id) {
    wxBitmap bitmap = LoadResourceBitmap(id);
    wxColour key = ResourceKeyColour(id);
    if (id == kBitmapSliderChannel || id == kBitmapSliderChannelActive ||
        id == kBitmapSliderThumb || id == kBitmapSliderThumbActive) {
        // The slider takes its transparent colour from the top-left pixel, so the sheet does too.
        const wxImage image = bitmap.ConvertToImage();
        key = wxColour(image.GetRed(0, 0), image.GetGreen(0, 0), image.GetBlue(0, 0));
    }
    bitmap.SetMask(new wxMask(bitmap, key));
    return bitmap;
}

wxBitmap Enlarged(const wxBitmap& bitmap, int factor) {
    wxImage image = bitmap.ConvertToImage();
    image.Rescale(image.GetWidth() * factor, image.GetHeight() * factor, wxIMAGE_QUALITY_NEAREST);
    return wxBitmap(image);
}

class Sheet {
public:
    explicit Sheet(wxDC& dc) : m_dc(dc) {}

    void Heading(const wxString& text) {
        m_y += 14;
        m_dc.SetFont(wxFontInfo(11).Bold().FaceName("Liberation Sans"));
        m_dc.SetTextForeground(wxColour(30, 36, 46));
        m_dc.DrawText(text, 16, m_y);
        m_y += 24;
        m_dc.SetFont(wxFontInfo(8).FaceName("Liberation Sans"));
    }

    void Panel(int left, int width, int height, const wxColour& colour) {
        m_dc.SetPen(wxPen(wxColour(200, 204, 210)));
        m_dc.SetBrush(wxBrush(colour));
        m_dc.DrawRectangle(left, m_y, width, height);
    }

    void Toolbar(int stripId, const wxColour& panel, const wxColour& text) {
        const wxBitmap strip = Masked(stripId);
        Panel(16, 6 * 76 + 8, 80, panel);
        static const char* const kCaptions[] = {"Add",     "Remove", "Clear",
                                                "Convert", "Stop",   "Help"};
        for (int i = 0; i < kToolbarPictureCount; ++i) {
            const int left = 24 + i * 76;
            const wxBitmap picture = strip.GetSubBitmap(
                wxRect(i * kToolbarPictureWidth, 0, kToolbarPictureWidth, kToolbarPictureHeight));
            m_dc.DrawBitmap(picture, left + 4, m_y + 6, true);
            m_dc.SetTextForeground(text);
            const wxSize extent = m_dc.GetTextExtent(kCaptions[i]);
            m_dc.DrawText(kCaptions[i], left + 36 - extent.x / 2, m_y + 56);
        }
        m_y += 88;
    }

    void Raw(int id, int factor, int left) {
        const wxBitmap big = Enlarged(LoadResourceBitmap(id), factor);
        m_dc.DrawBitmap(big, left, m_y);
        m_rowHeight = std::max(m_rowHeight, big.GetHeight());
        m_dc.SetTextForeground(wxColour(90, 98, 110));
        m_dc.DrawText(wxString::Format("%d", id), left, m_y + big.GetHeight() + 2);
    }

    void EndRow() {
        m_y += m_rowHeight + 22;
        m_rowHeight = 0;
    }

    // The preview corner of the form: logo in its frame, three buttons and the slider at
    // `position` of 0..99, drawn the way the slider paints itself.
    void Preview(int left, int position, bool dragging) {
        const int top = m_y;
        Panel(left + 16, 260, 240, kWindowColour);
        const wxImage logo(m_logoPath, wxBITMAP_TYPE_BMP);
        m_dc.SetPen(*wxBLACK_PEN);
        m_dc.SetBrush(*wxBLACK_BRUSH);
        m_dc.DrawRectangle(left + 30, top + 10, 230, 178);
        if (logo.IsOk()) {
            m_dc.DrawBitmap(wxBitmap(logo), left + 31, top + 11);
        }
        const int buttonsTop = top + 196;
        const int ids[] = {kBitmapPreviewPlay, kBitmapPreviewPause, kBitmapPreviewStop};
        for (int i = 0; i < 3; ++i) {
            const wxBitmap picture = Masked(ids[i]);
            const int x = left + 31 + i * 24;
            m_dc.SetPen(wxPen(wxColour(190, 195, 202)));
            m_dc.SetBrush(wxBrush(kWindowColour));
            m_dc.DrawRectangle(x, buttonsTop, 24, 23);
            m_dc.DrawBitmap(picture, x + (24 - picture.GetWidth()) / 2,
                            buttonsTop + (23 - picture.GetHeight()) / 2, true);
        }
        const wxBitmap channel = Masked(kBitmapSliderChannel);
        const wxBitmap played = Masked(kBitmapSliderChannelActive);
        const wxBitmap thumb = Masked(dragging ? kBitmapSliderThumbActive : kBitmapSliderThumb);
        const int sliderLeft = left + 109;
        const int sliderTop = buttonsTop + 4;
        const int centre = 2 + static_cast<int>(position / 99.0 * (151 - 2 - 21 - 2)) + 21 / 2;
        m_dc.DrawBitmap(played.GetSubBitmap(wxRect(0, 0, centre, 15)), sliderLeft, sliderTop, true);
        m_dc.DrawBitmap(channel.GetSubBitmap(wxRect(centre, 0, 151 - centre, 15)),
                        sliderLeft + centre, sliderTop, true);
        m_dc.DrawBitmap(thumb, sliderLeft + centre - 21 / 2, sliderTop + 3, true);
    }

    // Every icon size at 1x on the window colour and on a dark panel, then 16 and 32 at 4x.
    void Icons(int left) {
        const wxIconBundle icons = LoadResourceIcons(kIconMain);
        m_dc.SetPen(wxPen(wxColour(200, 204, 210)));
        m_dc.SetBrush(wxBrush(kWindowColour));
        m_dc.DrawRectangle(left, m_y, 700, 272);
        m_dc.SetBrush(wxBrush(kDarkColour));
        m_dc.DrawRectangle(left + 290, m_y + 8, 120, 64);
        int x = left + 12;
        for (int size : {16, 32, 48}) {
            const wxIcon icon = icons.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE);
            if (icon.IsOk()) {
                m_dc.DrawIcon(icon, x, m_y + 12);
                m_dc.DrawIcon(icon, x + 290, m_y + 12);
            }
            x += size + 12;
        }
        const wxIcon large = icons.GetIcon(wxSize(256, 256), wxIconBundle::FALLBACK_NONE);
        if (large.IsOk()) {
            m_dc.DrawIcon(large, left + 430, m_y + 8);
        }
        const wxIcon small = icons.GetIcon(wxSize(16, 16), wxIconBundle::FALLBACK_NONE);
        const wxIcon medium = icons.GetIcon(wxSize(32, 32), wxIconBundle::FALLBACK_NONE);
        if (small.IsOk() && medium.IsOk()) {
            m_dc.DrawBitmap(Enlarged(small, 4), left + 12, m_y + 88, true);
            m_dc.DrawBitmap(Enlarged(medium, 4), left + 100, m_y + 88, true);
        }
    }

    void SetLogoPath(const wxString& path) { m_logoPath = path; }
    int& Y() { return m_y; }

private:
    wxDC& m_dc;
    int m_y = 0;
    int m_rowHeight = 0;
    wxString m_logoPath;
};

class SheetApp : public wxApp {
public:
    bool OnInit() override {
        if (argc != 2) {
            std::fprintf(stderr, "usage: tarv_artwork_sheet OUTPUT.png\n");
            return false;
        }
        m_output = argv[1];
        return true;
    }

    int OnRun() override {
        wxImage::AddHandler(new wxPNGHandler);
        wxBitmap sheet(1600, 1720, 24);
        {
            wxMemoryDC dc(sheet);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            Sheet s(dc);
            s.SetLogoPath(wxString(TARV_PROGRAM_DIR) + kLogoFileName);

            s.Heading("Toolbar 131 and 142 at real size, as buttons with captions");
            s.Toolbar(kBitmapToolbar, kWindowColour, wxColour(30, 30, 30));
            s.Toolbar(kBitmapToolbarDisabled, kWindowColour, wxColour(150, 150, 150));

            s.Heading("Toolbar strips as stored, 4x");
            s.Raw(kBitmapToolbar, 4, 16);
            s.EndRow();
            s.Raw(kBitmapToolbarDisabled, 4, 16);
            s.EndRow();

            s.Heading("Preview corner at real size (slider at 0, 37 and 99; the last one dragged)");
            const int top = s.Y();
            s.Preview(0, 0, false);
            s.Preview(280, 37, false);
            s.Preview(560, 99, true);
            s.Icons(850);
            s.Y() = top;
            s.Y() += 280;

            s.Heading("Preview buttons and slider as stored, 4x");
            s.Raw(kBitmapPreviewPlay, 4, 16);
            s.Raw(kBitmapPreviewPause, 4, 116);
            s.Raw(kBitmapPreviewStop, 4, 216);
            s.Raw(kBitmapSliderThumb, 4, 316);
            s.Raw(kBitmapSliderThumbActive, 4, 416);
            s.EndRow();
            s.Raw(kBitmapSliderChannel, 4, 16);
            s.Raw(kBitmapSliderChannelActive, 4, 650);
            s.EndRow();

            s.Heading("logo.bmp at 2x");
            wxImage logo(wxString(TARV_PROGRAM_DIR) + kLogoFileName, wxBITMAP_TYPE_BMP);
            if (logo.IsOk()) {
                dc.DrawBitmap(Enlarged(wxBitmap(logo), 2), 16, s.Y());
            }
        }
        if (!sheet.ConvertToImage().SaveFile(m_output, wxBITMAP_TYPE_PNG)) {
            std::fprintf(stderr, "tarv_artwork_sheet: cannot write %s\n",
                         m_output.utf8_str().data());
            return 1;
        }
        return 0;
    }

private:
    wxString m_output;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(SheetApp);

int main(int argc, char** argv) {
    return wxEntry(argc, argv);
}
