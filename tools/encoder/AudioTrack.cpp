#include "AudioTrack.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace tarv::tools {

namespace {

// AAC frames hold 1024 samples; the encoder wants whole frames.
constexpr int kAacFrameSamples = 1024;
constexpr int kDefaultSampleRate = 44100;

// The AAC encoder finds its footing over its first second or so: at low bitrates it codes the
// first frames several dB too loud and with half the accuracy it reaches later. It is run in
// on this many frames of the sound's own start, played backwards, before the real start; their
// packets are dropped.
constexpr int kRunInFrames = 32;

// Makes `frame` `samples` long of silence in the given format.
Status MakeSilence(AVFrame* frame, int samples, AVSampleFormat format, int sampleRate,
                   const AVChannelLayout& layout) {
    av_frame_unref(frame);
    frame->nb_samples = samples;
    frame->format = format;
    frame->sample_rate = sampleRate;
    int error = av_channel_layout_copy(&frame->ch_layout, &layout);
    if (error >= 0) {
        error = av_frame_get_buffer(frame, 0);
    }
    if (error < 0) {
        return AvFailure("cannot make silence", error);
    }
    av_samples_set_silence(frame->extended_data, 0, samples, layout.nb_channels, format);
    return Status::Ok();
}

// Whether the chain that takes frames shaped like `b` takes `a` as it is. A layout that only
// counts its channels goes with any of that many.
bool SameShape(const AVFrame* a, const AVFrame* b) {
    return a->format == b->format && a->sample_rate == b->sample_rate &&
           a->ch_layout.nb_channels == b->ch_layout.nb_channels &&
           (a->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
            b->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
            av_channel_layout_compare(&a->ch_layout, &b->ch_layout) == 0);
}

// Silence is handed to the filters in pieces of at most this many samples.
constexpr int64_t kSilencePiece = 8192;

// The most samples at the encoder's rate one push into the chain may grow to. A frame of a
// very low sample rate grows by the ratio of the rates in the chain: 2048 samples at 1 Hz are
// 45 million at 22050 Hz, held several times over at once.
constexpr int64_t kMostChainSamples = 65536;

}  // namespace

Status AudioTrack::Open(const AVStream* stream, int64_t startOffset,
                        const EncodeSettings& settings) {
    m_startOffset = startOffset;
    m_streamTimeBase = stream->time_base;
    if (!m_frame || !m_filtered || !m_packet) {
        return Status::Failure("out of memory");
    }
    if (Status s = OpenDecoder(stream, m_decoder); !s) {
        return s;
    }
    const AVCodecContext* dec = m_decoder.get();
    if (dec->sample_rate <= 0 || dec->sample_fmt == AV_SAMPLE_FMT_NONE ||
        dec->ch_layout.nb_channels <= 0) {
        return Status::Failure("cannot tell the sample format of the input's audio");
    }
    AVChannelLayout layout{};
    if (dec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&layout, dec->ch_layout.nb_channels);
    } else {
        av_channel_layout_copy(&layout, &dec->ch_layout);
    }
    char layoutText[128] = {};
    av_channel_layout_describe(&layout, layoutText, sizeof(layoutText));
    if (!m_sourceShape || !m_reshapedFrom || !m_reshaped) {
        av_channel_layout_uninit(&layout);
        return Status::Failure("out of memory");
    }
    m_sourceShape->format = dec->sample_fmt;
    m_sourceShape->sample_rate = dec->sample_rate;
    av_channel_layout_uninit(&m_sourceShape->ch_layout);
    m_sourceShape->ch_layout = layout;  // the frame owns it from here

    const std::string sourceArgs = "time_base=1/" + std::to_string(dec->sample_rate) +
                                   ":sample_rate=" + std::to_string(dec->sample_rate) +
                                   ":sample_fmt=" + av_get_sample_fmt_name(dec->sample_fmt) +
                                   ":channel_layout=" + layoutText;
    m_sourceRate = dec->sample_rate;
    const int rate = settings.sampleRate > 0 ? settings.sampleRate : dec->sample_rate;
    // Fewer channels asked for than the input has are mixed down.
    const int channels = settings.channels > 0
                             ? std::min(settings.channels, dec->ch_layout.nb_channels)
                             : dec->ch_layout.nb_channels;
    if (Status s = m_chain.Configure(false, sourceArgs, AudioChainDescription(rate, channels));
        !s) {
        return s;
    }
    AVChannelLayout outLayout{};
    av_buffersink_get_ch_layout(m_chain.Sink(), &outLayout);
    const int outRate = av_buffersink_get_sample_rate(m_chain.Sink());
    Status s = OpenEncoder(outRate, outLayout, settings.audioKbps);
    av_channel_layout_uninit(&outLayout);
    if (!s) {
        return s;
    }
    av_buffersink_set_frame_size(const_cast<AVFilterContext*>(m_chain.Sink()),
                                 m_encoder->frame_size);
    // The limiter runs whether or not the loudness is evened out: a down-mix alone can pass
    // full scale.
    LevellerSettings leveller;
    leveller.sampleRate = outRate;
    leveller.channels = m_encoder->ch_layout.nb_channels;
    leveller.level = settings.normaliseVolume;
    leveller.ceilingDb = SoundCeilingDb(outRate, leveller.channels, settings.audioKbps);
    m_leveller.emplace(leveller);
    return Status::Ok();
}

