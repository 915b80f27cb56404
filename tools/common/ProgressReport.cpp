#include "ProgressReport.h"

#include <algorithm>
#include <cmath>

namespace tarv::tools {

std::string FormatProgressRecord(const ProgressSnapshot& s) {
    const double position = std::isfinite(s.positionSeconds) ? std::max(0.0, s.positionSeconds) : 0;
    int percent = 0;
    if (s.durationSeconds > 0) {
        percent = static_cast<int>(std::clamp(position * 100 / s.durationSeconds, 0.0, 100.0));
    }
    const double fps = s.elapsedSeconds > 0 ? s.frames / s.elapsedSeconds : 0;
    int remainingMinutes = 0;
    if (position > 0 && s.durationSeconds > position) {
        remainingMinutes = static_cast<int>(
            std::min(1e6, s.elapsedSeconds * (s.durationSeconds - position) / position / 60));
    }
    const long long megabytes = (std::max<int64_t>(0, s.outputBytes) + (1 << 19)) >> 20;
    char text[160];
    std::snprintf(text, sizeof(text),
                  "Pos:%6.1fs %6lldf (%2d%%) %6.2ffps Trem:%4dmin %3lldmb  A-V:0.000 [0:0]\r",
                  position, static_cast<long long>(std::max<int64_t>(0, s.frames)), percent, fps,
                  remainingMinutes, megabytes);
    return text;
}

ProgressPrinter::ProgressPrinter(std::FILE* out, double durationSeconds,
                                 std::chrono::milliseconds interval)
    : m_out(out),
      m_duration(durationSeconds),
      m_interval(interval),
      m_start(std::chrono::steady_clock::now()),
      m_last(m_start) {}

ProgressPrinter::ProgressPrinter(std::FILE* out, double durationSeconds, int passIndex,
                                 int passCount, std::chrono::milliseconds interval)
    : ProgressPrinter(out, durationSeconds, interval) {
    m_passCount = std::max(1, passCount);
    m_passIndex = std::clamp(passIndex, 0, m_passCount - 1);
}

void ProgressPrinter::Update(double positionSeconds, int64_t frames, int64_t outputBytes) {
    if (std::chrono::steady_clock::now() - m_last >= m_interval) {
        Print(positionSeconds, frames, outputBytes);
    }
}

void ProgressPrinter::Finish(double positionSeconds, int64_t frames, int64_t outputBytes) {
    Print(positionSeconds, frames, outputBytes);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

void ProgressPrinter::Print(double positionSeconds, int64_t frames, int64_t outputBytes) {
    m_last = std::chrono::steady_clock::now();
    ProgressSnapshot snapshot;
    const double length = std::max(m_duration, 0.0);
    snapshot.positionSeconds =
        m_passCount > 1 ? (m_passIndex * length + std::min(positionSeconds, length)) / m_passCount
                        : positionSeconds;
    snapshot.durationSeconds = m_duration;
    snapshot.frames = frames;
    snapshot.elapsedSeconds = std::chrono::duration<double>(m_last - m_start).count();
    snapshot.outputBytes = outputBytes;
    const std::string record = FormatProgressRecord(snapshot);
    std::fwrite(record.data(), 1, record.size(), m_out);
    std::fflush(m_out);
}

}  // namespace tarv::tools
