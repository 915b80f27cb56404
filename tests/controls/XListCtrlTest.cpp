#include "XListCtrl.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/headerctrl.h>
#include <wx/listbase.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>

#include <utility>
#include <vector>

#include "DrawingPrimitives.h"
#include "WxTestEnvironment.h"
#include "XHeaderCtrl.h"

using namespace tarv;
using tarv::testing::PixelAt;
using tarv::testing::PumpEvents;

namespace {

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "list", wxPoint(0, 0), wxSize(560, 320));
        auto* panel = new wxPanel(m_frame);
        m_list = new CXListCtrl(panel, 1001, wxPoint(0, 0), wxSize(500, 200));
        m_other = new wxTextCtrl(panel, wxID_ANY, "", wxPoint(0, 250));
        m_list->SetExtendedStyle(kListExFullRowSelect | kListExGridLines);
        m_list->InsertColumn(0, "Original file", wxALIGN_LEFT, 250);
        m_list->InsertColumn(1, "File size(MB)", wxALIGN_CENTER_HORIZONTAL, 75);
        m_list->InsertColumn(2, "Duration", wxALIGN_CENTER_HORIZONTAL, 75);
        m_list->InsertColumn(3, "Status", wxALIGN_CENTER_HORIZONTAL, 90);
        m_list->SetHeaderCheckedState(0, 1);
        m_frame->Bind(WM_XLISTCTRL_CHECKBOX_CLICKED, [this](CXListCheckboxEvent& event) {
            // What the parent sees while the list waits for it.
            m_checkClicks.push_back({event.GetRow(), event.GetColumn()});
            m_stateSeenByParent = m_list->GetCheckbox(event.GetRow(), event.GetColumn());
        });
        m_frame->Bind(wxEVT_LIST_COL_CLICK,
                      [this](wxListEvent& event) { m_columnClicks.push_back(event.GetColumn()); });
        m_frame->Show();
        PumpEvents();
    }
    void TearDown() override { m_frame->Destroy(); }

    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = m_list->InsertItem(m_list->GetItemCount(),
                                               wxString::Format("/videos/clip%d.avi", i));
            m_list->SetCheckbox(row, 0, 1);
            m_list->SetItemToolTipText(row, 0, wxString::Format("/videos/clip%d.avi", i));
            m_list->SetItemText(row, 1, "1.50");
        }
    }

    wxRect Cell(int row, int column) {
        wxRect rect;
        EXPECT_TRUE(m_list->GetCellRect(row, column, rect));
        return rect;
    }

    void Mouse(wxWindow* window, wxEventType type, const wxPoint& point) {
        wxMouseEvent event(type);
        event.SetPosition(point);
        event.SetLeftDown(type == wxEVT_LEFT_DOWN);
        event.SetEventObject(window);
        window->ProcessWindowEvent(event);
    }

    void ClickHeader(int column) {
        const wxRect rect = m_list->GetHeaderCtrl()->GetItemRect(column);
        const wxPoint point(rect.x + rect.width / 2, rect.height / 2);
        Mouse(m_list->GetHeaderCtrl(), wxEVT_LEFT_DOWN, point);
        Mouse(m_list->GetHeaderCtrl(), wxEVT_LEFT_UP, point);
    }

    void Key(int keyCode) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = keyCode;
        event.SetEventObject(m_list);
        m_list->ProcessWindowEvent(event);
    }

    wxImage RenderRows() {
        const wxSize size = m_list->GetClientSize();
        wxBitmap bitmap(size.x, size.y, 24);
        {
            wxMemoryDC dc(bitmap);
            m_list->DrawRows(dc, wxRect(size));
        }
        return bitmap.ConvertToImage();
    }

    wxFrame* m_frame = nullptr;
    CXListCtrl* m_list = nullptr;
    wxTextCtrl* m_other = nullptr;
    std::vector<std::pair<int, int>> m_checkClicks;
    std::vector<int> m_columnClicks;
    int m_stateSeenByParent = -2;
};

}  // namespace

