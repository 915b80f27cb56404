#include "SignalCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace tarv::tools {

namespace {

// The handler may only touch memory that is ready when the signal lands, so the paths live in
// fixed slots; a tool writes one staged file at a time, and the encoder's two passes keep a
// folder of statistics beside it.
constexpr int kSlots = 8;
constexpr size_t kPathBytes = 4096;

char g_paths[kSlots][kPathBytes];
std::atomic<bool> g_used[kSlots];

void OnStopSignal(int signalNumber) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i].load()) {
            unlink(g_paths[i]);
        }
    }
    // Folders last, once the files in them are gone.
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i].load()) {
            rmdir(g_paths[i]);
        }
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

}  // namespace

void InstallSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigfillset(&action.sa_mask);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signalNumber, &action, nullptr);
    }
}

bool RemoveOnStop(const std::string& path) {
    if (path.size() >= kPathBytes) {
        return false;
    }
    for (int i = 0; i < kSlots; ++i) {
        if (!g_used[i].load()) {
            std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
            g_used[i].store(true);
            return true;
        }
    }
    return false;
}

void KeepOnStop(const std::string& path) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i].load() && path == g_paths[i]) {
            g_used[i].store(false);
        }
    }
}

}  // namespace tarv::tools
