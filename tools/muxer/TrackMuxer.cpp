#include "TrackMuxer.h"

#include <cctype>
#include <cstdio>
#include <memory>

#include "InBandHeaders.h"
#include "LibavHandles.h"
#include "MediaFiles.h"
#include "ProgressReport.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace tarv::tools {

namespace {

// The AAC encoder's priming: the first 1024 samples of every AAC stream only warm up the
// decoder. AVI and ADTS cannot say so, so they reach us at time zero and are moved back here,
// which gives the 3GPP file an edit list and the sound its true start and length.
constexpr int64_t kAacPrimingSamples = 1024;

// Where packets come from: the existing target or one of the new track files.
struct Source {
    std::string path;
    InputContextPtr input;
    std::vector<int> outputIndex;  // per input stream; -1 when the stream is not copied
    bool rawTrack = false;         // raw streams carry no usable timestamps: stamp them
    AVRational stampBase{1, 1};    // the time base a raw track is stamped in
    int64_t stamped = 0;           // next timestamp for a raw track, in stampBase
    int64_t clipEnd = INT64_MAX;   // where a raw AAC track is cut off, in stampBase
    AVCodecID strippedHeaders = AV_CODEC_ID_NONE;  // a raw video track's codec, once its
                                                   // headers are in the sample description
    PacketPtr pending{av_packet_alloc()};
    bool hasPending = false;
    bool finished = false;
};

bool FitsIn3gp(const AVCodecParameters* par) {
    switch (par->codec_id) {
        case AV_CODEC_ID_MPEG4:
        case AV_CODEC_ID_H264:
        case AV_CODEC_ID_H263:
        case AV_CODEC_ID_AAC:
        case AV_CODEC_ID_AMR_NB:
        case AV_CODEC_ID_AMR_WB:
            return true;
        default:
            return false;
    }
}

// The raw track files are named by what they hold, and are read as that. Guessing from the
// contents fails on the shortest tracks: an ADTS file of one or two frames looks like nothing.
const AVInputFormat* RawTrackFormatFor(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return nullptr;
    }
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const char* format = nullptr;
    if (extension == "m4v") {
        format = "m4v";
    } else if (extension == "264" || extension == "h264") {
        format = "h264";
    } else if (extension == "aac") {
        format = "aac";
    }
    return format ? av_find_input_format(format) : nullptr;
}

Status AddStream(AVFormatContext* output, const AVStream* in, AVRational timeBase, int& index) {
    AVStream* out = avformat_new_stream(output, nullptr);
    if (!out) {
        return Status::Failure("out of memory");
    }
    const int error = avcodec_parameters_copy(out->codecpar, in->codecpar);
    if (error < 0) {
        return AvFailure("cannot set up the 3GPP writer", error);
    }
    // Each container has its own tags for a codec; the writer picks the 3GPP one.
    out->codecpar->codec_tag = 0;
    out->time_base = timeBase;
    out->disposition = in->disposition;
    // The track header's display width comes from the stream's pixel shape: a player that
    // sizes the picture from it alone must see the same shape as one that reads the pixel
    // aspect box.
    AVRational sar = in->sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0) {
        sar = in->codecpar->sample_aspect_ratio;
    }
    if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && sar.num > 0 && sar.den > 0) {
        out->sample_aspect_ratio = sar;
        out->codecpar->sample_aspect_ratio = sar;
    }
    index = out->index;
    return Status::Ok();
}