Status AudioTrack::OpenSilent(const EncodeSettings& settings) {
    m_silent = true;
    if (!m_frame || !m_packet) {
        return Status::Failure("out of memory");
    }
    const AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    return OpenEncoder(settings.sampleRate > 0 ? settings.sampleRate : kDefaultSampleRate, mono,
                       settings.audioKbps);
}

Status AudioTrack::OpenEncoder(int sampleRate, const AVChannelLayout& layout, int kbps) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) {
        return Status::Failure("this build has no AAC encoder");
    }
    m_encoder.reset(avcodec_alloc_context3(codec));
    if (!m_encoder) {
        return Status::Failure("out of memory");
    }
    AVCodecContext* enc = m_encoder.get();
    enc->sample_rate = sampleRate;
    enc->sample_fmt = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_copy(&enc->ch_layout, &layout);
    enc->bit_rate = static_cast<int64_t>(kbps) * 1000;
    enc->profile = FF_PROFILE_AAC_LOW;
    enc->time_base = AVRational{1, sampleRate};
    // The decoded peaks must stay predictable for the limiter's ceiling to hold. Noise
    // substitution, noise shaping and the two-loop quantiser search lifted them by up to 6 dB
    // on tones and tone onsets; the constant-quantiser search without those stays within the
    // margins the ceiling allows, and its error on speech and music at 32 kbit/s was no larger.
    av_opt_set(enc->priv_data, "aac_coder", "fast", 0);
    av_opt_set_int(enc->priv_data, "aac_pns", 0, 0);
    av_opt_set_int(enc->priv_data, "aac_tns", 0, 0);
    av_opt_set_int(enc->priv_data, "aac_is", 0, 0);
    const int error = avcodec_open2(enc, codec, nullptr);
    if (error < 0) {
        return AvFailure("cannot open the AAC encoder", error);
    }
    return Status::Ok();
}

Status AudioTrack::Encode(const AVFrame* frame, const PacketWriter& write) {
    if (m_silent) {
        return EncodeAndWrite(m_encoder.get(), frame, m_packet.get(), write);
    }
    // Packets that end before the encoder's own priming ends carry only the run-in.
    const int64_t firstKept = -m_encoder->initial_padding;
    return EncodeAndWrite(m_encoder.get(), frame, m_packet.get(), [&](AVPacket* packet) {
        return packet->pts != AV_NOPTS_VALUE && packet->pts < firstKept ? Status::Ok()
                                                                        : write(packet);
    });
}

