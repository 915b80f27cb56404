// The video side of the encode step: decode the input's video, turn it upright, scale it,
// hold the output frame rate and encode it with Xvid or x264.
#pragma once

#include <optional>
#include <string>

#include "BitBudget.h"
#include "EncoderCommand.h"
#include "FilterChains.h"
#include "TrackEncoding.h"

namespace tarv::tools {

// The video encoder's part in an encode of one or two passes.
struct VideoPass {
    enum class Role {
        kOnly,      // one pass at the settings' bitrate
        kAnalysis,  // the first of two: nothing it makes is kept
        kFinal,     // the second of two, after an analysis of the same input
    };
    Role role = Role::kOnly;
    double kbps = 0;        // the average aimed at; 0 for the settings' bitrate
    std::string statsPath;  // x264: where the analysis leaves its statistics for the final pass
};

class VideoTrack {
public:
    // `startOffset` (in the stream's time base) is subtracted from every timestamp so that
    // the output starts at zero.
    Status Open(const AVStream* stream, int64_t startOffset, const EncodeSettings& settings,
                const VideoPass& pass = {});
    // A still picture for sound without video: the input's cover art when `cover` is given,
    // else black, shown for as long as ExtendStill says.
    Status OpenStill(const AVStream* cover, const EncodeSettings& settings,
                     const VideoPass& pass = {});

    const AVCodecContext* Encoder() const { return m_encoder.get(); }

    // A packet that does not decode is skipped: the picture before it stays on for its time.
    Status Feed(const AVPacket* packet, const PacketWriter& write);
    // Still pictures only: shows the picture until `seconds` from the start.
    Status ExtendStill(double seconds, const PacketWriter& write);
    // Makes the last picture last until `seconds` from the start, at least.
    void HoldUntil(double seconds);
    // Decodes what the decoder still holds, so that InputEnd() is the input's end; Finish
    // does it when it has not been done.
    Status Drain(const PacketWriter& write);
    Status Finish(const PacketWriter& write);

    // How far the decoded input has come, in seconds from the start.
    double InputPosition() const { return m_inputPosition; }
    // The end of the latest decoded frame, in seconds from the start.
    double InputEnd() const;
    // The end of the frames encoded so far, in seconds.
    double OutputEnd() const;
    int64_t FramesEncoded() const { return m_framesEncoded; }
    int64_t FramesDecoded() const { return m_framesDecoded; }
    const DamageTally& Damage() const { return m_damage; }

private:
    Status Filtered(const PacketWriter& write);
    Status OpenChain(const VideoChainSettings& chain, const AVFrame& format, AVRational sar);
    Status OpenEncoder(const EncodeSettings& settings, const VideoPass& pass);
    // Brings a picture to the size and format the chain takes; false (and counted as damage)
    // when it cannot be.
    bool Reshape(AVFrame* frame);
    void Label(AVPacket* packet) const;
    void Plan(AVFrame* picture);
    PacketWriter Labelled(const PacketWriter& write);

    AVRational m_timeBase{0, 1};  // of the frames fed to the filters; 0/1 until opened
    FramePtr m_still;             // the still picture, for sound without video
    int64_t m_stillPushed = -1;   // when it last went into the filters
    int64_t m_startOffset = 0;
    CodecContextPtr m_decoder;
    CodecContextPtr m_encoder;
    FilterChain m_chain;
    FramePtr m_frame{av_frame_alloc()};
    FramePtr m_filtered{av_frame_alloc()};
    PacketPtr m_packet{av_packet_alloc()};
    int64_t m_nextPts = 0;  // where the next decoded frame is expected, if it names no time
    int64_t m_endPts = 0;   // end of the latest decoded frame
    bool m_drained = false;
    int64_t m_defaultDuration = 1;
    double m_inputPosition = 0;
    int64_t m_framesEncoded = 0;
    int64_t m_framesDecoded = 0;
    DamageTally m_damage;
    // The pictures the chain takes; a damaged header can make a decoder change them midway.
    int m_chainWidth = 0;
    int m_chainHeight = 0;
    int m_chainFormat = AV_PIX_FMT_NONE;
    bool m_chainTakesAnyPicture = false;
    SwsContextPtr m_reshaper;
    FramePtr m_reshaped{av_frame_alloc()};
    AVRational m_sampleAspect{1, 1};
    int m_mpeg4ProfileLevel = 0;        // written into MPEG-4 sequence headers; 0 leaves them
    std::optional<BitBudget> m_budget;  // Xvid only: each frame's quantiser
    BitBudget::Plan m_plan;             // for the frame being encoded
    FramePtr m_lastPicture{av_frame_alloc()};
};

}  // namespace tarv::tools
