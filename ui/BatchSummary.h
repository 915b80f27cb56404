// What the status bar says about a batch: how far it has come and how long it still takes
// while it runs, and how it ended. Plain values in, text out, in the window's language.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarv {

// One file of a batch as the window has seen it so far.
struct FileProgress {
    enum class State { Pending, Running, Done, Failed, Stopped };
    int durationSeconds = 0;  // 0 or less: unknown
    int shownPercent = 0;     // the row's bar while it runs
    State state = State::Pending;
};

struct BatchEstimate {
    int fileNumber = 0;  // the file being converted, counted from 1
    int fileCount = 0;
    int percent = 0;                 // of the whole batch, each file weighed by its length
    std::optional<int> secondsLeft;  // none until there is enough to go on
};

// Files of unknown length weigh as much as the average known one (or all alike when none is
// known). The time left is extrapolated from the elapsed time once a little of the batch is
// done and a few seconds have passed.
BatchEstimate EstimateBatch(const std::vector<FileProgress>& files, double elapsedSeconds);

// "Converting 2 of 5 files · 43% · about 1:20 left", or "... · estimating..." early on.
std::string ProgressText(const BatchEstimate& estimate);

// How a batch ended: "5 files converted", "4 converted, 1 failed", "Stopped".
std::string SummaryText(const std::vector<FileProgress>& files, bool stopped);

// "1:20", "12:05", "1:02:05".
std::string ClockText(int seconds);

}  // namespace tarv