Status AudioTrack::Feed(const AVPacket* packet, const PacketWriter& write) {
    const AVRational sampleBase{1, m_sourceRate};
    const int64_t skippedBefore = m_damage.skipped;
    Status s = DecodeEach(
        m_decoder.get(), packet, m_frame.get(),
        [&](AVFrame* frame) -> Status {
            const int64_t timestamp = frame->best_effort_timestamp;
            int64_t pts = timestamp == AV_NOPTS_VALUE ? m_nextPts
                                                      : av_rescale_q(timestamp - m_startOffset,
                                                                     m_streamTimeBase, sampleBase);
            if (!Reshape(frame)) {
                m_gapEnd = std::max(m_gapEnd, m_nextPts);
                return Status::Ok();
            }
            ++m_framesDecoded;
            // Skipped packets before this frame leave a gap; silence of their length keeps
            // what follows in step with the picture.
            if (m_gapEnd != AV_NOPTS_VALUE) {
                if (timestamp == AV_NOPTS_VALUE) {
                    pts = std::max(pts, m_gapEnd);
                }
                m_gapEnd = AV_NOPTS_VALUE;
                if (Status gap = PushSilence(m_nextPts, pts, write); !gap) {
                    return gap;
                }
            }
            frame->pts = pts;
            m_nextPts = pts + frame->nb_samples;
            return frame->nb_samples > 0 ? Push(frame, write) : Status::Ok();
        },
        &m_damage);
    if (s && packet && m_damage.skipped > skippedBefore) {
        int64_t end = m_nextPts;
        if (packet->pts != AV_NOPTS_VALUE) {
            end = av_rescale_q(packet->pts - m_startOffset + std::max<int64_t>(0, packet->duration),
                               m_streamTimeBase, sampleBase);
        }
        m_gapEnd = std::max({m_gapEnd, end, m_nextPts});
    }
    if (m_damage.skipped > 0) {
        m_damageSeen = true;
    }
    return s;
}

Status AudioTrack::Push(AVFrame* frame, const PacketWriter& write) {
    const int64_t most =
        std::max<int64_t>(1, kMostChainSamples * m_sourceRate / m_encoder->sample_rate);
    if (frame->nb_samples <= most) {
        if (Status s = m_chain.Push(frame); !s) {
            return s;
        }
        return Filtered(write);
    }
    // The frame may be the decoder's, which the encoder's run-in reuses between two pieces.
    const FramePtr whole(av_frame_clone(frame));
    FramePtr piece(av_frame_alloc());
    if (!whole || !piece) {
        return Status::Failure("out of memory");
    }
    const auto format = static_cast<AVSampleFormat>(whole->format);
    for (int from = 0; from < whole->nb_samples;) {
        const int samples = static_cast<int>(std::min<int64_t>(most, whole->nb_samples - from));
        if (Status s =
                MakeSilence(piece.get(), samples, format, whole->sample_rate, whole->ch_layout);
            !s) {
            return s;
        }
        av_samples_copy(piece->extended_data, whole->extended_data, 0, from, samples,
                        whole->ch_layout.nb_channels, format);
        piece->pts = whole->pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : whole->pts + from;
        from += samples;
        if (Status s = m_chain.Push(piece.get()); !s) {
            return s;
        }
        if (Status s = Filtered(write); !s) {
            return s;
        }
    }
    return Status::Ok();
}

Status AudioTrack::PushSilence(int64_t from, int64_t to, const PacketWriter& write) {
    FramePtr silence(av_frame_alloc());
    if (!silence) {
        return Status::Failure("out of memory");
    }
    while (from < to) {
        const int samples = static_cast<int>(std::min(kSilencePiece, to - from));
        if (Status s = MakeSilence(silence.get(), samples,
                                   static_cast<AVSampleFormat>(m_sourceShape->format), m_sourceRate,
                                   m_sourceShape->ch_layout);
            !s) {
            return s;
        }
        silence->pts = from;
        from += samples;
        if (Status s = Push(silence.get(), write); !s) {
            return s;
        }
    }
    m_nextPts = std::max(m_nextPts, to);
    return Status::Ok();
}

