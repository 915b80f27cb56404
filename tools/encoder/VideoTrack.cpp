#include "VideoTrack.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

Status VideoTrack::Open(const AVStream* stream, int64_t startOffset, const EncodeSettings& settings,
                        const VideoPass& pass) {
    m_timeBase = stream->time_base;
    m_startOffset = startOffset;
    if (!m_frame || !m_filtered || !m_packet || !m_reshaped) {
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
    chain.inputMatrix = stream->codecpar->color_space != AVCOL_SPC_UNSPECIFIED
                            ? stream->codecpar->color_space
                            : m_decoder->colorspace;
    // The container's pixel shape wins over the bitstream's, as players show it.
    AVRational sar = stream->sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0) {
        sar = m_decoder->sample_aspect_ratio;
    }
    if (sar.num <= 0 || sar.den <= 0) {
        sar = AVRational{1, 1};
    }
    FramePtr shape(av_frame_alloc());
    if (!shape) {
        return Status::Failure("out of memory");
    }
    shape->width = m_decoder->width;
    shape->height = m_decoder->height;
    shape->format = m_decoder->pix_fmt;
    if (Status s = OpenChain(chain, *shape, sar); !s) {
        return s;
    }
    m_chainTakesAnyPicture = VideoChainTakesAnyPicture(chain);
    return OpenEncoder(settings, pass);
}

Status VideoTrack::OpenChain(const VideoChainSettings& chain, const AVFrame& format,
                             AVRational sar) {
    m_sampleAspect = sar;
    m_chainWidth = format.width;
    m_chainHeight = format.height;
    m_chainFormat = format.format;
    const std::string sourceArgs =
        "video_size=" + std::to_string(format.width) + "x" + std::to_string(format.height) +
        ":pix_fmt=" + std::to_string(format.format) +
        ":time_base=" + std::to_string(m_timeBase.num) + "/" + std::to_string(m_timeBase.den) +
        ":pixel_aspect=" + std::to_string(sar.num) + "/" + std::to_string(sar.den);
    return m_chain.Configure(true, sourceArgs, VideoChainDescription(chain));
}

Status VideoTrack::OpenStill(const AVStream* cover, const EncodeSettings& settings,
                             const VideoPass& pass) {
    // Milliseconds: fine enough to end the picture where the sound ends.
    m_timeBase = AVRational{1, 1000};
    m_still.reset(av_frame_alloc());
    if (!m_still || !m_frame || !m_filtered || !m_packet) {
        return Status::Failure("out of memory");
    }
    AVRational sar{1, 1};
    bool decoded = false;
    if (cover && cover->attached_pic.size > 0) {
        // A cover that cannot be decoded is no reason to refuse the sound: black will do.
        CodecContextPtr decoder;
        if (OpenDecoder(cover, decoder)) {
            auto keepFirst = [&](AVFrame* frame) -> Status {
                if (!decoded && frame->width > 0 && frame->height > 0) {
                    decoded = av_frame_ref(m_still.get(), frame) >= 0;
                }
                return Status::Ok();
            };
            DecodeEach(decoder.get(), &cover->attached_pic, m_frame.get(), keepFirst);
            DecodeEach(decoder.get(), nullptr, m_frame.get(), keepFirst);
        }
        if (decoded && m_still->sample_aspect_ratio.num > 0 &&
            m_still->sample_aspect_ratio.den > 0) {
            sar = m_still->sample_aspect_ratio;
        }
    }
    if (!decoded) {
        av_frame_unref(m_still.get());
        const auto [width, height] = settings.scale.value_or(std::make_pair(176, 144));
        m_still->width = width & ~1;
        m_still->height = height & ~1;
        m_still->format = AV_PIX_FMT_YUV420P;
        if (const int error = av_frame_get_buffer(m_still.get(), 0); error < 0) {
            return AvFailure("cannot make a picture", error);
        }
        // Black in limited-range YUV: luma 16, both chroma planes at their middle.
        for (int plane = 0; plane < 3; ++plane) {
            const int rows = plane == 0 ? m_still->height : m_still->height / 2;
            for (int y = 0; y < rows; ++y) {
                std::memset(m_still->data[plane] + y * m_still->linesize[plane], plane ? 128 : 16,
                            static_cast<size_t>(m_still->linesize[plane]));
            }
        }
    }
    VideoChainSettings chain;
    chain.scale = settings.scale;
    chain.frameRate = settings.frameRate.first > 0 ? settings.frameRate : std::make_pair(10, 1);
    chain.inputSize = {m_still->width, m_still->height};
    // Pictures (JPEG, the black one made here) are BT.601 whatever their size.
    chain.inputMatrix =
        m_still->colorspace != AVCOL_SPC_UNSPECIFIED ? m_still->colorspace : AVCOL_SPC_SMPTE170M;
    if (Status s = OpenChain(chain, *m_still, sar); !s) {
        return s;
    }
    m_framesDecoded = 1;
    return OpenEncoder(settings, pass);
}

