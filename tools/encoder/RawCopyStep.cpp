#include "RawCopyStep.h"

#include "LibavHandles.h"
#include "MediaFiles.h"
#include "ProgressReport.h"

namespace tarv::tools {

const char* RawVideoFormatFor(AVCodecID codec) {
    switch (codec) {
        case AV_CODEC_ID_MPEG4:
            return "m4v";
        case AV_CODEC_ID_H264:
            return "h264";
        default:
            return nullptr;
    }
}

Status RunRawCopyStep(const EncoderJob& job) {
    const bool video = job.mode == EncoderMode::kRawVideo;
    InputContextPtr input;
    // The AVI header names everything a copy needs; reading stream info would only cost time.
    if (Status s = OpenMediaInput(job.input, false, input); !s) {
        return s;
    }
    const AVMediaType type = video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
    const int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
    if (index < 0) {
        return Status::Failure(job.input + (video ? " holds no video" : " holds no audio"));
    }
    const AVStream* in = input->streams[index];
    const char* format = nullptr;
    if (video) {
        format = RawVideoFormatFor(in->codecpar->codec_id);
        if (!format) {
            return Status::Failure(std::string("cannot copy ") +
                                   avcodec_get_name(in->codecpar->codec_id) +
                                   " video into a raw track: only MPEG-4 and H.264 are written");
        }
    } else {
        if (in->codecpar->codec_id != AV_CODEC_ID_AAC) {
            return Status::Failure(std::string("cannot copy ") +
                                   avcodec_get_name(in->codecpar->codec_id) +
                                   " audio into a raw AAC track");
        }
        if (in->codecpar->extradata_size < 2) {
            return Status::Failure(job.input + " does not describe its AAC audio");
        }
        format = "adts";
    }

    StagedOutput staged(job.output);
    OutputContextPtr output;
    if (Status s = staged.Open(format, output); !s) {
        return s;
    }
    AVStream* out = avformat_new_stream(output.get(), nullptr);
    if (!out) {
        return Status::Failure("out of memory");
    }
    int error = avcodec_parameters_copy(out->codecpar, in->codecpar);
    if (error < 0) {
        return AvFailure("cannot set up the raw writer", error);
    }
    out->codecpar->codec_tag = 0;
    out->time_base = in->time_base;
    error = avformat_write_header(output.get(), nullptr);
    if (error < 0) {
        return AvFailure("cannot write " + job.output, error);
    }

    ProgressPrinter progress(stdout, ContainerDurationSeconds(input.get()));
    PacketPtr packet(av_packet_alloc());
    if (!packet) {
        return Status::Failure("out of memory");
    }
    int64_t copied = 0;
    double position = 0;
    while ((error = av_read_frame(input.get(), packet.get())) >= 0) {
        if (packet->stream_index != index || packet->size == 0) {
            // AVI marks dropped frames with empty chunks; a raw stream has no place for them.
            av_packet_unref(packet.get());
            continue;
        }
        if (packet->dts != AV_NOPTS_VALUE) {
            position = std::max(position, packet->dts * av_q2d(in->time_base));
        }
        packet->stream_index = 0;
        av_packet_rescale_ts(packet.get(), in->time_base, out->time_base);
        error = av_write_frame(output.get(), packet.get());
        av_packet_unref(packet.get());
        if (error < 0) {
            return AvFailure("cannot write " + job.output, error);
        }
        ++copied;
        progress.Update(position, copied, avio_tell(output->pb));
    }
    if (error != AVERROR_EOF) {
        return AvFailure("cannot read " + job.input, error);
    }
    if (copied == 0) {
        return Status::Failure(job.input + (video ? " holds no video frames" : " holds no audio"));
    }
    const int64_t size = avio_tell(output->pb);
    if (Status s = staged.Commit(output); !s) {
        return s;
    }
    progress.Finish(position, copied, size);
    return Status::Ok();
}

}  // namespace tarv::tools