TEST_F(ListTest, HeaderBoxFollowsTheRowsCheckBoxes) {
    AddRows(3);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 2);
    m_list->SetCheckbox(1, 0, 0);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 1);
    EXPECT_EQ(m_list->CountCheckedItems(0), 2);
    m_list->SetCheckbox(1, 0, 1);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 2);

    // A column whose header has no box keeps none.
    m_list->SetCheckbox(0, 2, 1);
    EXPECT_EQ(m_list->GetHeaderCheckedState(2), 0);
}

TEST_F(ListTest, ClickOnTheBoxTogglesItTellsTheParentAtOnceAndSelectsTheRow) {
    AddRows(3);
    const wxRect cell = Cell(1, 0);
    Mouse(m_list, wxEVT_LEFT_DOWN, wxPoint(cell.x + 12, cell.y + 5));
    EXPECT_EQ(m_checkClicks, (std::vector<std::pair<int, int>>{{1, 0}}));
    EXPECT_EQ(m_stateSeenByParent, 0);
    EXPECT_EQ(m_list->GetCheckbox(1, 0), 0);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 1);
    EXPECT_EQ(m_list->GetCurSel(), 1);

    Mouse(m_list, wxEVT_LEFT_DOWN, wxPoint(cell.x + 12, cell.y + 5));
    EXPECT_EQ(m_list->GetCheckbox(1, 0), 1);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 2);

    // Clicking the text selects without toggling.
    Mouse(m_list, wxEVT_LEFT_DOWN, wxPoint(cell.x + 100, Cell(2, 0).y + 5));
    EXPECT_EQ(m_list->GetCheckbox(2, 0), 1);
    EXPECT_EQ(m_list->GetCurSel(), 2);
    EXPECT_EQ(m_checkClicks.size(), 2u);
}

TEST_F(ListTest, ACentredBoxTogglesOnlyFromTheSquareAtTheCellsLeft) {
    AddRows(2);
    m_list->SetCheckbox(0, 3, 0);
    const wxRect cell = Cell(0, 3);
    const wxRect box = CheckBoxRect(cell, true, kCheckBoxSize);
    Mouse(m_list, wxEVT_LEFT_DOWN, wxPoint(box.x + box.width / 2, box.y + box.height / 2));
    EXPECT_EQ(m_list->GetCheckbox(0, 3), 0);
    EXPECT_EQ(m_list->GetCurSel(), 0);
    Mouse(m_list, wxEVT_LEFT_DOWN, wxPoint(cell.x + kCheckBoxIndent + 2, cell.y + 5));
    EXPECT_EQ(m_list->GetCheckbox(0, 3), 1);
    EXPECT_EQ(m_checkClicks, (std::vector<std::pair<int, int>>{{0, 3}}));
}

TEST_F(ListTest, HeaderClickTicksOrClearsTheColumnAndReachesTheParent) {
    AddRows(3);
    m_list->SetCheckbox(1, 0, 0);
    m_list->SetCheckbox(2, 1, 0);
    m_list->SetProgress(0, 3);

    ClickHeader(0);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 2);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(m_list->GetCheckbox(row, 0), 1) << row;
    }
    ClickHeader(0);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 1);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(m_list->GetCheckbox(row, 0), 0) << row;
    }

    // A column without a header box changes nothing, not even its cell boxes.
    ClickHeader(1);
    EXPECT_EQ(m_list->GetHeaderCheckedState(1), 0);
    EXPECT_EQ(m_list->GetCheckbox(2, 1), 0);
    EXPECT_EQ(m_list->GetCheckbox(0, 1), -1);

    EXPECT_EQ(m_columnClicks, (std::vector<int>{0, 0, 1}));
    // Ticking through the header is not a click on a box.
    EXPECT_TRUE(m_checkClicks.empty());
}

