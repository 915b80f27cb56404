// The signals that stop a headless batch: Ctrl-C, SIGTERM, a closed terminal (SIGHUP) and a
// reader that went away (SIGPIPE). Each turns into a byte on a pipe the main thread waits on,
// so nothing but that write happens inside a signal handler. On Windows the console's control
// events (Ctrl-C, Ctrl-Break, a closed console window, logging off) do the same through an
// event (StopSignalsWin32.cpp).
#pragma once

#include <functional>
#include <string>

namespace tarv {

// Installs the handlers; false with the reason when the pipe cannot be made.
bool InstallStopSignals(std::string* error);

// A one-way notice from a worker thread that its part has ended, on a pipe a waiter can poll.
class EndNotice {
public:
    EndNotice();
    ~EndNotice();
    EndNotice(const EndNotice&) = delete;
    EndNotice& operator=(const EndNotice&) = delete;

#ifdef _WIN32
    bool Valid() const {
        return m_event != nullptr;
    }
    void* Handle() const {
        return m_event;
    }
#else
    bool Valid() const {
        return m_pipe[0] >= 0;
    }
    int Handle() const {
        return m_pipe[0];
    }
#endif
    void Notify();

private:
#ifdef _WIN32
    void* m_event = nullptr;  // an event, set once the part has ended
#else
    int m_pipe[2] = {-1, -1};
#endif
};

// Waits, idle, until the notice comes. The first stop signal calls onStop; the waiting goes on
// until the stopped work has ended. True when a stop signal came.
bool WaitForEnd(const EndNotice& ended, const std::function<void()>& onStop);

}  // namespace tarv
