#include "BackgroundProber.h"

#include <algorithm>

namespace tarv {

BackgroundProber::BackgroundProber(wxEvtHandler& window, std::string programFolder,
                                   ResultHandler handler)
    : m_handler(std::move(handler)),
      m_programFolder(std::move(programFolder)),
      m_delivery(window) {}

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

void BackgroundProber::Cancel(const std::set<uint64_t>& ids) {
    // A result already on its way is dropped when it arrives. Ids are never reused, so the
    // set only needs what may still be queued.
    m_cancelled.insert(ids.begin(), ids.end());
    std::lock_guard lock(m_mutex);
    std::erase_if(m_jobs, [&](const Job& job) { return ids.count(job.id) > 0; });
    if (m_running && ids.count(m_runningId)) {
        m_running->Cancel();
    }
}

void BackgroundProber::Shutdown() {
    m_delivery.Close();
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
        if (m_running) {
            m_running->Cancel();
        }
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BackgroundProber::Run() {
    for (;;) {
        Job job;
        auto cancel = std::make_shared<ProbeCancel>();
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping) {
                return;
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_runningId = job.id;
            m_running = cancel;
        }
        // Preset as the list expects: a tool that cannot start leaves 0.
        MediaInfo info;
        info.length = 0;
        Probe(m_programFolder, job.path, info, 30000, cancel.get());
        {
            std::lock_guard lock(m_mutex);
            m_runningId = 0;
            m_running.reset();
        }
        if (cancel->Cancelled()) {
            continue;
        }
        m_delivery.Post([this, id = job.id, length = info.length] {
            if (!m_cancelled.count(id)) {
                m_handler(id, length);
            }
        });
    }
}

}  // namespace tarv
