#include "WxTestEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

namespace tarv::testing {
namespace {

class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "controls-test";
        static char* argv[] = {name, nullptr};
        // A failed wxWidgets assertion fails the test instead of waiting for a click on a dialog.
        wxSetAssertHandler([](const wxString& file, int line, const wxString& function,
                              const wxString& condition, const wxString& message) {
            ADD_FAILURE_AT(file.utf8_str(), line)
                << "wxWidgets assertion " << condition << " in " << function << ": " << message;
        });
        wxApp::SetInstance(new wxApp());
        ASSERT_TRUE(wxEntryStart(argc, argv));
        ASSERT_TRUE(wxTheApp->CallOnInit());
        // Log messages go to the test's output; a message box would wait for a click forever.
        delete wxLog::SetActiveTarget(new wxLogStderr);
    }
    void TearDown() override { wxEntryCleanup(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace

void PumpEvents(int milliseconds) {
    wxStopWatch watch;
    do {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxMilliSleep(5);
    } while (watch.Time() < milliseconds);
}

wxBitmap FilledBitmap(int width, int height, const wxColour& colour) {
    wxBitmap bitmap(width, height, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(colour));
    dc.Clear();
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

wxColour PixelAt(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

}  // namespace tarv::testing