Status OpenTrack(const std::string& path, AVRational frameRate, AVFormatContext* output,
                 Source& source) {
    AVDictionary* options = nullptr;
    const std::string rate = std::to_string(frameRate.num) + "/" + std::to_string(frameRate.den);
    av_dict_set(&options, "framerate", rate.c_str(), 0);
    const AVInputFormat* rawFormat = RawTrackFormatFor(path);
    Status opened = OpenMediaInput(path, true, source.input, &options, rawFormat);
    av_dict_free(&options);
    if (!opened) {
        return opened;
    }
    source.path = path;
    source.rawTrack = rawFormat != nullptr;
    source.outputIndex.assign(source.input->nb_streams, -1);
    int chosen = av_find_best_stream(source.input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (chosen < 0) {
        chosen = av_find_best_stream(source.input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    }
    if (chosen < 0) {
        return Status::Failure(path + " holds no video or audio track");
    }
    const AVStream* in = source.input->streams[chosen];
    if (!FitsIn3gp(in->codecpar)) {
        return Status::Failure(std::string("cannot put ") +
                               avcodec_get_name(in->codecpar->codec_id) + " from " + path +
                               " into a 3GPP file");
    }
    if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
        (in->codecpar->width <= 0 || in->codecpar->height <= 0)) {
        return Status::Failure("cannot tell the picture size of " + path);
    }
    if (in->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && in->codecpar->sample_rate <= 0) {
        return Status::Failure("cannot tell the sample rate of " + path);
    }
    AVRational timeBase = in->time_base;
    if (source.rawTrack) {
        timeBase = in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
                       ? av_inv_q(frameRate)
                       : AVRational{1, in->codecpar->sample_rate};
        source.stampBase = timeBase;
        if (in->codecpar->codec_id == AV_CODEC_ID_AAC) {
            source.stamped = -kAacPrimingSamples;
        }
        // The encoders repeat the stream headers at every key frame so that the raw track can
        // be read from any of them; the 3GPP file names them once, in the sample description.
        if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && in->codecpar->extradata_size > 0) {
            source.strippedHeaders = in->codecpar->codec_id;
        }
    }
    return AddStream(output, in, timeBase, source.outputIndex[chosen]);
}

Status OpenExistingTarget(const std::string& path, AVFormatContext* output, Source& source) {
    if (Status s = OpenMediaInput(path, true, source.input); !s) {
        return Status::Failure(s.Message() + " (the file to add the track to)");
    }
    source.path = path;
    source.outputIndex.assign(source.input->nb_streams, -1);
    for (unsigned i = 0; i < source.input->nb_streams; ++i) {
        const AVStream* in = source.input->streams[i];
        const AVMediaType type = in->codecpar->codec_type;
        if ((type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) && FitsIn3gp(in->codecpar)) {
            if (Status s = AddStream(output, in, in->time_base, source.outputIndex[i]); !s) {
                return s;
            }
        }
    }
    return Status::Ok();
}

// Reads the source's next packet that goes into the output into `packet`; false at the end.
Status ReadMapped(Source& source, AVPacket* packet, bool& got) {
    got = false;
    while (true) {
        const int error = av_read_frame(source.input.get(), packet);
        if (error == AVERROR_EOF) {
            return Status::Ok();
        }
        if (error < 0) {
            return AvFailure("cannot read " + source.path, error);
        }
        const int index = packet->stream_index;
        const int out =
            index < static_cast<int>(source.outputIndex.size()) ? source.outputIndex[index] : -1;
        if (out >= 0 && packet->size > 0) {
            got = true;
            return Status::Ok();
        }
        av_packet_unref(packet);
    }
}

// Makes the source's next packet pending, stamped in the output's time base.
Status ReadNext(Source& source, AVFormatContext* output) {
    AVPacket* packet = source.pending.get();
    bool got = false;
    if (Status s = ReadMapped(source, packet, got); !s) {
        return s;
    }
    // A raw AAC track ends with the picture: the frames after it are dropped and the one it
    // ends in is cut short, so the edit list gives the sound the picture's length.
    if (!got || source.stamped >= source.clipEnd) {
        av_packet_unref(packet);
        source.finished = true;
        return Status::Ok();
    }

    const AVStream* in = source.input->streams[packet->stream_index];
    const int out = source.outputIndex[packet->stream_index];
    const AVStream* st = output->streams[out];
    if (source.rawTrack) {
        // Frame n of a raw video track plays at n / rate; an AAC frame lasts its samples.
        int64_t duration = 1;
        if (in->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            duration = packet->duration > 0
                           ? av_rescale_q(packet->duration, in->time_base, source.stampBase)
                           : 1024;
            if (source.stamped + duration > source.clipEnd) {
                duration = source.clipEnd - source.stamped;
            }
        }
        if (const size_t headers = LeadingHeaderBytes(source.strippedHeaders, packet->data,
                                                      static_cast<size_t>(packet->size))) {
            packet->data += headers;
            packet->size -= static_cast<int>(headers);
        }
        packet->pts = packet->dts = source.stamped;
        packet->duration = duration;
        source.stamped += duration;
        // The writer may have chosen a finer time base of its own when it wrote the header.
        av_packet_rescale_ts(packet, source.stampBase, st->time_base);
    } else {
        av_packet_rescale_ts(packet, in->time_base, st->time_base);
    }
    packet->stream_index = out;
    packet->pos = -1;
    source.hasPending = true;
    return Status::Ok();
}

