// Prints a headless batch's progress: for people, a line per file and step change with the
// file's overall percentage as the window's bar shows it, and how each file ended; for
// programs, the same as one JSON object per line.
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ConvertWorker.h"

namespace tarv {

class CliReporter : public ProgressSink {
public:
    enum class Outcome { Pending, Done, Failed, Aborted };

    enum class Style {
        Lines,  // a line per step and ten percent
        Live,   // a terminal: one line per step, its percentage rewritten in place
        Json,   // one JSON object per line for every change
    };

    struct File {
        std::string name;      // as the user gave it
        int duration = 0;      // whole seconds; 0 when unknown
        bool inBatch = false;  // entered into the batch, under its place in this list
        Outcome outcome = Outcome::Pending;
        StepType lastStep = StepType::Encode;
        int lastShown = -1;  // the percentage last printed; -1 before the first
    };

    CliReporter(std::ostream& out, Style style);

    // The bitrates a file is converted with, as probing found them.
    struct Bitrates {
        std::optional<int> videoKbps;  // empty when a size limit leaves none
        std::optional<int> audioKbps;
        std::optional<int> sampleRate;
        std::string note;  // how they fit the size limit; empty without one
    };

    void AddFile(File file) { m_files.push_back(std::move(file)); }
    // Reports what probing found; the file is entered into the batch under its place here.
    void Probed(size_t file, uint64_t bytes, double seconds, const Bitrates& bitrates = {});
    // Reports a file that never reached the batch.
    void Fail(size_t file, const std::string& reason);
    // After the batch: in JSON every file ends with a status, also those a stop never reached.
    void Finish();

    void OnBatchReport(const BatchReport& report) override;

    const std::vector<File>& Files() const { return m_files; }
    bool AnyFailed() const;
    bool AnyAborted() const;

private:
    File* FileOfReport(const BatchReport& report, size_t* index);
    // "[i/n] name: ", the start of every text line about a file.
    std::string Prefix(size_t index) const;
    // The fields every JSON record starts with, in their order.
    nlohmann::ordered_json Record(size_t index, const char* event) const;
    void End(size_t index, Outcome outcome, const std::string& reason, int damagedFrames = 0);
    void EndLiveLine();

    std::ostream& m_out;
    Style m_style;
    std::vector<File> m_files;
    int m_lastFile = -1;      // the file of the open live line
    bool m_lineOpen = false;  // a live line waits for its end
};

// The step's name as the JSON records carry it; the text lines show it translated.
const char* StepName(StepType step);

// A name as it is printed: as it is, unless it is empty or holds a control character (a line
// break would split its line); then in double quotes with C escapes.
std::string DisplayName(const std::string& name);

}  // namespace tarv
