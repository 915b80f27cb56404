#include "VideoTrack.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "MediaFiles.h"
#include "StreamLevels.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/cpu.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace tarv::tools {

namespace {

// Key frames every few seconds: players can seek, and the files stay small at phone bitrates.
constexpr int kKeyFrameSeconds = 4;

}  // namespace

Status VideoTrack::Open(const AVStream* stream, int64_t startOffset,
                        const EncodeSettings& settings) {
    m_stream = stream;
    m_startOffset = startOffset;
    if (!m_frame || !m_filtered || !m_packet) {
        return Status::Failure("out of memory");
    }
    if (Status s = OpenDecoder(stream, m_decoder); !s) {
        return s;
    }
    if (m_decoder->width <= 0 || m_decoder->height <= 0 || m_decoder->pix_fmt == AV_PIX_FMT_NONE) {
        return Status::Failure("cannot tell the size of the input's video");
    }

    AVRational inputRate =
        stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (inputRate.num <= 0 || inputRate.den <= 0 || av_q2d(inputRate) > 240) {
        inputRate = AVRational{25, 1};
    }
    m_defaultDuration =
        std::max<int64_t>(1, av_rescale_q(1, av_inv_q(inputRate), stream->time_base));

    VideoChainSettings chain;
    chain.rotation = ClockwiseRotation(stream);
    chain.scale = settings.scale;
    chain.frameRate = settings.frameRate.first > 0 ? settings.frameRate
                                                   : std::make_pair(inputRate.num, inputRate.den);
    chain.inputSize = {m_decoder->width, m_decoder->height};
    chain.inputRate = {inputRate.num, inputRate.den};
    // The container's pixel shape wins over the bitstream's, as players show it.
    AVRational sar = stream->sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0) {
        sar = m_decoder->sample_aspect_ratio;
    }
    if (sar.num <= 0 || sar.den <= 0) {
        sar = AVRational{1, 1};
    }
    m_sampleAspect = sar;
    const std::string sourceArgs =
        "video_size=" + std::to_string(m_decoder->width) + "x" + std::to_string(m_decoder->height) +
        ":pix_fmt=" + std::to_string(m_decoder->pix_fmt) +
        ":time_base=" + std::to_string(stream->time_base.num) + "/" +
        std::to_string(stream->time_base.den) + ":pixel_aspect=" + std::to_string(sar.num) + "/" +
        std::to_string(sar.den);
    if (Status s = m_chain.Configure(true, sourceArgs, VideoChainDescription(chain)); !s) {
        return s;
    }
    return OpenEncoder(settings);
}

Status VideoTrack::OpenEncoder(const EncodeSettings& settings) {
    const bool x264 = settings.family == VideoFamily::kX264;
    const char* name = x264 ? "libx264" : "libxvid";
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec) {
        return Status::Failure(std::string("this build has no ") + name + " encoder");
    }
    m_encoder.reset(avcodec_alloc_context3(codec));
    if (!m_encoder) {
        return Status::Failure("out of memory");
    }
    const AVFilterContext* sink = m_chain.Sink();
    AVCodecContext* enc = m_encoder.get();
    enc->width = av_buffersink_get_w(sink);
    enc->height = av_buffersink_get_h(sink);
    enc->pix_fmt = static_cast<AVPixelFormat>(av_buffersink_get_format(sink));
    enc->sample_aspect_ratio = av_buffersink_get_sample_aspect_ratio(sink);
    enc->time_base = av_buffersink_get_time_base(sink);
    enc->framerate = av_buffersink_get_frame_rate(sink);
    enc->bit_rate = static_cast<int64_t>(settings.videoKbps) * 1000;
    enc->max_b_frames = settings.bFrames;
    enc->gop_size = std::max(1, static_cast<int>(av_q2d(enc->framerate) * kKeyFrameSeconds));
    StreamShape shape;
    shape.width = enc->width;
    shape.height = enc->height;
    shape.frameRate = {enc->framerate.num, enc->framerate.den};
    shape.kbps = settings.videoKbps;
    if (x264) {
        // Without an explicit profile x264 picks High even with CABAC and B-frames off, which
        // phones that expect level 1.2 baseline refuse. A larger picture, a faster rate or a
        // higher bitrate than the level asked for admits takes the next level that does, and
        // the rate control keeps within that level's buffer.
        enc->thread_count = 0;
        const H264Level level = H264LevelFor(shape, settings.levelIdc);
        enc->level = level.levelIdc;
        enc->rc_max_rate = static_cast<int64_t>(level.maxKbps) * 1000;
        enc->rc_buffer_size = level.bufferKbits * 1000;
        av_opt_set(enc->priv_data, "profile", settings.cabac ? "main" : "baseline", 0);
        av_opt_set(enc->priv_data, "coder", settings.cabac ? "cabac" : "cavlc", 0);
        enc->codec_tag = MKTAG('H', '2', '6', '4');
    } else {
        // Xvid runs single-threaded unless told how many threads to use.
        enc->thread_count = av_cpu_count();
        m_mpeg4ProfileLevel = Mpeg4SimpleLevelFor(shape);
        enc->codec_tag = MKTAG('X', 'V', 'I', 'D');
    }
    if (settings.fourcc.size() == 4) {
        const std::string& f = settings.fourcc;
        enc->codec_tag = MKTAG(f[0], f[1], f[2], f[3]);
    }
    const int error = avcodec_open2(enc, codec, nullptr);
    if (error < 0) {
        return AvFailure(std::string("cannot open the ") + name + " encoder", error);
    }
    return Status::Ok();
}

