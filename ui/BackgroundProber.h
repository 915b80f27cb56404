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
#include <set>
#include <string>
#include <thread>

#include "MediaProbe.h"
#include "WindowDelivery.h"

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
    // Forgets the files: those still waiting are dropped, a running probe of one of them is
    // ended at once, and no result of theirs is handed over any more. On the window's thread.
    void Cancel(const std::set<uint64_t>& ids);

    // Ends the running probe at once and drops the rest; no result is handed over after this.
    void Shutdown();

private:
    struct Job {
        uint64_t id;
        std::string path;
    };

    void Run();

    ResultHandler m_handler;
    const std::string m_programFolder;
    WindowDelivery m_delivery;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    uint64_t m_runningId = 0;                // the file being probed; 0 for none
    std::shared_ptr<ProbeCancel> m_running;  // its cancel
    std::set<uint64_t> m_cancelled;          // results not to hand over; window's thread only
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace tarv
