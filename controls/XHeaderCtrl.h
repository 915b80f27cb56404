// The column header of the conversion list: painted flat by our own code, with a check box in
// any column that asks for one, and no way for the user to resize a column.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

#include <vector>

class wxImageList;

namespace tarv {

// One column of the header.
struct HeaderItem {
    int m_width = 0;
    wxString m_text;
    // wxALIGN_LEFT, wxALIGN_CENTER_HORIZONTAL or wxALIGN_RIGHT.
    int m_alignment = wxALIGN_LEFT;
    // Drawn at the item's right when set.
    wxBitmap m_bitmap;
    // Without an image list: the column's check box, 0 none, 1 unchecked, 2 checked. With an
    // image list: the number of the image drawn at the item's left, 0 for none.
    int m_image = 0;
};

// Clicking a column sends wxEVT_HEADER_CLICK (a wxHeaderCtrlEvent with the column) to the
// parent. A double click counts as a second click.
class CXHeaderCtrl : public wxWindow {
public:
    // Space kept at both sides of an item's content.
    static constexpr int kTextMargin = 6;

    CXHeaderCtrl() = default;
    CXHeaderCtrl(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize);
    bool Create(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // Inserts before `index` (at the end when past it); returns the new item's index.
    int InsertItem(int index, const HeaderItem& item);
    bool DeleteItem(int index);
    // Null when out of range.
    const HeaderItem* GetItem(int index) const;
    // Changes an item and repaints the header.
    bool SetItem(int index, const HeaderItem& item);
    // The item's area in client coordinates, after scrolling; empty when out of range.
    wxRect GetItemRect(int index) const;
    // The item under a client point, -1 when none.
    int HitTest(const wxPoint& point) const;
    // Sum of all item widths.
    int GetTotalWidth() const;

    // The header draws its items' images from the list; it does not own it.
    void SetImageList(wxImageList* images);
    // wxALIGN_... for the text of every item, or -1 to let each item's alignment decide.
    void SetTextAlignment(int alignment);
    void SetDividers(bool dividers);
    // How far the columns are scrolled to the left, in pixels, so the header lines up with the
    // rows of a list scrolled sideways.
    void SetScrollOffset(int offset);
    int GetScrollOffset() const { return m_scrollOffset; }

    // The height that fits the font and a check box.
    int GetIdealHeight() const;

    // Paints the whole header onto `dc`, inside the DC's clip box. The paint handler does it
    // through a COffscreenDC.
    void DrawHeader(wxDC& dc);

protected:
    // Draws one item's content (image or check box, bitmap, text) inside `rect`, which is
    // already shrunk by the text margin. Returns the width the text took.
    virtual int DrawHeaderItem(wxDC& dc, const wxRect& rect, const HeaderItem& item);

    wxSize DoGetBestClientSize() const override;

private:
    void LoadSystemColors();
    void SendClick(int item);

    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnSysColourChanged(wxSysColourChangedEvent& event);

    std::vector<HeaderItem> m_items;
    wxImageList* m_imageList = nullptr;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int m_textAlignment = -1;
    bool m_dividers = true;
    int m_scrollOffset = 0;
    // The item a press started on; a release over the same item is a click.
    int m_pressedItem = -1;

    wxColour m_buttonHighlight;
    wxColour m_buttonShadow;
    wxColour m_buttonFace;
    wxColour m_buttonText;

    wxDECLARE_DYNAMIC_CLASS(CXHeaderCtrl);
    wxDECLARE_EVENT_TABLE();
};

}  // namespace tarv