Status VideoTrack::Feed(const AVPacket* packet, const PacketWriter& write) {
    return DecodeEach(m_decoder.get(), packet, m_frame.get(), [&](AVFrame* frame) -> Status {
        int64_t pts = frame->best_effort_timestamp;
        pts = pts == AV_NOPTS_VALUE ? m_nextPts : pts - m_startOffset;
        const int64_t duration = frame->pkt_duration > 0 ? frame->pkt_duration : m_defaultDuration;
        frame->pts = pts;
        frame->sample_aspect_ratio = m_sampleAspect;
        ++m_framesDecoded;
        m_nextPts = pts + duration;
        m_endPts = std::max(m_endPts, pts + duration);
        m_inputPosition = std::max(m_inputPosition, pts * av_q2d(m_stream->time_base));
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        if (Status s = m_chain.Push(frame); !s) {
            return s;
        }
        return Filtered(write);
    });
}

// Xvid labels every stream Simple Profile level 3 in the sequence header that starts each key
// frame; the label is one byte after the start code.
void VideoTrack::Label(AVPacket* packet) const {
    static constexpr uint8_t kSequenceStart[] = {0, 0, 1, 0xB0};
    if (m_mpeg4ProfileLevel > 0 && packet->size > 4 &&
        std::equal(std::begin(kSequenceStart), std::end(kSequenceStart), packet->data) &&
        av_packet_make_writable(packet) >= 0) {
        packet->data[4] = static_cast<uint8_t>(m_mpeg4ProfileLevel);
    }
}

Status VideoTrack::Filtered(const PacketWriter& write) {
    while (true) {
        const int error = m_chain.Pull(m_filtered.get());
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) {
            return Status::Ok();
        }
        if (error < 0) {
            return AvFailure("cannot filter the video", error);
        }
        m_filtered->pict_type = AV_PICTURE_TYPE_NONE;
        Status s =
            EncodeAndWrite(m_encoder.get(), m_filtered.get(), m_packet.get(), Labelled(write));
        av_frame_unref(m_filtered.get());
        if (!s) {
            return s;
        }
        ++m_framesEncoded;
    }
}

Status VideoTrack::Finish(const PacketWriter& write) {
    if (Status s = Feed(nullptr, write); !s) {
        return s;
    }
    // The frame-rate filter rounds the input's end to whole output frames, so a clip shorter
    // than half of one, such as a still picture, would give none; it lasts at least one.
    int64_t end = m_endPts;
    if (m_framesDecoded > 0) {
        end = std::max(end, av_rescale_q_rnd(1, av_inv_q(m_encoder->framerate), m_stream->time_base,
                                             AV_ROUND_UP));
    }
    if (Status s = m_chain.Close(end); !s) {
        return s;
    }
    if (Status s = Filtered(write); !s) {
        return s;
    }
    return EncodeAndWrite(m_encoder.get(), nullptr, m_packet.get(), Labelled(write));
}

PacketWriter VideoTrack::Labelled(const PacketWriter& write) const {
    return [this, &write](AVPacket* packet) {
        Label(packet);
        return write(packet);
    };
}

double VideoTrack::InputEnd() const {
    return m_stream ? m_endPts * av_q2d(m_stream->time_base) : 0;
}

double VideoTrack::OutputEnd() const {
    return m_encoder ? m_framesEncoded * av_q2d(m_encoder->time_base) : 0;
}

}  // namespace tarv::tools
