// Prints a headless batch's progress: a line per file and step change with the file's overall
// percentage as the window's bar shows it, and how each file ended.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ConvertWorker.h"

namespace tarv {

class CliReporter : public ProgressSink {
public:
    enum class Outcome { Pending, Done, Failed, Aborted };

    struct File {
        std::string name;     // as the user gave it
        int duration = 0;     // whole seconds; 0 when unknown
        int firstEntry = -1;  // its first batch entry; -1 when it is not in the batch
        Outcome outcome = Outcome::Pending;
    };

    // live: the output is a terminal, so the percentage is updated in place as it grows.
    CliReporter(const BatchState& state, std::ostream& out, bool live);

    void AddFile(File file) { m_files.push_back(std::move(file)); }
    // Reports a file that never reached the batch.
    void Fail(size_t file, const std::string& reason);

    void OnConvertProgress(int entry, int value) override;

    File& FileAt(size_t index) { return m_files[index]; }
    // "[i/n] name: ", the start of every line about a file.
    std::string Prefix(size_t index) const;
    const std::vector<File>& Files() const { return m_files; }
    bool AnyFailed() const;
    bool AnyAborted() const;

private:
    File* FileOfEntry(int entry, size_t* index);
    void EndLiveLine();

    const BatchState& m_state;
    std::ostream& m_out;
    bool m_live;
    std::vector<File> m_files;
    int m_lastFile = -1;
    StepType m_lastStep = StepType::Encode;
    int m_lastShown = -1;
    bool m_lineOpen = false;  // a live line waits for its end
};

const char* StepName(StepType step);

// A name as it is printed: as it is, unless it is empty or holds a control character (a line
// break would split its line); then in double quotes with C escapes.
std::string DisplayName(const std::string& name);

}  // namespace tarv
