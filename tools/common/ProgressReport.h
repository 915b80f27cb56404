// The "Pos:" progress records the encoder and the muxer print while they work, and the
// printer that paces them: the program reads only the position, but people read the rest.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarv::tools {

struct ProgressSnapshot {
    double positionSeconds = 0;  // how far into the input the work has come
    double durationSeconds = 0;  // the input's length; 0 or less when unknown
    int64_t frames = 0;          // frames (or packets) written so far
    double elapsedSeconds = 0;   // wall-clock time since the work started
    int64_t outputBytes = 0;     // size of the output so far
};

// One record, ended by a carriage return:
// "Pos:  12.3s    123f (10%)  41.00fps Trem:   0min   1mb  A-V:0.000 [0:0]\r"
std::string FormatProgressRecord(const ProgressSnapshot& snapshot);

class ProgressPrinter {
public:
    // Prints to `out` (flushed after each record) at most every `interval`.
    ProgressPrinter(std::FILE* out, double durationSeconds,
                    std::chrono::milliseconds interval = std::chrono::milliseconds(500));
    // For pass `passIndex` (from 0) of `passCount` over the same input: the records run from
    // the start to the end of the input once over all passes, each pass taking an equal share,
    // so a reader of the positions sees one steady run.
    ProgressPrinter(std::FILE* out, double durationSeconds, int passIndex, int passCount,
                    std::chrono::milliseconds interval = std::chrono::milliseconds(500));

    // Prints a record when the interval has passed since the last one.
    void Update(double positionSeconds, int64_t frames, int64_t outputBytes);
    // Prints the closing record unconditionally, followed by a line feed.
    void Finish(double positionSeconds, int64_t frames, int64_t outputBytes);

private:
    void Print(double positionSeconds, int64_t frames, int64_t outputBytes);

    std::FILE* m_out;
    double m_duration;
    int m_passIndex = 0;
    int m_passCount = 1;
    std::chrono::milliseconds m_interval;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_last;
};

}  // namespace tarv::tools
