#include "BatchRunner.h"

#include <wx/event.h>

#include <condition_variable>
#include <mutex>

namespace tarv {

struct BatchRunner::HandOver {
    std::mutex mutex;
    std::condition_variable handled;
    uint64_t lastPosted = 0;
    uint64_t lastHandled = 0;
    bool closed = false;
};

BatchRunner::BatchRunner(wxEvtHandler& window, std::string programFolder, ReportHandler onReport,
                         EndHandler onEnd)
    : m_window(window),
      m_onReport(std::move(onReport)),
      m_onEnd(std::move(onEnd)),
      m_handOver(std::make_shared<HandOver>()),
      m_worker(m_state, *this) {
    m_state.programFolder = std::move(programFolder);
}

BatchRunner::~BatchRunner() {
    Shutdown();
}

bool BatchRunner::Start() {
    if (m_state.busy) {
        return false;
    }
    m_state.stop = false;
    return m_worker.Start();
}

void BatchRunner::RequestStop() {
    m_worker.RequestStop();
}

void BatchRunner::Shutdown() {
    {
        std::lock_guard lock(m_handOver->mutex);
        m_handOver->closed = true;
    }
    m_handOver->handled.notify_all();
    m_worker.StopAndWait();
}

void BatchRunner::OnConvertProgress(int entry, int value) {
    std::shared_ptr<HandOver> handOver = m_handOver;
    std::unique_lock lock(handOver->mutex);
    if (handOver->closed) {
        return;
    }
    const uint64_t ticket = ++handOver->lastPosted;
    m_window.CallAfter([this, handOver, ticket, entry, value] {
        bool closed;
        {
            std::lock_guard guard(handOver->mutex);
            closed = handOver->closed;
        }
        // After Shutdown the runner may be gone; only the shared state is touched then.
        if (!closed) {
            m_onReport(entry, value);
        }
        {
            std::lock_guard guard(handOver->mutex);
            handOver->lastHandled = ticket;
        }
        handOver->handled.notify_all();
    });
    handOver->handled.wait(lock,
                           [&] { return handOver->closed || handOver->lastHandled >= ticket; });
}

void BatchRunner::OnBatchEnded() {
    std::shared_ptr<HandOver> handOver = m_handOver;
    m_window.CallAfter([this, handOver] {
        bool closed;
        {
            std::lock_guard guard(handOver->mutex);
            closed = handOver->closed;
        }
        if (!closed && m_onEnd) {
            m_onEnd();
        }
    });
}

}  // namespace tarv
