// A window with the conversion list as the form shows it: four columns, checked rows, a bar
// that runs, a selected row and a tool tip. Run it to look at the controls; "--seconds N"
// closes it after N seconds.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "XListCtrl.h"

using namespace tarv;

namespace {

class DemoFrame : public wxFrame {
public:
    explicit DemoFrame(int seconds) : wxFrame(nullptr, wxID_ANY, "Conversion list", wxPoint(0, 0)) {
        SetFont(wxFont(8, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                       "Liberation Sans"));
        auto* panel = new wxPanel(this);
        const wxSize listSize = panel->ConvertDialogToPixels(wxSize(473, 103));
        m_list =
            new CXListCtrl(panel, 1001, panel->ConvertDialogToPixels(wxPoint(10, 7)), listSize);
        m_list->SetExtendedStyle(kListExFullRowSelect | kListExGridLines);
        const int width = m_list->GetSize().x;
        m_list->InsertColumn(0, "Original file", wxALIGN_LEFT, width * 10 / 20);
        m_list->InsertColumn(1, "File size(MB)", wxALIGN_CENTER_HORIZONTAL, width * 3 / 20);
        m_list->InsertColumn(2, "Duration", wxALIGN_CENTER_HORIZONTAL, width * 3 / 20);
        m_list->InsertColumn(3, "Status", wxALIGN_CENTER_HORIZONTAL, width * 4 / 20 - 3);
        m_list->SetHeaderCheckedState(0, 1);

        const char* const files[] = {
            "/home/ann/Videos/holiday in the mountains, part one.avi",
            "/home/ann/Videos/birthday.mp4",
            "/home/ann/Videos/concert recording with a rather long name that will not fit.mov",
            "/home/ann/Videos/clip.flv",
            "/home/ann/Videos/lecture.wmv",
            "/home/ann/Videos/trailer.mpg",
            "/home/ann/Videos/garden.3gp",
            "/home/ann/Videos/interview.vob",
            "/home/ann/Videos/sunset.mp4",
            "/home/ann/Videos/train.avi",
        };
        int row = 0;
        for (const char* file : files) {
            m_list->InsertItem(row, file);
            m_list->SetCheckbox(row, 0, row == 3 ? 0 : 1);
            m_list->SetItemToolTipText(row, 0, file);
            m_list->SetItemText(row, 1, wxString::Format("%0.2f", 1.5 + row * 7.25));
            m_list->SetItemText(row, 2, wxString::Format("00:%02d:%02d", 3 + row, 7 * row % 60));
            ++row;
        }
        m_list->SetItemText(0, 3, "Done");
        m_list->SetProgress(1, 3, true);
        m_list->UpdateProgress(1, 3, 42);
        m_list->SetItemText(4, 3, "Abort");

        SetClientSize(panel->ConvertDialogToPixels(wxSize(493, 130)));
        m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Step(); });
        m_timer.Start(200);
        if (seconds > 0) {
            m_closer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Close(); });
            m_closer.StartOnce(seconds * 1000);
        }
        // Select a row and rest the pointer on another one's file name, so that a picture of
        // the window shows the selection and a tool tip.
        CallAfter([this] {
            m_list->SetFocus();
            m_list->SelectItem(4, true);
            wxRect cell;
            m_list->GetCellRect(7, 0, cell);
            wxUIActionSimulator().MouseMove(
                m_list->ClientToScreen(cell.GetPosition() + wxPoint(80, 8)));
        });
    }

private:
    void Step() {
        m_value = m_value >= 99 ? 0 : m_value + 1;
        m_list->UpdateProgress(1, 3, m_value);
    }

    CXListCtrl* m_list;
    wxTimer m_timer;
    wxTimer m_closer;
    int m_value = 42;
};

class DemoApp : public wxApp {
public:
    bool OnInit() override {
        long seconds = 0;
        if (argc >= 3 && argv[1] == "--seconds") {
            argv[2].ToLong(&seconds);
        }
        (new DemoFrame(static_cast<int>(seconds)))->Show();
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP(DemoApp);
