#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>
#include <wx/window.h>

#include <csignal>
#include <string>

#include "SignalPipe.h"
#include "TerminationWatch.h"

namespace tarv {

namespace {

// Logging out, kill or Ctrl-C in the terminal: the signal only writes a byte; the window's
// thread does the rest.
class TerminationWatch : public wxEventLoopSourceHandler {
public:
    void OnReadWaiting() override {
        SignalPipe::Drain();
        if (wxWindow* window = wxTheApp ? wxTheApp->GetTopWindow() : nullptr) {
            window->Close(true);
        }
        // The closed window goes at the next idle time; nothing else may wake the loop.
        wxWakeUpIdle();
    }
    void OnWriteWaiting() override {}
    void OnExceptionWaiting() override {}
};

}  // namespace

void WatchTerminationSignals() {
    std::string error;
    if (!SignalPipe::Install({}, &error)) {
        return;
    }
    static TerminationWatch watch;
    if (wxEventLoopBase::AddSourceForFD(SignalPipe::Handle(), &watch, wxEVENT_SOURCE_INPUT)) {
        SignalPipe::Install({SIGTERM, SIGINT, SIGHUP}, &error);
    }
}

}  // namespace tarv
