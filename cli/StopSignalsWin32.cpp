#include <windows.h>

#include "StopSignals.h"
#include "WindowsText.h"

namespace tarv {

namespace {

// How long the system lets a closing console's program tidy up: it ends the process as soon as
// the handler returns, and after about five seconds in any case.
constexpr DWORD kCloseGraceMs = 4500;

HANDLE g_stopEvent = nullptr;

// Runs on a thread of its own that the system starts for the event, so it may simply set the
// event the main thread waits on.
BOOL WINAPI OnConsoleEvent(DWORD type) {
    SetEvent(g_stopEvent);
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
        // Held here while the batch stops; the program's own end comes first and ends this.
        Sleep(kCloseGraceMs);
    }
    return TRUE;
}

}  // namespace

bool InstallStopSignals(std::string* error) {
    if (!g_stopEvent) {
        g_stopEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    if (!g_stopEvent || !SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
        *error = SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

EndNotice::EndNotice() : m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

EndNotice::~EndNotice() {
    if (m_event) {
        CloseHandle(m_event);
    }
}

void EndNotice::Notify() {
    SetEvent(m_event);
}

bool WaitForEnd(const EndNotice& ended, const std::function<void()>& onStop) {
    bool stopped = false;
    for (;;) {
        // The stop comes first, so a stop that arrives with the end is still seen.
        HANDLE handles[2] = {g_stopEvent, ended.Handle()};
        HANDLE* first = g_stopEvent ? handles : handles + 1;
        const DWORD count = g_stopEvent ? 2 : 1;
        const DWORD woken = WaitForMultipleObjects(count, first, FALSE, INFINITE);
        if (g_stopEvent && woken == WAIT_OBJECT_0) {
            if (!stopped) {
                stopped = true;
                onStop();
            }
            continue;
        }
        return stopped;
    }
}

}  // namespace tarv
