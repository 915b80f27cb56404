#include "BatchSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarv {

namespace {

// Below this much of the batch, or this many seconds, the rate says too little.
constexpr double kMinimumDone = 0.02;
constexpr double kMinimumSeconds = 3.0;

bool Finished(FileProgress::State state) {
    return state == FileProgress::State::Done || state == FileProgress::State::Failed ||
           state == FileProgress::State::Stopped;
}

}  // namespace

std::string ClockText(int seconds) {
    seconds = std::max(seconds, 0);
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds % 3600 / 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    }
    return text;
}

BatchEstimate EstimateBatch(const std::vector<FileProgress>& files, double elapsedSeconds) {
    BatchEstimate estimate;
    estimate.fileCount = static_cast<int>(files.size());
    if (files.empty()) {
        return estimate;
    }
    double knownTotal = 0;
    int knownCount = 0;
    for (const FileProgress& file : files) {
        if (file.durationSeconds > 0) {
            knownTotal += file.durationSeconds;
            ++knownCount;
        }
    }
    const double unknownWeight = knownCount > 0 ? knownTotal / knownCount : 1.0;
    double total = 0;
    double done = 0;
    int finished = 0;
    int running = -1;
    for (int i = 0; i < estimate.fileCount; ++i) {
        const FileProgress& file = files[i];
        const double weight = file.durationSeconds > 0 ? file.durationSeconds : unknownWeight;
        total += weight;
        if (Finished(file.state)) {
            done += weight;
            ++finished;
        } else if (file.state == FileProgress::State::Running) {
            done += weight * std::clamp(file.shownPercent, 0, 100) / 100.0;
            running = i;
        }
    }
    estimate.fileNumber = running >= 0 ? running + 1 : std::min(finished + 1, estimate.fileCount);
    const double fraction = total > 0 ? done / total : 0;
    estimate.percent = static_cast<int>(std::floor(fraction * 100));
    if (fraction >= kMinimumDone && elapsedSeconds >= kMinimumSeconds) {
        estimate.secondsLeft =
            static_cast<int>(std::lround(elapsedSeconds * (1 - fraction) / fraction));
    }
    return estimate;
}

std::string ProgressText(const BatchEstimate& estimate) {
    std::string text = "Converting " + std::to_string(estimate.fileNumber) + " of " +
                       std::to_string(estimate.fileCount) +
                       (estimate.fileCount == 1 ? " file" : " files") + " \u00b7 " +
                       std::to_string(estimate.percent) + "% \u00b7 ";
    if (estimate.secondsLeft) {
        text += "about " + ClockText(*estimate.secondsLeft) + " left";
    } else {
        text += "estimating...";
    }
    return text;
}

std::string SummaryText(const std::vector<FileProgress>& files, bool stopped) {
    if (stopped) {
        return "Stopped";
    }
    int converted = 0;
    int failed = 0;
    for (const FileProgress& file : files) {
        converted += file.state == FileProgress::State::Done ? 1 : 0;
        failed += file.state == FileProgress::State::Failed ? 1 : 0;
    }
    if (failed == 0) {
        return std::to_string(converted) +
               (converted == 1 ? " file converted" : " files converted");
    }
    return std::to_string(converted) + " converted, " + std::to_string(failed) + " failed";
}

}  // namespace tarv