// The end of the existing target's video in `timeBase`; 0 when it has none.
int64_t VideoEndOf(const Source& target, AVRational timeBase) {
    int64_t end = 0;
    for (unsigned i = 0; i < target.input->nb_streams; ++i) {
        const AVStream* st = target.input->streams[i];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && st->duration > 0 &&
            target.outputIndex[i] >= 0) {
            end = std::max(end, av_rescale_q(st->duration, st->time_base, timeBase));
        }
    }
    return end;
}

double PacketSeconds(const AVPacket* packet, const AVStream* stream) {
    const int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    return ts == AV_NOPTS_VALUE ? 0 : ts * av_q2d(stream->time_base);
}

}  // namespace

Status RunMux(const MuxJob& job) {
    StagedOutput staged(job.target);
    OutputContextPtr output;
    if (Status s = staged.Open("3gp", output); !s) {
        return s;
    }
    std::vector<std::unique_ptr<Source>> sources;
    // Only the file that lay at the target when the staged output looked is ever added to: a
    // file that turns up there later makes the commit fail instead of being merged.
    const bool targetExists = staged.TargetExisted();
    if (targetExists) {
        sources.push_back(std::make_unique<Source>());
        if (Status s = OpenExistingTarget(job.target, output.get(), *sources.back()); !s) {
            return s;
        }
    }
    const AVRational frameRate{job.frameRate.first, job.frameRate.second};
    double duration = 0;
    for (const std::string& track : job.tracks) {
        sources.push_back(std::make_unique<Source>());
        if (Status s = OpenTrack(track, frameRate, output.get(), *sources.back()); !s) {
            return s;
        }
        duration = std::max(duration, ContainerDurationSeconds(sources.back()->input.get()));
    }
    for (const auto& source : sources) {
        if (targetExists && source->rawTrack &&
            source->input->streams[0]->codecpar->codec_id == AV_CODEC_ID_AAC) {
            if (const int64_t end = VideoEndOf(*sources.front(), source->stampBase); end > 0) {
                source->clipEnd = end;
            }
        }
        if (!source->pending) {
            return Status::Failure("out of memory");
        }
    }
    // The index goes before the media data, so a player can start while the file downloads.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    int error = avformat_write_header(output.get(), &options);
    av_dict_free(&options);
    if (error < 0) {
        return AvFailure("cannot write " + job.target, error);
    }

    // Merge the sources by time, one packet ahead each, so the file comes out interleaved
    // without holding any source whole in memory.
    ProgressPrinter progress(stdout, duration);
    int64_t written = 0;
    double position = 0;
    while (true) {
        Source* next = nullptr;
        for (const auto& source : sources) {
            if (!source->hasPending && !source->finished) {
                if (Status s = ReadNext(*source, output.get()); !s) {
                    return s;
                }
            }
            if (!source->hasPending) {
                continue;
            }
            const AVPacket* p = source->pending.get();
            if (!next ||
                av_compare_ts(p->dts, output->streams[p->stream_index]->time_base,
                              next->pending->dts,
                              output->streams[next->pending->stream_index]->time_base) < 0) {
                next = source.get();
            }
        }
        if (!next) {
            break;
        }
        AVPacket* packet = next->pending.get();
        position = std::max(position, PacketSeconds(packet, output->streams[packet->stream_index]));
        next->hasPending = false;
        error = av_interleaved_write_frame(output.get(), packet);
        if (error < 0) {
            return AvFailure("cannot write " + job.target, error);
        }
        ++written;
        progress.Update(position, written, avio_tell(output->pb));
    }
    const int64_t size = avio_tell(output->pb);
    // Every packet is written: the sources are closed before the commit, since Windows
    // refuses to replace the existing target while this process still has it open.
    sources.clear();
    if (Status s = staged.Commit(output); !s) {
        return s;
    }
    progress.Finish(position, written, size);
    return Status::Ok();
}

}  // namespace tarv::tools
