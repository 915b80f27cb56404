#include "SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarv {

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

bool SignalPipe::Install(std::initializer_list<int> signals, std::string* error) {
    if (g_signalPipe[0] < 0 && pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : signals) {
        sigaction(signalNumber, &action, nullptr);
    }
    return true;
}

int SignalPipe::Handle() {
    return g_signalPipe[0];
}

void SignalPipe::Drain() {
    char bytes[64];
    while (g_signalPipe[0] >= 0 && read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
}

}  // namespace tarv
