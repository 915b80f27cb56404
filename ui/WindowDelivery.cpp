#include "WindowDelivery.h"

#include <wx/event.h>

namespace tarv {

WindowDelivery::WindowDelivery(wxEvtHandler& window) : m_window(window) {}

WindowDelivery::~WindowDelivery() {
    Close();
}

uint64_t WindowDelivery::Queue(std::function<void()> call) {
    std::shared_ptr<Shared> shared = m_shared;
    uint64_t number;
    {
        std::lock_guard lock(shared->mutex);
        if (shared->closed) {
            return 0;
        }
        number = ++shared->lastQueued;
    }
    m_window.CallAfter([shared, number, call = std::move(call)] {
        bool closed;
        {
            std::lock_guard lock(shared->mutex);
            closed = shared->closed;
        }
        // Closing happens on this same thread, so it cannot come in the middle of the call.
        if (!closed) {
            call();
        }
        {
            std::lock_guard lock(shared->mutex);
            shared->lastRun = std::max(shared->lastRun, number);
        }
        shared->ran.notify_all();
    });
    return number;
}

void WindowDelivery::Post(std::function<void()> call) {
    Queue(std::move(call));
}

void WindowDelivery::Send(std::function<void()> call) {
    std::shared_ptr<Shared> shared = m_shared;
    const uint64_t number = Queue(std::move(call));
    if (number == 0) {
        return;
    }
    std::unique_lock lock(shared->mutex);
    shared->ran.wait(lock, [&] { return shared->closed || shared->lastRun >= number; });
}

void WindowDelivery::Close() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->closed = true;
    }
    m_shared->ran.notify_all();
}

bool WindowDelivery::IsClosed() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->closed;
}

}  // namespace tarv
