#include "TrackEncoding.h"

#include "MediaFiles.h"

namespace tarv::tools {

Status OpenDecoder(const AVStream* stream, CodecContextPtr& out) {
    // A stream whose kind the file does not tell is damage, not a kind this build lacks.
    if (stream->codecpar->codec_id == AV_CODEC_ID_NONE) {
        return DamageFailure(AVERROR_DECODER_NOT_FOUND);
    }
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        return Status::Failure(std::string("no decoder for ") +
                               avcodec_get_name(stream->codecpar->codec_id));
    }
    out.reset(avcodec_alloc_context3(codec));
    if (!out) {
        return Status::Failure("out of memory");
    }
    int error = avcodec_parameters_to_context(out.get(), stream->codecpar);
    if (error < 0) {
        return AvFailure("cannot set up the decoder", error);
    }
    out->pkt_timebase = stream->time_base;
    out->thread_count = 0;
    out->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    // Also where the stream changes its size part way, after the header was checked.
    out->max_pixels = kMaxPicturePixels;
    error = avcodec_open2(out.get(), codec, nullptr);
    // A decoder refuses what the file says of its stream only when the header is damaged.
    if (error == AVERROR(EINVAL) || error == AVERROR_INVALIDDATA) {
        return DamageFailure(error);
    }
    if (error < 0) {
        return AvFailure(std::string("cannot open the ") + codec->name + " decoder", error);
    }
    return Status::Ok();
}

Status EncodeAndWrite(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet,
                      const PacketWriter& write) {
    int error = avcodec_send_frame(encoder, frame);
    if (error < 0 && !(frame == nullptr && error == AVERROR_EOF)) {
        return AvFailure(std::string("cannot encode with ") + encoder->codec->name, error);
    }
    while (true) {
        error = avcodec_receive_packet(encoder, packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) {
            return Status::Ok();
        }
        if (error < 0) {
            return AvFailure(std::string("cannot encode with ") + encoder->codec->name, error);
        }
        Status s = write(packet);
        av_packet_unref(packet);
        if (!s) {
            return s;
        }
    }
}

Status DecodeEach(AVCodecContext* decoder, const AVPacket* packet, AVFrame* frame,
                  const std::function<Status(AVFrame*)>& use, DamageTally* damage) {
    auto skip = [damage](int error) {
        if (damage) {
            damage->Skip(error);
        }
    };
    int error = avcodec_send_packet(decoder, packet);
    if (error == AVERROR(ENOMEM)) {
        return AvFailure("cannot decode the input", error);
    }
    if (error < 0 && error != AVERROR_EOF) {
        skip(error);
    }
    // Frame threads report a broken frame on receipt; skip it, but never loop on a decoder
    // that reports nothing else.
    for (int brokenFrames = 0; brokenFrames < 64;) {
        error = avcodec_receive_frame(decoder, frame);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) {
            return Status::Ok();
        }
        if (error == AVERROR(ENOMEM)) {
            return AvFailure("cannot decode the input", error);
        }
        if (error < 0) {
            skip(error);
            ++brokenFrames;
            continue;
        }
        Status s = use(frame);
        av_frame_unref(frame);
        if (!s) {
            return s;
        }
    }
    return Status::Ok();
}

}  // namespace tarv::tools