bool AudioTrack::Reshape(AVFrame* frame) {
    if (SameShape(frame, m_sourceShape.get())) {
        return true;
    }
    if (frame->sample_rate <= 0 || frame->ch_layout.nb_channels <= 0 || frame->format < 0) {
        m_damage.Skip(AVERROR_INVALIDDATA);
        return false;
    }
    int error = 0;
    if (!m_reshaper || !SameShape(frame, m_reshapedFrom.get())) {
        AVChannelLayout from{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&from, frame->ch_layout.nb_channels);
        } else {
            av_channel_layout_copy(&from, &frame->ch_layout);
        }
        SwrContext* reshaper = nullptr;
        error = swr_alloc_set_opts2(&reshaper, &m_sourceShape->ch_layout,
                                    static_cast<AVSampleFormat>(m_sourceShape->format),
                                    m_sourceRate, &from, static_cast<AVSampleFormat>(frame->format),
                                    frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&from);
        m_reshaper.reset(reshaper);
        if (error >= 0) {
            error = swr_init(reshaper);
        }
        av_frame_unref(m_reshapedFrom.get());
        if (error >= 0) {
            m_reshapedFrom->format = frame->format;
            m_reshapedFrom->sample_rate = frame->sample_rate;
            error = av_channel_layout_copy(&m_reshapedFrom->ch_layout, &frame->ch_layout);
        }
    }
    AVFrame* out = m_reshaped.get();
    av_frame_unref(out);
    if (error >= 0) {
        out->format = m_sourceShape->format;
        out->sample_rate = m_sourceRate;
        error = av_channel_layout_copy(&out->ch_layout, &m_sourceShape->ch_layout);
    }
    if (error >= 0) {
        out->nb_samples = swr_get_out_samples(m_reshaper.get(), frame->nb_samples);
        error = out->nb_samples > 0 ? av_frame_get_buffer(out, 0) : 0;
    }
    if (error >= 0 && out->nb_samples > 0) {
        error = swr_convert(m_reshaper.get(), out->extended_data, out->nb_samples,
                            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        out->nb_samples = std::max(error, 0);
    }
    if (error < 0) {
        m_reshaper.reset();
        m_damage.Skip(error);
        return false;
    }
    av_frame_unref(frame);
    av_frame_move_ref(frame, out);
    return true;
}

Status AudioTrack::Filtered(const PacketWriter& write) {
    while (true) {
        const int error = m_chain.Pull(m_filtered.get());
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) {
            return Status::Ok();
        }
        if (error < 0) {
            return AvFailure("cannot filter the audio", error);
        }
        AVFrame* frame = m_filtered.get();
        if (m_levelledPts == AV_NOPTS_VALUE) {
            m_levelledPts = frame->pts != AV_NOPTS_VALUE ? frame->pts : 0;
        }
        m_leveller->Push(reinterpret_cast<const float* const*>(frame->extended_data),
                         frame->nb_samples);
        av_frame_unref(frame);
        if (Status s = Levelled(false, write); !s) {
            return s;
        }
    }
}

// Hands on the levelled sound in whole encoder frames; the `last` call hands on the rest.
Status AudioTrack::Levelled(bool last, const PacketWriter& write) {
    const AVCodecContext* enc = m_encoder.get();
    while (m_leveller->Ready() >= enc->frame_size || (last && m_leveller->Ready() > 0)) {
        AVFrame* frame = m_filtered.get();
        const int samples = std::min(enc->frame_size, m_leveller->Ready());
        if (Status s =
                MakeSilence(frame, samples, enc->sample_fmt, enc->sample_rate, enc->ch_layout);
            !s) {
            return s;
        }
        m_leveller->Pull(reinterpret_cast<float* const*>(frame->extended_data), samples);
        frame->pts = m_levelledPts;
        m_levelledPts += samples;
        Status s = Encoded(frame, write);
        av_frame_unref(frame);
        if (!s) {
            return s;
        }
    }
    return Status::Ok();
}

Status AudioTrack::Encoded(AVFrame* frame, const PacketWriter& write) {
    if (m_ranIn) {
        return Encode(frame, write);
    }
    m_heldBack.emplace_back(av_frame_clone(frame));
    if (!m_heldBack.back()) {
        return Status::Failure("out of memory");
    }
    return m_heldBack.size() == kRunInFrames ? RunIn(write) : Status::Ok();
}

