#include "MediaFacts.h"

#include <cmath>
#include <cstdio>

#include "LibavHandles.h"
#include "MediaFiles.h"

namespace tarv::tools {

namespace {

void AddLine(std::string& report, const char* key, const std::string& value) {
    report += "ID_";
    report += key;
    report += '=';
    report += value;
    report += "\r\n";
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

bool NeedsStreamInfo(const AVFormatContext* input) {
    if (input->nb_streams == 0 || input->duration == AV_NOPTS_VALUE) {
        return true;
    }
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters* par = input->streams[i]->codecpar;
        if (par->codec_id == AV_CODEC_ID_NONE) {
            return true;
        }
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && (par->width <= 0 || par->height <= 0)) {
            return true;
        }
        if (par->codec_type == AVMEDIA_TYPE_AUDIO &&
            (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0)) {
            return true;
        }
    }
    return false;
}

// For the rare container that names no length at all: read every packet and take the
// latest end time.
double MeasureByDemuxing(AVFormatContext* input) {
    PacketPtr packet(av_packet_alloc());
    double first = HUGE_VAL;
    double last = 0;
    while (packet && av_read_frame(input, packet.get()) >= 0) {
        const AVStream* st = input->streams[packet->stream_index];
        const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (ts != AV_NOPTS_VALUE) {
            const double start = ts * av_q2d(st->time_base);
            first = std::min(first, start);
            last = std::max(last,
                            start + std::max<int64_t>(0, packet->duration) * av_q2d(st->time_base));
        }
        av_packet_unref(packet.get());
    }
    return first <= last ? last - first : -1;
}

}  // namespace

std::string FormatIdentifyReport(const MediaFacts& facts) {
    std::string report;
    AddLine(report, "FILENAME", facts.path);
    AddLine(report, "CONTAINER", facts.container);
    if (facts.video) {
        const VideoFacts& v = *facts.video;
        AddLine(report, "VIDEO_CODEC", v.codec);
        AddLine(report, "VIDEO_BITRATE", std::to_string(v.bitrate));
        AddLine(report, "VIDEO_WIDTH", std::to_string(v.width));
        AddLine(report, "VIDEO_HEIGHT", std::to_string(v.height));
        AddLine(report, "VIDEO_FPS", Fixed(v.fps, 3));
        AddLine(report, "VIDEO_ROTATION", std::to_string(v.rotation));
    }
    if (facts.audio) {
        const AudioFacts& a = *facts.audio;
        AddLine(report, "AUDIO_CODEC", a.codec);
        AddLine(report, "AUDIO_BITRATE", std::to_string(a.bitrate));
        AddLine(report, "AUDIO_RATE", std::to_string(a.sampleRate));
        AddLine(report, "AUDIO_NCH", std::to_string(a.channels));
    }
    if (facts.lengthSeconds >= 0) {
        AddLine(report, "LENGTH", Fixed(facts.lengthSeconds, 2));
    }
    return report;
}

Status IdentifyMedia(const std::string& path, MediaFacts& facts) {
    facts = MediaFacts{};
    facts.path = path;
    InputContextPtr input;
    if (Status s = OpenMediaInput(path, false, input); !s) {
        return s;
    }
    // Reading the stream info decodes frames and costs most of the time; containers that name
    // their streams and length in the header do without it.
    if (NeedsStreamInfo(input.get())) {
        if (Status s = ReadStreamInfo(path, input); !s) {
            return s;
        }
    }
    facts.container = input->iformat->name;

    const int videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    // Cover art is a picture that goes with the sound, not video.
    if (videoIndex >= 0 &&
        !(input->streams[videoIndex]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        const AVStream* st = input->streams[videoIndex];
        VideoFacts v;
        v.codec = avcodec_get_name(st->codecpar->codec_id);
        v.width = st->codecpar->width;
        v.height = st->codecpar->height;
        const AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
        v.fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
        v.rotation = ClockwiseRotation(st);
        v.bitrate = st->codecpar->bit_rate;
        facts.video = v;
    }
    const int audioIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (audioIndex >= 0) {
        const AVStream* st = input->streams[audioIndex];
        AudioFacts a;
        a.codec = avcodec_get_name(st->codecpar->codec_id);
        a.sampleRate = st->codecpar->sample_rate;
        a.channels = st->codecpar->ch_layout.nb_channels;
        a.bitrate = st->codecpar->bit_rate;
        facts.audio = a;
    }
    if (!facts.video && !facts.audio) {
        return Status::Failure("cannot read " + path + ": it holds no video or audio");
    }

    const double length = ContainerDurationSeconds(input.get());
    facts.lengthSeconds = length > 0 ? length : MeasureByDemuxing(input.get());
    return Status::Ok();
}

}  // namespace tarv::tools
