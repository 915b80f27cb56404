#include "MediaFiles.h"

#include "PathFacts.h"
#include "SignalCleanup.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/log.h>
}

namespace tarv::tools {

std::string FileUrl(const std::string& path) {
    return "file:" + path;
}

namespace {

// How far a second look reads into a file whose first look left a stream without its size or
// sample format: ten times what the library reads by default, on both counts.
constexpr int64_t kDeepProbeBytes = 50'000'000;
constexpr int64_t kDeepProbeMicroseconds = 50'000'000;

// Whether a picture or sound stream still lacks what its decoder must know to be set up.
bool LacksParameters(const AVFormatContext* input) {
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* st = input->streams[i];
        const AVCodecParameters* par = st->codecpar;
        if (st->disposition & AV_DISPOSITION_ATTACHED_PIC) {
            continue;
        }
        if (par->codec_type == AVMEDIA_TYPE_VIDEO &&
            (par->width <= 0 || par->height <= 0 || par->format < 0)) {
            return true;
        }
        if (par->codec_type == AVMEDIA_TYPE_AUDIO &&
            (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0 || par->format < 0)) {
            return true;
        }
    }
    return false;
}

// Whether the file's first bytes say clearly what kind of file it is, whatever follows them.
// Its name is no evidence: any text file can be called ".avi".
bool KnownKind(const std::string& path) {
    AVIOContext* io = nullptr;
    if (avio_open(&io, FileUrl(path).c_str(), AVIO_FLAG_READ) < 0) {
        return false;
    }
    const AVInputFormat* format = nullptr;
    const int score = av_probe_input_buffer2(io, &format, "", nullptr, 0, 0);
    avio_closep(&io);
    return format && score > AVPROBE_SCORE_RETRY;
}

// The size of the last picture a decoder refused for passing kMaxPicturePixels. Libav says so
// only in its log; a picture whose size only its decoder reads (a PNG's) would otherwise leave
// its stream without a size, as damage does.
std::atomic<unsigned> g_refusedWidth{0}, g_refusedHeight{0};

void NoteRefusedPictures(void* context, int level, const char* format, va_list arguments) {
    if (format && std::strstr(format, "exceeds specified max pixel count")) {
        va_list copy;
        va_copy(copy, arguments);
        g_refusedWidth = va_arg(copy, unsigned);
        g_refusedHeight = va_arg(copy, unsigned);
        va_end(copy);
    }
    av_log_default_callback(context, level, format, arguments);
}

// Reads the start of the input to complete its streams' parameters, with no decoder allowed
// to make a picture larger than kMaxPicturePixels on the way.
int FindStreamInfo(AVFormatContext* input) {
    static std::once_flag watching;
    std::call_once(watching, [] { av_log_set_callback(NoteRefusedPictures); });
    std::vector<AVDictionary*> options(input->nb_streams, nullptr);
    for (AVDictionary*& option : options) {
        av_dict_set_int(&option, "max_pixels", kMaxPicturePixels, 0);
    }
    const int error = avformat_find_stream_info(input, options.data());
    for (AVDictionary*& option : options) {
        av_dict_free(&option);
    }
    return error;
}

// Why the input's pictures are too large to be decoded; empty when none is.
std::string OversizedPicture(const std::string& path, const AVFormatContext* input) {
    int64_t width = g_refusedWidth.exchange(0), height = g_refusedHeight.exchange(0);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters* par = input->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO &&
            static_cast<int64_t>(par->width) * par->height > kMaxPicturePixels) {
            width = par->width;
            height = par->height;
        }
    }
    if (width * height <= kMaxPicturePixels) {
        return {};
    }
    return "cannot decode " + path + ": its pictures are " + std::to_string(width) + "x" +
           std::to_string(height) + ", more than the " +
           std::to_string(kMaxPicturePixels / 1000000) + " million pixels the tools take";
}

Status OpenOnce(const std::string& path, const AVInputFormat* format, AVDictionary* options,
                InputContextPtr& out) {
    AVDictionary* copy = nullptr;
    av_dict_copy(&copy, options, 0);
    AVFormatContext* raw = nullptr;
    const int error = avformat_open_input(&raw, FileUrl(path).c_str(), format, &copy);
    av_dict_free(&copy);
    if (error < 0) {
        if (error == AVERROR(ENOMEM)) {
            return AvFailure("cannot read " + path, error);
        }
        // A header that cannot be read is damage when the file is of a kind the library knows.
        if (error == AVERROR_INVALIDDATA && !KnownKind(path)) {
            return Status::Failure("cannot read " + path + ": not a media file this tool knows");
        }
        return error == AVERROR_INVALIDDATA ? DamageFailure(error)
                                            : AvFailure("cannot read " + path, error);
    }
    out.reset(raw);
    return Status::Ok();
}

}  // namespace

