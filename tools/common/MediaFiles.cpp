#include "MediaFiles.h"

#include "PathFacts.h"
#include "SignalCleanup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavutil/display.h>
}

namespace tarv::tools {

std::string FileUrl(const std::string& path) {
    return "file:" + path;
}

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
    if (info.size == 0) {
        return Status::Failure("cannot read " + path + ": the file is empty");
    }
    AVFormatContext* raw = nullptr;
    int error = avformat_open_input(&raw, FileUrl(path).c_str(), format, demuxerOptions);
    if (error < 0) {
        if (error == AVERROR_INVALIDDATA) {
            return Status::Failure("cannot read " + path + ": not a media file this tool knows");
        }
        return AvFailure("cannot read " + path, error);
    }
    out.reset(raw);
    if (findStreamInfo) {
        error = avformat_find_stream_info(raw, nullptr);
        if (error < 0) {
            return AvFailure("cannot read the streams of " + path, error);
        }
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