Status AudioTrack::RunIn(const PacketWriter& write) {
    m_ranIn = true;
    const AVCodecContext* enc = m_encoder.get();
    if (!m_heldBack.empty() && enc->sample_fmt == AV_SAMPLE_FMT_FLTP) {
        // Time -j holds the sound at j - 1, so the run-in meets the start without a jump.
        const int64_t length = static_cast<int64_t>(kRunInFrames) * enc->frame_size;
        auto sampleAt = [this](int channel, int64_t index) -> float {
            for (const FramePtr& held : m_heldBack) {
                if (index < held->nb_samples) {
                    return reinterpret_cast<const float*>(held->extended_data[channel])[index];
                }
                index -= held->nb_samples;
            }
            return 0;
        };
        AVFrame* frame = m_frame.get();
        for (int64_t start = -length; start < 0; start += enc->frame_size) {
            if (Status s = MakeSilence(frame, enc->frame_size, enc->sample_fmt, enc->sample_rate,
                                       enc->ch_layout);
                !s) {
                return s;
            }
            for (int c = 0; c < enc->ch_layout.nb_channels; ++c) {
                float* out = reinterpret_cast<float*>(frame->extended_data[c]);
                for (int i = 0; i < enc->frame_size; ++i) {
                    out[i] = sampleAt(c, -(start + i) - 1);
                }
            }
            frame->pts = start;
            Status s = Encode(frame, write);
            av_frame_unref(frame);
            if (!s) {
                return s;
            }
        }
    }
    for (const FramePtr& held : m_heldBack) {
        if (Status s = Encode(held.get(), write); !s) {
            return s;
        }
    }
    m_heldBack.clear();
    return Status::Ok();
}

Status AudioTrack::FillSilenceUntil(double seconds, bool last, const PacketWriter& write) {
    if (!m_silent) {
        return Status::Ok();
    }
    const AVCodecContext* enc = m_encoder.get();
    int64_t target = static_cast<int64_t>(std::ceil(seconds * enc->sample_rate));
    if (!last) {
        target -= target % kAacFrameSamples;
    }
    while (m_silentSamples < target) {
        AVFrame* frame = m_frame.get();
        const int samples =
            static_cast<int>(std::min<int64_t>(kAacFrameSamples, target - m_silentSamples));
        if (Status s =
                MakeSilence(frame, samples, enc->sample_fmt, enc->sample_rate, enc->ch_layout);
            !s) {
            return s;
        }
        frame->pts = m_silentSamples;
        m_silentSamples += frame->nb_samples;
        Status s = Encode(frame, write);
        av_frame_unref(frame);
        if (!s) {
            return s;
        }
        // Only the last frame may be short; stop rather than make another.
        if (m_silentSamples % kAacFrameSamples != 0) {
            break;
        }
    }
    return Status::Ok();
}

Status AudioTrack::Finish(const PacketWriter& write) {
    if (!m_silent) {
        if (Status s = Feed(nullptr, write); !s) {
            return s;
        }
        // Damage at the very end: silence to where the skipped packets ended, or to where the
        // caller says the sound should have gone on.
        const auto until = static_cast<int64_t>(std::llround(m_silenceUntil * m_sourceRate));
        if (until > m_nextPts) {
            m_gapEnd = std::max(m_gapEnd, until);
        }
        if (m_gapEnd != AV_NOPTS_VALUE) {
            if (Status s = PushSilence(m_nextPts, m_gapEnd, write); !s) {
                return s;
            }
            m_gapEnd = AV_NOPTS_VALUE;
        }
        if (Status s = m_chain.Close(m_nextPts); !s) {
            return s;
        }
        if (Status s = Filtered(write); !s) {
            return s;
        }
        m_leveller->Finish();
        if (Status s = Levelled(true, write); !s) {
            return s;
        }
        if (!m_ranIn) {
            if (Status s = RunIn(write); !s) {
                return s;
            }
        }
    }
    return Encode(nullptr, write);
}

}  // namespace tarv::tools
