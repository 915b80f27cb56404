// Runs the audio track of the encode step on a thread of its own, so that decoding,
// normalising and encoding the sound overlap the picture's work instead of following it.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "AudioTrack.h"

namespace tarv::tools {

class AudioWorker {
public:
    // `write` is called from the worker thread; it must guard the writer it shares. Destroying
    // the worker without Finish() abandons the track.
    AudioWorker(AudioTrack& track, PacketWriter write);
    ~AudioWorker();
    AudioWorker(const AudioWorker&) = delete;
    AudioWorker& operator=(const AudioWorker&) = delete;

    // Queues a copy of `packet`; waits while the queue is full. False once the worker has
    // failed: Finish() then says why.
    bool Push(const AVPacket* packet);
    // Ends the input, waits for the track to flush, and returns how the worker fared.
    Status Finish();

private:
    void Run();

    AudioTrack& m_track;
    PacketWriter m_write;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PacketPtr> m_queue;
    bool m_ended = false;
    bool m_failed = false;
    bool m_abandoned = false;  // destroyed without Finish(): the step has failed elsewhere
    Status m_status = Status::Ok();
    std::thread m_thread;
};

}  // namespace tarv::tools
