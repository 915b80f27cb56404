// Hands work from a background thread to the window's thread, and only while the window still
// wants it: once closed, nothing queued runs and a sender waiting for its call is let go. The
// batch runner and the background prober both deliver through one.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class wxEvtHandler;

namespace tarv {

class WindowDelivery {
public:
    // The calls run on `window`'s thread, through its event queue.
    explicit WindowDelivery(wxEvtHandler& window);
    ~WindowDelivery();  // Close
    WindowDelivery(const WindowDelivery&) = delete;
    WindowDelivery& operator=(const WindowDelivery&) = delete;

    // Queues the call and returns at once. From any thread.
    void Post(std::function<void()> call);
    // Queues the call and waits until it has run, or until the delivery is closed. From any
    // thread but the window's.
    void Send(std::function<void()> call);
    // On the window's thread: nothing queued runs from now on, and every waiting sender
    // returns.
    void Close();
    bool IsClosed() const;

private:
    // Shared with the queued calls, so none of them outlives what it touches.
    struct Shared {
        std::mutex mutex;
        std::condition_variable ran;
        uint64_t lastQueued = 0;
        uint64_t lastRun = 0;
        bool closed = false;
    };
    // Queues the call; its number, or 0 when closed.
    uint64_t Queue(std::function<void()> call);

    wxEvtHandler& m_window;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

}  // namespace tarv
