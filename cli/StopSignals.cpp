#include "StopSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "SignalPipe.h"

namespace tarv {

bool InstallStopSignals(std::string* error) {
    // A closed terminal or a reader that went away ends the batch the way Ctrl-C does: the
    // running tool is stopped, never left to run on without us.
    return SignalPipe::Install({SIGINT, SIGTERM, SIGHUP, SIGPIPE}, error);
}

EndNotice::EndNotice() {
    if (pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_pipe[0] = m_pipe[1] = -1;
    }
}

EndNotice::~EndNotice() {
    for (int handle : m_pipe) {
        if (handle >= 0) {
            close(handle);
        }
    }
}

void EndNotice::Notify() {
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = write(m_pipe[1], &byte, 1);
}

bool WaitForEnd(const EndNotice& ended, const std::function<void()>& onStop) {
    bool stopped = false;
    for (;;) {
        pollfd handles[2] = {{SignalPipe::Handle(), POLLIN, 0}, {ended.Handle(), POLLIN, 0}};
        if (poll(handles, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return stopped;
        }
        if (handles[0].revents & POLLIN) {
            SignalPipe::Drain();
            if (!stopped) {
                stopped = true;
                onStop();
            }
        }
        if (handles[1].revents & POLLIN) {
            return stopped;
        }
    }
}

}  // namespace tarv
