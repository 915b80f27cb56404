// Runs a conversion batch on its own thread: five tool runs per file, their progress records
// reported to the window (or the headless command) as they arrive.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "OptionCatalogue.h"
#include "StepCommands.h"

namespace tarv {

// Report values besides a position in whole seconds (0 or more).
inline constexpr int kProgressStopped = -1;   // the batch was stopped while this entry ran
inline constexpr int kProgressFileDone = -2;  // the file's last step finished: the file is done
inline constexpr int kProgressFailed = -3;  // this step failed; the file's other steps are skipped

// Receives the worker's reports. Called on a worker thread, which waits until the call has
// returned, so the receiver sees the batch state as it was for that report. Calls never
// overlap, also when several files convert at the same time.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void OnConvertProgress(int entry, int value) = 0;
    // The batch has ended and the busy flag is clear: a new batch may start. Called on the
    // worker's thread as its last act; the worker does not wait for anything after it.
    virtual void OnBatchEnded() {}
};

// One step of one file; a file has five consecutive entries with the same texts.
struct BatchEntry {
    std::string sourcePath;
    std::string baseName;  // output folder and file title, no extension; the claimed one
                           // (perhaps with a suffix) from the file's first report on
    std::string failure;   // why the step failed: the tool's last words, for the window
};

// Everything a batch shares between the thread that starts it and the worker. Entries and
// options are written before the worker starts and only read while it runs (the worker alone
// updates the base names when it claims them, and a failed entry's failure text).
struct BatchState {
    std::vector<BatchEntry> entries;
    ConvertOptions options;
    std::string programFolder;  // where the tools are; ends in the separator
    // How many files convert at the same time, each one's steps still in order. With more than
    // one, reports of different files interleave; the current step type is that of the entry
    // being reported.
    int jobs = 1;
    std::atomic<bool> busy{false};
    std::atomic<bool> stop{false};
    std::atomic<int32_t> currentStepType{static_cast<int32_t>(StepType::Encode)};

    // The entries for one file, five of them, appended in step order.
    void AddFile(const std::string& sourcePath, const std::string& outputFolder);
    int EntryCount() const { return static_cast<int>(entries.size()); }
    StepType CurrentStep() const { return static_cast<StepType>(currentStepType.load()); }
};

class ConvertWorker {
public:
    ConvertWorker(BatchState& state, ProgressSink& sink);
    ~ConvertWorker();  // stops a running batch and waits for it
    ConvertWorker(const ConvertWorker&) = delete;
    ConvertWorker& operator=(const ConvertWorker&) = delete;

    // Starts the batch on a new thread. Refused (false) while a batch still runs; the caller
    // clears the stop flag and fills the state before.
    bool Start();

    // Asks the batch to stop: the running tool is terminated and its entry reported stopped.
    // Returns at once.
    void RequestStop();

    // Stops the batch and waits until the worker has finished, with no tool left running.
    void StopAndWait();

    // Waits for the batch to end on its own.
    void Wait();

    bool IsBusy() const { return m_state.busy; }

private:
    enum class StepEnd { Done, Failed, Stopped };

    void Run();
    // Runs files one after another, taking the next one not yet taken, until none is left or
    // the batch stops.
    void RunLane();
    // Runs one file's five steps; false when the batch must end.
    bool RunFile(int firstEntry, float& position);
    // Runs one step's tool to its end, reporting its progress. On a failure, failure says why;
    // processId is the tool's once it has started.
    StepEnd RunTool(int entry, const Command& command, float& position, std::string& failure,
                    int& processId);
    void Report(int entry, int value);

    BatchState& m_state;
    ProgressSink& m_sink;
    std::thread m_thread;
    std::mutex m_childMutex;  // guards m_children against Terminate from another thread
    std::vector<ChildProcess*> m_children;
    std::mutex m_reportMutex;  // one report at a time, with its own step type
    std::atomic<int> m_nextFile{0};
};

// The last lines a tool printed, without its progress records, for a failure message.
std::string LastOutputLines(const std::string& output, int lineCount);

}  // namespace tarv
