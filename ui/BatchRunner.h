// Runs the window's conversion batches: owns the batch state and the worker, and hands every
// report to the window's thread while the worker waits, so the handler always sees the step
// that produced it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ConvertWorker.h"

class wxEvtHandler;

namespace tarv {

class BatchRunner : private ProgressSink {
public:
    // Called on the window's thread for each report, while the worker waits for it.
    using ReportHandler = std::function<void(int entry, int value)>;
    // Called on the window's thread once a batch has ended and a new one may start.
    using EndHandler = std::function<void()>;

    // Reports are handed over through `window`'s event queue.
    BatchRunner(wxEvtHandler& window, std::string programFolder, ReportHandler onReport,
                EndHandler onEnd);
    ~BatchRunner() override;
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    // Filled by the caller before Start.
    BatchState& State() { return m_state; }
    const BatchState& State() const { return m_state; }

    // Clears the stop flag and starts the worker; false while a batch still runs.
    bool Start();
    // Asks the batch to stop; returns at once.
    void RequestStop();
    bool IsBusy() const { return m_state.busy; }

    // Ends a running batch for good: no report is handled from now on, the running tool is
    // terminated and the worker has finished when this returns. A worker waiting for the
    // window is let go first, so the two can never wait for each other.
    void Shutdown();

private:
    // The hand-over's state, shared with the queued calls so that none outlives it.
    struct HandOver;

    void OnConvertProgress(int entry, int value) override;
    void OnBatchEnded() override;

    wxEvtHandler& m_window;
    ReportHandler m_onReport;
    EndHandler m_onEnd;
    std::shared_ptr<HandOver> m_handOver;
    BatchState m_state;
    ConvertWorker m_worker;  // last: it is stopped before the rest goes
};

}  // namespace tarv