Status VideoTrack::ExtendStill(double seconds, const PacketWriter& write) {
    const int64_t pts = static_cast<int64_t>(std::ceil(seconds * av_q2d(av_inv_q(m_timeBase))));
    m_endPts = std::max(m_endPts, pts);
    m_inputPosition = std::max(m_inputPosition, seconds);
    // The picture goes in again every half second or so: often enough that its frames come
    // out along with the sound, not all at the end.
    const int64_t interval = m_timeBase.den / m_timeBase.num / 2;
    if (!m_still || (m_stillPushed >= 0 && pts < m_stillPushed + interval)) {
        return Status::Ok();
    }
    FramePtr copy(av_frame_clone(m_still.get()));
    if (!copy) {
        return Status::Failure("out of memory");
    }
    copy->pts = m_stillPushed < 0 ? 0 : pts;
    copy->sample_aspect_ratio = m_sampleAspect;
    copy->pict_type = AV_PICTURE_TYPE_NONE;
    m_stillPushed = copy->pts;
    if (Status s = m_chain.Push(copy.get()); !s) {
        return s;
    }
    return Filtered(write);
}

Status VideoTrack::OpenEncoder(const EncodeSettings& settings, const VideoPass& pass) {
    const bool x264 = settings.family == VideoFamily::kX264;
    const char* name = x264 ? "libx264" : "libxvid";
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec && !x264) {
        // An FFmpeg built without Xvid (the Windows build, where Xvid's source is out of reach)
        // writes the same MPEG-4 Part 2 video with its own encoder, under the same rate control.
        name = "mpeg4";
        codec = avcodec_find_encoder_by_name(name);
    }
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
    const double kbps = pass.kbps > 0 ? pass.kbps : settings.videoKbps;
    enc->bit_rate = std::max<int64_t>(1000, std::llround(kbps * 1000));
    enc->max_b_frames = settings.bFrames;
    enc->gop_size = std::max(1, static_cast<int>(av_q2d(enc->framerate) * kKeyFrameSeconds));
    // Named in the stream where the format can (H.264), so no player has to guess.
    enc->colorspace = MatrixOf(AVCOL_SPC_UNSPECIFIED, enc->width, enc->height);
    enc->color_range = AVCOL_RANGE_MPEG;
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
        // Two passes: the analysis writes what each frame cost into the statistics, and the
        // final pass spreads the bits by them, so the stream ends on its size.
        if (pass.role != VideoPass::Role::kOnly) {
            enc->flags |=
                pass.role == VideoPass::Role::kAnalysis ? AV_CODEC_FLAG_PASS1 : AV_CODEC_FLAG_PASS2;
            av_opt_set(enc->priv_data, "stats", pass.statsPath.c_str(), 0);
        }
        enc->codec_tag = MKTAG('H', '2', '6', '4');
    } else {
        // Xvid runs single-threaded unless told how many threads to use.
        enc->thread_count = av_cpu_count();
        // Xvid's own rate control keeps the average but lets a busy second run past what the
        // level allows; the budget chooses each frame's quantiser to keep both.
        const Mpeg4Level level = Mpeg4SimpleLevelFor(shape);
        m_mpeg4ProfileLevel = level.profileLevel;
        enc->flags |= AV_CODEC_FLAG_QSCALE;
        m_budget.emplace(kbps, level.maxKbps, shape.frameRate, pass.role != VideoPass::Role::kOnly);
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
    const int64_t skippedBefore = m_damage.skipped;
    Status s = DecodeEach(
        m_decoder.get(), packet, m_frame.get(),
        [&](AVFrame* frame) -> Status {
            if (!Reshape(frame)) {
                return Status::Ok();
            }
            int64_t pts = frame->best_effort_timestamp;
            pts = pts == AV_NOPTS_VALUE ? m_nextPts : pts - m_startOffset;
            const int64_t duration =
                frame->pkt_duration > 0 ? frame->pkt_duration : m_defaultDuration;
            frame->pts = pts;
            frame->sample_aspect_ratio = m_sampleAspect;
            ++m_framesDecoded;
            m_nextPts = pts + duration;
            m_endPts = std::max(m_endPts, pts + duration);
            m_inputPosition = std::max(m_inputPosition, pts * av_q2d(m_timeBase));
            frame->pict_type = AV_PICTURE_TYPE_NONE;
            if (Status pushed = m_chain.Push(frame); !pushed) {
                return pushed;
            }
            return Filtered(write);
        },
        &m_damage);
    // The picture before a skipped packet stays on to where the packet would have ended, also
    // when nothing good follows it.
    if (s && packet && packet->pts != AV_NOPTS_VALUE && m_damage.skipped > skippedBefore) {
        const int64_t duration = packet->duration > 0 ? packet->duration : m_defaultDuration;
        m_endPts = std::max(m_endPts, packet->pts - m_startOffset + duration);
    }
    return s;
}

