#include "AudioWorker.h"

namespace tarv::tools {

namespace {

// About six seconds of compressed sound: enough to ride out a slow stretch of pictures while
// keeping what waits in memory (and in the writer's interleaving queue) small.
constexpr size_t kQueueLimit = 256;

}  // namespace

AudioWorker::AudioWorker(AudioTrack& track, PacketWriter write)
    : m_track(track), m_write(std::move(write)), m_thread([this] { Run(); }) {}

AudioWorker::~AudioWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_abandoned = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool AudioWorker::Push(const AVPacket* packet) {
    PacketPtr copy(av_packet_clone(packet));
    std::unique_lock lock(m_mutex);
    if (!copy) {
        m_failed = true;
        m_status = Status::Failure("out of memory");
        return false;
    }
    m_changed.wait(lock, [this] { return m_failed || m_queue.size() < kQueueLimit; });
    if (m_failed) {
        return false;
    }
    m_queue.push_back(std::move(copy));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

Status AudioWorker::Finish() {
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    std::lock_guard lock(m_mutex);
    return m_status;
}

void AudioWorker::Run() {
    while (true) {
        PacketPtr packet;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_ended || !m_queue.empty(); });
            if (m_abandoned) {
                return;
            }
            if (m_queue.empty()) {
                break;
            }
            packet = std::move(m_queue.front());
            m_queue.pop_front();
        }
        m_changed.notify_all();
        Status s = m_track.Feed(packet.get(), m_write);
        if (!s) {
            std::lock_guard lock(m_mutex);
            m_failed = true;
            m_status = s;
            m_queue.clear();
            m_changed.notify_all();
            return;
        }
    }
    Status s = m_track.Finish(m_write);
    std::lock_guard lock(m_mutex);
    if (!s) {
        m_failed = true;
        m_status = s;
    }
}

}  // namespace tarv::tools