TEST_F(ListTest, OutOfRangeCallsChangeNothingAndSaySo) {
    AddRows(2);
    for (const auto& [row, column] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 4}}) {
        EXPECT_FALSE(m_list->SetItemText(row, column, "x"));
        EXPECT_FALSE(m_list->SetProgress(row, column));
        EXPECT_FALSE(m_list->SetCheckbox(row, column, 1));
        EXPECT_EQ(m_list->GetCheckbox(row, column), -1);
        EXPECT_FALSE(m_list->SetItemToolTipText(row, column, "x"));
        wxRect rect;
        EXPECT_FALSE(m_list->GetCellRect(row, column, rect));
        m_list->UpdateProgress(row, column, 50);
        m_list->DeleteProgress(row, column);
        m_list->UpdateSubItem(row, column);
    }
    EXPECT_FALSE(m_list->DeleteItem(2));
    EXPECT_FALSE(m_list->DeleteItem(-1));
    EXPECT_FALSE(m_list->SelectItem(2, true));
    EXPECT_EQ(m_list->GetHeaderCheckedState(4), -1);
    EXPECT_EQ(m_list->GetHeaderCheckedState(-1), -1);
    EXPECT_FALSE(m_list->SetHeaderCheckedState(4, 1));
    EXPECT_EQ(m_list->CountCheckedItems(4), 0);
    EXPECT_EQ(m_list->GetCurSel(), -1);
    EXPECT_EQ(m_list->InsertItem(-1, "x"), -1);
    // A position past the end appends.
    EXPECT_EQ(m_list->InsertItem(7, "x"), 2);

    EXPECT_EQ(m_list->GetItemCount(), 3);
    EXPECT_EQ(m_list->CountCheckedItems(0), 2);
    EXPECT_EQ(m_list->GetItemText(0, 1), "1.50");
}

TEST_F(ListTest, KeysMoveTheSelectionAndScrollItIntoView) {
    AddRows(30);
    const int perPage = m_list->GetCountPerPage();
    ASSERT_LT(perPage, 30);
    Key(WXK_DOWN);
    EXPECT_EQ(m_list->GetCurSel(), 0);
    for (int i = 0; i < perPage + 2; ++i) {
        Key(WXK_DOWN);
    }
    EXPECT_EQ(m_list->GetCurSel(), perPage + 2);
    EXPECT_EQ(m_list->GetTopIndex(), 3);
    Key(WXK_END);
    EXPECT_EQ(m_list->GetCurSel(), 29);
    EXPECT_EQ(m_list->GetTopIndex(), 30 - perPage);
    Key(WXK_UP);
    EXPECT_EQ(m_list->GetCurSel(), 28);
    Key(WXK_HOME);
    EXPECT_EQ(m_list->GetCurSel(), 0);
    EXPECT_EQ(m_list->GetTopIndex(), 0);
}

TEST_F(ListTest, ColumnsWiderThanTheListScrollSidewaysWithTheirHeader) {
    AddRows(2);
    wxScrollBar* sideways = nullptr;
    for (wxWindow* child : m_list->GetChildren()) {
        auto* bar = dynamic_cast<wxScrollBar*>(child);
        if (bar && !bar->IsVertical()) {
            sideways = bar;
        }
    }
    ASSERT_NE(sideways, nullptr);
    EXPECT_FALSE(sideways->IsShown());
    m_list->SetColumnWidth(0, 600);
    ASSERT_TRUE(sideways->IsShown());

    wxScrollEvent scroll(wxEVT_SCROLL_THUMBTRACK, sideways->GetId(), 300, wxHORIZONTAL);
    scroll.SetEventObject(sideways);
    sideways->ProcessWindowEvent(scroll);
    EXPECT_EQ(m_list->GetScrollX(), 300);
    EXPECT_EQ(m_list->GetHeaderCtrl()->GetScrollOffset(), 300);
    EXPECT_EQ(Cell(0, 1).x, 300);
    EXPECT_EQ(m_list->GetHeaderCtrl()->GetItemRect(1).x, 300);

    // Narrow again: the bar goes and the columns come back to the left edge.
    m_list->SetColumnWidth(0, 250);
    EXPECT_FALSE(sideways->IsShown());
    EXPECT_EQ(m_list->GetScrollX(), 0);
    EXPECT_EQ(Cell(0, 1).x, 250);
}

