// Runs a conversion batch on its own thread: five tool runs per file, their progress records
// reported to the window (or the headless command) as they arrive.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BatchReport.h"
#include "ChildProcess.h"
#include "OptionCatalogue.h"
#include "SizeLimit.h"
#include "StepCommands.h"

namespace tarv {

// Receives the worker's reports. Called on a worker thread, which waits until the call has
// returned. Calls never overlap, also when several files convert at the same time.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void OnBatchReport(const BatchReport& report) = 0;
    // The batch with this ticket has ended and the busy flag is clear: a new batch may start.
    // Called on the worker's thread as its last act; the worker does not wait for anything
    // after it, so a new batch may already run when the call arrives.
    virtual void OnBatchEnded(uint64_t /*batch*/) {}
};

// One file of a batch.
struct BatchFile {
    BatchFile(uint64_t key, std::string sourcePath, std::string baseName, double seconds)
        : key(key),
          sourcePath(std::move(sourcePath)),
          seconds(seconds),
          baseName(std::move(baseName)) {}

    const uint64_t key;  // the caller's name for it, carried by every report
    const std::string sourcePath;
    const double seconds;  // its playing time as the probe found it; 0 or less when unknown
    std::string baseName;  // output folder and file title, no extension; the claimed one
                           // (perhaps with a suffix) once the worker has started the file

    enum Stage { kWaiting, kTaken, kWithdrawn };
    std::atomic<int> stage{kWaiting};
};

// Everything a batch shares between the thread that starts it and the worker. Files and
// options are written before the worker starts and only read while it runs (the worker alone
// updates the base names when it claims them).
struct BatchState {
    std::deque<BatchFile> files;  // a deque: its files never move, and their flags are atomic
    ConvertOptions options;
    // The most each converted file may take, in bytes; 0 for no limit. The window sets it from
    // the size limit list, the headless command from its option.
    int64_t sizeLimit = 0;
    std::string programFolder;  // where the tools are; ends in the separator
    // How many files convert at the same time, each one's steps still in order. With more than
    // one, reports of different files interleave.
    int jobs = 1;
    // Counts the batches; every report and end carries the one of its batch.
    uint64_t ticket = 0;
    std::atomic<bool> busy{false};
    std::atomic<bool> stop{false};

    // Appends a file; its key defaults to its place in the batch. Its playing time is needed
    // only to fit a size limit.
    void AddFile(const std::string& sourcePath, const std::string& outputFolder);
    void AddFile(const std::string& sourcePath, const std::string& outputFolder, uint64_t key,
                 double seconds = -1);
    // How a file is made to fit the size limit; empty when there is none.
    std::optional<SizePlan> PlanFor(const BatchFile& file) const;
    int FileCount() const { return static_cast<int>(files.size()); }
    // Takes a file the worker has not started yet out of the batch: it will not be converted
    // and nothing is reported of it. False when it has started (or there is no such file).
    bool Withdraw(uint64_t key);
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

    // Asks the batch to stop: the running tool is terminated and its file reported stopped.
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
    bool RunFile(int file, float& position);
    // Runs one step's tool to its end, reporting its progress under `report` (which names the
    // file and step). On a failure, failure says why; processId is the tool's once it started;
    // output keeps the end of what it printed.
    StepEnd RunTool(BatchReport& report, const Command& command, float& position,
                    std::string& failure, int& processId, std::string& output);
    void Report(const BatchReport& report);

    BatchState& m_state;
    ProgressSink& m_sink;
    std::thread m_thread;
    std::mutex m_childMutex;  // guards m_children against Terminate from another thread
    std::vector<ChildProcess*> m_children;
    std::mutex m_reportMutex;  // one report at a time
    std::atomic<int> m_nextFile{0};
};

// The last lines a tool printed, without its progress records, for a failure message.
std::string LastOutputLines(const std::string& output, int lineCount);

}  // namespace tarv
