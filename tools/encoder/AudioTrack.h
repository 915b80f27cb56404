// The audio side of the encode step: decode the input's sound (or make silence when it has
// none), resample, keep at most two channels, even out the loudness, hold the peaks under the
// ceiling and encode AAC-LC.
#pragma once

#include <atomic>
#include <optional>
#include <vector>

#include "EncoderCommand.h"
#include "FilterChains.h"
#include "SoundLeveller.h"
#include "TrackEncoding.h"

namespace tarv::tools {

class AudioTrack {
public:
    // From an input stream; `startOffset` (in the stream's time base) becomes time zero.
    Status Open(const AVStream* stream, int64_t startOffset, const EncodeSettings& settings);
    // A silent mono track, for an input without sound, so that the later steps find one.
    Status OpenSilent(const EncodeSettings& settings);

    const AVCodecContext* Encoder() const { return m_encoder.get(); }

    // A packet that does not decode is skipped: its time becomes silence.
    Status Feed(const AVPacket* packet, const PacketWriter& write);
    // Silent tracks only: encodes silence until `seconds`, in whole AAC frames unless it is
    // the `last` call.
    Status FillSilenceUntil(double seconds, bool last, const PacketWriter& write);
    Status Finish(const PacketWriter& write);
    // Sound lost to damage at its end: Finish adds silence up to `seconds` from the start. May
    // be called from another thread, before the one that feeds the track finishes it.
    void SilenceUntil(double seconds) { m_silenceUntil = seconds; }

    // Once the track has finished.
    const DamageTally& Damage() const { return m_damage; }
    // Whether any damage was skipped so far; may be asked from another thread while it runs.
    bool DamageSeen() const { return m_damageSeen; }
    // Frames decoded so far.
    int64_t FramesDecoded() const { return m_framesDecoded; }

private:
    Status OpenEncoder(int sampleRate, const AVChannelLayout& layout, int kbps);
    Status Filtered(const PacketWriter& write);
    Status Push(AVFrame* frame, const PacketWriter& write);
    Status PushSilence(int64_t from, int64_t to, const PacketWriter& write);
    // Brings a frame to the shape the chain takes; false (and counted as damage) when it
    // cannot be.
    bool Reshape(AVFrame* frame);
    Status Levelled(bool last, const PacketWriter& write);
    Status Encoded(AVFrame* frame, const PacketWriter& write);
    Status RunIn(const PacketWriter& write);
    Status Encode(const AVFrame* frame, const PacketWriter& write);

    int64_t m_startOffset = 0;
    AVRational m_streamTimeBase{1, 1};
    CodecContextPtr m_decoder;
    CodecContextPtr m_encoder;
    FilterChain m_chain;
    bool m_silent = false;
    FramePtr m_frame{av_frame_alloc()};
    FramePtr m_filtered{av_frame_alloc()};
    PacketPtr m_packet{av_packet_alloc()};
    int m_sourceRate = 0;
    FramePtr m_sourceShape{av_frame_alloc()};  // format and layout of the frames the chain takes
    int64_t m_nextPts = 0;  // in 1/input rate: where the next decoded frame is expected
    DamageTally m_damage;
    std::atomic<bool> m_damageSeen{false};
    int64_t m_framesDecoded = 0;
    std::atomic<double> m_silenceUntil{0};
    // Where skipped packets ended (1/input rate), while no good frame has followed them; unset
    // (AV_NOPTS_VALUE) when nothing was skipped since the last frame.
    int64_t m_gapEnd = AV_NOPTS_VALUE;
    // Turns a frame whose format, rate or channels changed midway into the chain's; a damaged
    // header can make a decoder produce one.
    SwrContextPtr m_reshaper;
    FramePtr m_reshapedFrom{av_frame_alloc()};  // the shape m_reshaper was made for
    FramePtr m_reshaped{av_frame_alloc()};
    int64_t m_silentSamples = 0;
    std::optional<SoundLeveller> m_leveller;
    int64_t m_levelledPts = AV_NOPTS_VALUE;  // of the next levelled sample, filters' time base
    std::vector<FramePtr> m_heldBack;  // the first frames, until the encoder has run in on them
    bool m_ranIn = false;
};

}  // namespace tarv::tools