TEST_F(ListTest, ToolTipFollowsTheCellUnderThePointer) {
    AddRows(2);
    auto tipAt = [this](int row, int column) {
        const wxRect cell = Cell(row, column);
        Mouse(m_list, wxEVT_MOTION, wxPoint(cell.x + cell.width / 2, cell.y + cell.height / 2));
        return m_list->GetToolTipText();
    };
    EXPECT_EQ(tipAt(0, 0), "/videos/clip0.avi");
    EXPECT_EQ(tipAt(1, 0), "/videos/clip1.avi");
    EXPECT_EQ(tipAt(1, 2), "");
    EXPECT_EQ(tipAt(0, 0), "/videos/clip0.avi");
    Mouse(m_list, wxEVT_MOTION, wxPoint(10, Cell(1, 0).y + 40));
    EXPECT_EQ(m_list->GetToolTipText(), "");
}

TEST_F(ListTest, AProgressUpdateRepaintsOnlyItsCellBeforeItReturns) {
    AddRows(3);
    m_list->SetProgress(1, 3);
    PumpEvents(200);
    std::vector<wxRect> painted;
    m_list->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) {
        painted.push_back(m_list->GetUpdateRegion().GetBox());
        event.Skip();
    });
    m_list->UpdateProgress(1, 3, 60);
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted[0], wxRect(Cell(1, 3)).Inflate(2).Intersect(wxRect(m_list->GetClientSize())));
}

TEST_F(ListTest, TheSelectedRowShowsOnlyWhileTheListHasTheFocus) {
    AddRows(3);
    m_list->SetProgress(1, 3);
    m_list->SelectItem(1, false);
    m_list->SetFocus();
    PumpEvents(100);
    ASSERT_TRUE(m_list->HasFocus());
    const wxRect size = Cell(1, 1);
    const wxPoint inSizeCell(size.x + 3, size.y + 3);
    const wxRect status = Cell(1, 3);
    const wxPoint inTrough(status.x + status.width - 5, status.y + 5);
    const ListColours system = ListColours::FromSystem();

    wxImage image = RenderRows();
    EXPECT_EQ(PixelAt(image, inSizeCell.x, inSizeCell.y), system.m_highlight);
    EXPECT_EQ(PixelAt(image, inTrough.x, inTrough.y), kProgressTroughColour);

    m_other->SetFocus();
    PumpEvents(100);
    ASSERT_FALSE(m_list->HasFocus());
    image = RenderRows();
    EXPECT_EQ(PixelAt(image, inSizeCell.x, inSizeCell.y), system.m_window);
    EXPECT_EQ(m_list->GetCurSel(), 1);
}

TEST_F(ListTest, SpaceTogglesTheSelectedRowsTickAndTellsTheParentAsAClickWould) {
    AddRows(3);
    // Nothing selected: nothing to toggle.
    Key(WXK_SPACE);
    EXPECT_TRUE(m_checkClicks.empty());

    m_list->SelectItem(1, false);
    Key(WXK_SPACE);
    EXPECT_EQ(m_list->GetCheckbox(1, 0), 0);
    EXPECT_EQ(m_checkClicks, (std::vector<std::pair<int, int>>{{1, 0}}));
    EXPECT_EQ(m_stateSeenByParent, 0);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 1);
    EXPECT_EQ(m_list->GetCheckbox(0, 0), 1);
    EXPECT_EQ(m_list->GetCheckbox(2, 0), 1);

    Key(WXK_SPACE);
    EXPECT_EQ(m_list->GetCheckbox(1, 0), 1);
    EXPECT_EQ(m_list->GetHeaderCheckedState(0), 2);
    EXPECT_EQ(m_checkClicks.size(), 2u);

    // A row without a box in its first column has nothing to toggle.
    m_list->SetCheckbox(2, 0, -1);
    m_list->SelectItem(2, false);
    Key(WXK_SPACE);
    EXPECT_EQ(m_list->GetCheckbox(2, 0), -1);
    EXPECT_EQ(m_checkClicks.size(), 2u);
}

