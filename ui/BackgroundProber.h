// Learns the playing time of added files on a thread of its own, one file after another, so
// that adding many files, or one the identify tool hangs on, never freezes the window. Each
// result comes back on the window's thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MediaProbe.h"

class wxEvtHandler;

namespace tarv {

class BackgroundProber {
public:
    // The file's length in seconds: -1 when the tool reported none, 0 when it could not be
    // started.
    using ResultHandler = std::function<void(uint64_t id, double length)>;

    // Results are handed over through `window`'s event queue.
    BackgroundProber(wxEvtHandler& window, std::string programFolder, ResultHandler handler);
    ~BackgroundProber();  // Shutdown
    BackgroundProber(const BackgroundProber&) = delete;
    BackgroundProber& operator=(const BackgroundProber&) = delete;

    void Enqueue(uint64_t id, std::string path);

    // Ends the running probe at once and drops the rest; no result is handed over after this.
    void Shutdown();

private:
    struct Job {
        uint64_t id;
        std::string path;
    };
    // Shared with the queued result calls, so none of them outlives what it touches. Written
    // and read on the window's thread only.
    struct Shared {
        bool closed = false;
    };

    void Run();

    wxEvtHandler& m_window;
    const std::string m_programFolder;
    ResultHandler m_handler;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    ProbeCancel m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace tarv
