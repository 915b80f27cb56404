#include "UiTesting.h"

#include <wx/msgdlg.h>
#include <wx/stopwatch.h>

#include "WxTestEnvironment.h"

namespace tarv::testing {

int MessageRecorder::Enter(wxDialog* dialog) {
    if (auto* message = dynamic_cast<wxMessageDialogBase*>(dialog)) {
        m_messages.push_back(message->GetMessage());
        return wxID_OK;
    }
    return onDialog(dialog);
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    wxStopWatch watch;
    while (!done()) {
        if (watch.Time() > milliseconds) {
            return done();
        }
        PumpEvents(10);
    }
    return true;
}

}  // namespace tarv::testing
