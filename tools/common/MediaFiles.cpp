#include "MediaFiles.h"

#include "SignalCleanup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libavutil/display.h>
}

namespace tarv::tools {

std::string FileUrl(const std::string& path) {
    return "file:" + path;
}

Status OpenMediaInput(const std::string& path, bool findStreamInfo, InputContextPtr& out,
                      AVDictionary** demuxerOptions) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return Status::Failure("cannot open " + path + ": " + std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        return Status::Failure("cannot open " + path + ": it is a folder, not a media file");
    }
    if (info.st_size == 0) {
        return Status::Failure("cannot read " + path + ": the file is empty");
    }
    AVFormatContext* raw = nullptr;
    int error = avformat_open_input(&raw, FileUrl(path).c_str(), nullptr, demuxerOptions);
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

StagedOutput::StagedOutput(std::string target) : m_target(std::move(target)) {
    // A name that cannot collide with the user's files or another tool's run: the target's own
    // name, the process id and a suffix no input filter offers.
    m_temporary = m_target + "." + std::to_string(::getpid()) + ".tarvpart";
}

StagedOutput::~StagedOutput() {
    if (m_created && !m_committed) {
        ::unlink(m_temporary.c_str());
    }
    KeepOnStop(m_temporary);
}

Status StagedOutput::Open(const char* formatName, OutputContextPtr& out) {
    AVFormatContext* raw = nullptr;
    int error = avformat_alloc_output_context2(&raw, nullptr, formatName, m_temporary.c_str());
    if (error < 0 || !raw) {
        return AvFailure(std::string("cannot set up the ") + formatName + " writer", error);
    }
    out.reset(raw);
    // Registered before the file exists, so a stop at any moment from here on removes it.
    RemoveOnStop(m_temporary);
    error = avio_open(&raw->pb, FileUrl(m_temporary).c_str(), AVIO_FLAG_WRITE);
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
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        return Status::Failure("cannot write " + m_target + ": " + std::strerror(errno));
    }
    m_committed = true;
    return Status::Ok();
}

}  // namespace tarv::tools
