// The audio side of the encode step: decode the input's sound (or make silence when it has
// none), resample, keep at most two channels, even out the loudness, hold the peaks under the
// ceiling and encode AAC-LC.
#pragma once

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

    Status Feed(const AVPacket* packet, const PacketWriter& write);
    // Silent tracks only: encodes silence until `seconds`, in whole AAC frames unless it is
    // the `last` call.
    Status FillSilenceUntil(double seconds, bool last, const PacketWriter& write);
    Status Finish(const PacketWriter& write);

private:
    Status OpenEncoder(int sampleRate, const AVChannelLayout& layout, int kbps);
    Status Filtered(const PacketWriter& write);
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
    int64_t m_nextPts = 0;  // in 1/input rate: where the next decoded frame is expected
    int64_t m_silentSamples = 0;
    std::optional<SoundLeveller> m_leveller;
    int64_t m_levelledPts = AV_NOPTS_VALUE;  // of the next levelled sample, filters' time base
    std::vector<FramePtr> m_heldBack;  // the first frames, until the encoder has run in on them
    bool m_ranIn = false;
};

}  // namespace tarv::tools