bool VideoTrack::Reshape(AVFrame* frame) {
    if (frame->width == m_chainWidth && frame->height == m_chainHeight &&
        frame->format == m_chainFormat) {
        return true;
    }
    if (frame->width <= 0 || frame->height <= 0 || frame->format < 0) {
        m_damage.Skip(AVERROR_INVALIDDATA);
        return false;
    }
    if (m_chainTakesAnyPicture) {
        return true;
    }
    m_reshaper.reset(sws_getCachedContext(m_reshaper.release(), frame->width, frame->height,
                                          static_cast<AVPixelFormat>(frame->format), m_chainWidth,
                                          m_chainHeight, static_cast<AVPixelFormat>(m_chainFormat),
                                          SWS_BICUBIC, nullptr, nullptr, nullptr));
    AVFrame* out = m_reshaped.get();
    av_frame_unref(out);
    out->width = m_chainWidth;
    out->height = m_chainHeight;
    out->format = m_chainFormat;
    int error = m_reshaper ? av_frame_get_buffer(out, 0) : AVERROR(EINVAL);
    if (error >= 0) {
        error = sws_scale(m_reshaper.get(), frame->data, frame->linesize, 0, frame->height,
                          out->data, out->linesize);
    }
    if (error >= 0) {
        error = av_frame_copy_props(out, frame);
    }
    if (error < 0) {
        m_damage.Skip(error);
        return false;
    }
    av_frame_unref(frame);
    av_frame_move_ref(frame, out);
    return true;
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
        if (m_budget) {
            Plan(m_filtered.get());
        }
        Status s =
            EncodeAndWrite(m_encoder.get(), m_filtered.get(), m_packet.get(), Labelled(write));
        av_frame_unref(m_filtered.get());
        if (!s) {
            return s;
        }
        ++m_framesEncoded;
    }
}

Status VideoTrack::Drain(const PacketWriter& write) {
    if (!m_decoder || m_drained) {
        return Status::Ok();
    }
    m_drained = true;
    return Feed(nullptr, write);
}

Status VideoTrack::Finish(const PacketWriter& write) {
    if (Status s = Drain(write); !s) {
        return s;
    }
    // The frame-rate filter rounds the input's end to whole output frames, so a clip shorter
    // than half of one, such as a still picture, would give none; it lasts at least one.
    int64_t end = m_endPts;
    if (m_still) {
        // The picture lasts to the end of the sound, to the next whole frame.
        const AVRational frame = av_inv_q(m_encoder->framerate);
        end = av_rescale_q_rnd(av_rescale_q_rnd(end, m_timeBase, frame, AV_ROUND_UP), frame,
                               m_timeBase, AV_ROUND_UP);
    }
    if (m_framesDecoded > 0) {
        end = std::max(
            end, av_rescale_q_rnd(1, av_inv_q(m_encoder->framerate), m_timeBase, AV_ROUND_UP));
    }
    if (Status s = m_chain.Close(end); !s) {
        return s;
    }
    if (Status s = Filtered(write); !s) {
        return s;
    }
    return EncodeAndWrite(m_encoder.get(), nullptr, m_packet.get(), Labelled(write));
}

void VideoTrack::Plan(AVFrame* picture) {
    const bool key = m_framesEncoded % std::max(1, m_encoder->gop_size) == 0;
    m_plan = m_budget->Next(key);
    if (m_plan.repeat && m_lastPicture->buf[0]) {
        const int64_t pts = picture->pts;
        av_frame_unref(picture);
        av_frame_ref(picture, m_lastPicture.get());
        picture->pts = pts;
    } else {
        m_plan.repeat = false;
        av_frame_unref(m_lastPicture.get());
        av_frame_ref(m_lastPicture.get(), picture);
    }
    picture->quality = m_plan.quantiser * FF_QP2LAMBDA;
    picture->pict_type = key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
}

PacketWriter VideoTrack::Labelled(const PacketWriter& write) {
    return [this, &write](AVPacket* packet) {
        Label(packet);
        if (m_budget) {
            m_budget->Coded(m_plan.quantiser, packet->flags & AV_PKT_FLAG_KEY, m_plan.repeat,
                            packet->size);
        }
        return write(packet);
    };
}

void VideoTrack::HoldUntil(double seconds) {
    if (m_timeBase.num > 0 && seconds > 0) {
        m_endPts = std::max(m_endPts, static_cast<int64_t>(seconds / av_q2d(m_timeBase)));
    }
}

double VideoTrack::InputEnd() const {
    return m_timeBase.num > 0 ? m_endPts * av_q2d(m_timeBase) : 0;
}

double VideoTrack::OutputEnd() const {
    return m_encoder ? m_framesEncoded * av_q2d(m_encoder->time_base) : 0;
}

}  // namespace tarv::tools
