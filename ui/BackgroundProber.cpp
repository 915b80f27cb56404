#include "BackgroundProber.h"

#include <wx/event.h>

namespace tarv {

BackgroundProber::BackgroundProber(wxEvtHandler& window, std::string programFolder,
                                   ResultHandler handler)
    : m_window(window), m_programFolder(std::move(programFolder)), m_handler(std::move(handler)) {}

BackgroundProber::~BackgroundProber() {
    Shutdown();
}

void BackgroundProber::Enqueue(uint64_t id, std::string path) {
    std::lock_guard lock(m_mutex);
    if (m_stopping) {
        return;
    }
    m_jobs.push_back({id, std::move(path)});
    if (!m_thread.joinable()) {
        m_thread = std::thread(&BackgroundProber::Run, this);
    }
    m_wake.notify_one();
}

void BackgroundProber::Shutdown() {
    m_shared->closed = true;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_cancel.Cancel();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BackgroundProber::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping) {
                return;
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        // Preset as the list expects: a tool that cannot start leaves 0.
        MediaInfo info;
        info.length = 0;
        Probe(m_programFolder, job.path, info, 30000, &m_cancel);
        if (m_cancel.Cancelled()) {
            return;
        }
        std::shared_ptr<Shared> shared = m_shared;
        m_window.CallAfter([this, shared, id = job.id, length = info.length] {
            // Shutdown runs on this same thread, so closed cannot change during the call.
            if (!shared->closed) {
                m_handler(id, length);
            }
        });
    }
}

}  // namespace tarv
