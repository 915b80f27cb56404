#include "BatchSummary.h"

#include <wx/string.h>
#include <wx/translation.h>

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
    // TRANSLATORS: the number of the file being converted, and how many files the batch has.
    wxString text = wxString::Format(
        wxPLURAL("Converting %d of %d file", "Converting %d of %d files", estimate.fileCount),
        estimate.fileNumber, estimate.fileCount);
    // TRANSLATORS: how much of the batch is done; write the percentage as your language does.
    text += wxString(L" \u00b7 ") + wxString::Format(_("%d%%"), estimate.percent) + L" \u00b7 ";
    if (estimate.secondsLeft) {
        // TRANSLATORS: %s is a time such as 1:20 (minutes and seconds) or 1:02:05.
        text += wxString::Format(_("about %s left"), wxString(ClockText(*estimate.secondsLeft)));
    } else {
        text += _("estimating...");
    }
    return text.utf8_string();
}

std::string SummaryText(const std::vector<FileProgress>& files, bool stopped) {
    if (stopped) {
        return _("Stopped").utf8_string();
    }
    int converted = 0;
    int failed = 0;
    for (const FileProgress& file : files) {
        converted += file.state == FileProgress::State::Done ? 1 : 0;
        failed += file.state == FileProgress::State::Failed ? 1 : 0;
    }
    if (failed == 0) {
        return wxString::Format(wxPLURAL("%d file converted", "%d files converted", converted),
                                converted)
            .utf8_string();
    }
    // TRANSLATORS: how a batch ended: the files converted, and the files that failed.
    return wxString::Format(_("%d converted, %d failed"), converted, failed).utf8_string();
}

}  // namespace tarv