TEST_F(ListTest, TheFocusedRowShowsAFocusMarkWhileTheListHasTheFocus) {
    // Pixels of `area` that differ between two pictures of the list.
    auto differing = [](const wxImage& a, const wxImage& b, const wxRect& area) {
        int count = 0;
        for (int y = area.y; y < area.y + area.height; ++y) {
            for (int x = area.x; x < area.x + area.width; ++x) {
                count += PixelAt(a, x, y) != PixelAt(b, x, y);
            }
        }
        return count;
    };
    auto focusedAndNot = [this] {
        m_list->SetFocus();
        PumpEvents(100);
        EXPECT_TRUE(m_list->HasFocus());
        wxImage focused = RenderRows();
        m_other->SetFocus();
        PumpEvents(100);
        EXPECT_FALSE(m_list->HasFocus());
        return std::pair{focused, RenderRows()};
    };
    const wxSize client = m_list->GetClientSize();

    // An empty list marks its whole area.
    auto [emptyFocused, emptyUnfocused] = focusedAndNot();
    EXPECT_GT(differing(emptyFocused, emptyUnfocused, wxRect(client)), 100);

    // A row that has the focus without being selected: only the mark tells it apart.
    AddRows(3);
    m_list->SelectItem(1, false);
    Mouse(m_list, wxEVT_LEFT_DOWN, wxPoint(10, Cell(2, 0).GetBottom() + 20));
    ASSERT_EQ(m_list->GetCurSel(), -1);
    auto [focused, unfocused] = focusedAndNot();
    const wxRect row(0, Cell(1, 0).y, client.x, Cell(1, 0).height);
    EXPECT_GT(differing(focused, unfocused, row), 100);
    EXPECT_EQ(differing(focused, unfocused, wxRect(0, 0, client.x, row.y)), 0);
    EXPECT_EQ(differing(focused, unfocused,
                        wxRect(0, row.GetBottom() + 1, client.x, client.y - row.GetBottom() - 1)),
              0);
}

TEST_F(ListTest, ColumnsSizedToTheListNeedNoSidewaysBarWhenTheVerticalOneComes) {
    // The form's sizing from the list's outer width W: W*10/20, W*3/20, W*3/20, W*4/20-3.
    const int w = m_list->GetSize().x;
    const int widths[] = {w * 10 / 20, w * 3 / 20, w * 3 / 20, w * 4 / 20 - 3};
    for (int column = 0; column < 4; ++column) {
        m_list->SetColumnWidth(column, widths[column]);
    }
    wxScrollBar* vertical = nullptr;
    wxScrollBar* sideways = nullptr;
    for (wxWindow* child : m_list->GetChildren()) {
        if (auto* bar = dynamic_cast<wxScrollBar*>(child)) {
            (bar->IsVertical() ? vertical : sideways) = bar;
        }
    }
    ASSERT_TRUE(vertical && sideways);
    AddRows(40);
    ASSERT_TRUE(vertical->IsShown());
    EXPECT_FALSE(sideways->IsShown());
    // Every cell lies left of the vertical bar, the header's last item with them, and the last
    // row reaches the list's bottom edge.
    const int barLeft = vertical->GetPosition().x;
    EXPECT_LE(Cell(0, 3).GetRight(), barLeft - 1);
    EXPECT_EQ(m_list->GetHeaderCtrl()->GetItemRect(3).GetRight(), Cell(0, 3).GetRight());
    EXPECT_EQ(m_list->GetColumnWidth(3), widths[3]);
    m_list->EnsureVisible(39);
    EXPECT_LE(Cell(39, 0).GetBottom(), m_list->GetClientSize().y - 1);
    EXPECT_GT(Cell(39, 0).GetBottom(), m_list->GetClientSize().y - 1 - Cell(39, 0).height);

    // The bar goes with the rows, and the last column gets its own width back.
    m_list->DeleteAllItems();
    AddRows(2);
    EXPECT_FALSE(vertical->IsShown());
    EXPECT_EQ(Cell(0, 3).width, widths[3]);
    EXPECT_EQ(m_list->GetHeaderCtrl()->GetItemRect(3).width, widths[3]);
}