Status OpenMediaInput(const std::string& path, bool findStreamInfo, InputContextPtr& out,
                      AVDictionary** demuxerOptions, const AVInputFormat* format) {
    PathFacts info;
    std::string reason;
    if (!LookAtPath(path, info, &reason)) {
        return Status::Failure("cannot open " + path + ": " + reason);
    }
    if (info.folder) {
        return Status::Failure("cannot open " + path + ": it is a folder, not a media file");
    }
    if (info.special) {
        // Its length reads as 0, which would be reported as an empty file.
        return Status::Failure("cannot open " + path +
                               ": it is a device or a pipe, not a media file");
    }
    if (info.size == 0) {
        return Status::Failure("cannot read " + path + ": the file is empty");
    }
    AVDictionary* options = demuxerOptions ? *demuxerOptions : nullptr;
    if (Status s = OpenOnce(path, format, options, out); !s || !findStreamInfo) {
        return s;
    }
    return ReadStreamInfo(path, out, options, format);
}

Status ReadStreamInfo(const std::string& path, InputContextPtr& input, AVDictionary* options,
                      const AVInputFormat* format) {
    g_refusedWidth = g_refusedHeight = 0;
    int error = FindStreamInfo(input.get());
    if (error >= 0 && LacksParameters(input.get())) {
        // A damaged header or a damaged first stretch: look further before giving up.
        AVDictionary* deeper = nullptr;
        av_dict_copy(&deeper, options, 0);
        av_dict_set_int(&deeper, "probesize", kDeepProbeBytes, 0);
        av_dict_set_int(&deeper, "analyzeduration", kDeepProbeMicroseconds, 0);
        InputContextPtr again;
        Status opened = OpenOnce(path, format ? format : input->iformat, deeper, again);
        av_dict_free(&deeper);
        if (opened && FindStreamInfo(again.get()) >= 0) {
            input = std::move(again);
        }
    }
    if (const std::string oversized = OversizedPicture(path, input.get()); !oversized.empty()) {
        return Status::Failure(oversized);
    }
    if (error < 0) {
        return error == AVERROR(ENOMEM) ? AvFailure("cannot read the streams of " + path, error)
                                        : DamageFailure(error);
    }
    return Status::Ok();
}

double ContainerDurationSeconds(const AVFormatContext* input) {
    if (input->duration != AV_NOPTS_VALUE && input->duration > 0) {
        return input->duration / static_cast<double>(AV_TIME_BASE);
    }
    double longest = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* st = input->streams[i];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
            longest = std::max(longest, st->duration * av_q2d(st->time_base));
        }
    }
    return longest;
}

int ClockwiseRotation(const AVStream* stream) {
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (!matrix) {
        return 0;
    }
    const double angle = av_display_rotation_get(matrix);
    if (std::isnan(angle)) {
        return 0;
    }
    // The matrix holds the counter-clockwise angle; round to the nearest quarter turn.
    int clockwise = static_cast<int>(std::lround(-angle)) % 360;
    if (clockwise < 0) {
        clockwise += 360;
    }
    return (clockwise + 45) / 90 * 90 % 360;
}

std::string StagedPathFor(const std::string& target, int processId) {
    constexpr size_t kLimit = 255;
    constexpr size_t kHashPart = 9;  // "~" and eight hex digits
    const size_t slash = target.rfind(kPathSeparator);
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string folder = target.substr(0, nameStart);
    const std::string name = target.substr(nameStart);
    const std::string tail = "." + std::to_string(processId) + ".tarvpart";
    if (name.size() + tail.size() <= kLimit) {
        return folder + name + tail;
    }
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    size_t cut = kLimit - tail.size() - kHashPart;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    char digits[kHashPart + 1];
    std::snprintf(digits, sizeof digits, "~%08x", hash);
    return folder + name.substr(0, cut) + digits + tail;
}

Status StagedOutput::Open(const char* formatName, OutputContextPtr& out) {
    // Looked at before anything is read or written, so what we read of it and what Commit
    // replaces are the same file.
    m_targetExisted = IdentityAt(m_target, m_targetIdentity);
    // The writer's own name is a file URL too: a writer that reopens its file (the index
    // moved to the front) must read it as a plain file whatever characters the name holds.
    const std::string url = FileUrl(m_temporary);
    AVFormatContext* raw = nullptr;
    int error = avformat_alloc_output_context2(&raw, nullptr, formatName, url.c_str());
    if (error < 0 || !raw) {
        return AvFailure(std::string("cannot set up the ") + formatName + " writer", error);
    }
    out.reset(raw);
    // Registered before the file exists, so a stop at any moment from here on removes it.
    RemoveOnStop(m_temporary);
    error = avio_open(&raw->pb, url.c_str(), AVIO_FLAG_WRITE);
    if (error < 0) {
        return AvFailure("cannot write " + m_target, error);
    }
    m_created = true;
    return Status::Ok();
}

Status StagedOutput::Commit(OutputContextPtr& out) {
    int error = av_write_trailer(out.get());
    if (error < 0) {
        return AvFailure("cannot finish " + m_target, error);
    }
    if (out->pb->error < 0) {
        return AvFailure("cannot write " + m_target, out->pb->error);
    }
    error = avio_closep(&out->pb);
    if (error < 0) {
        return AvFailure("cannot write " + m_target, error);
    }
    out.reset();
    // From the rename on, the name belongs to the finished file: a stop must not remove it.
    KeepOnStop(m_temporary);
    Status replaced = Replace();
    if (!replaced) {
        RemoveOnStop(m_temporary);
        return replaced;
    }
    m_committed = true;
    return Status::Ok();
}

}  // namespace tarv::tools
