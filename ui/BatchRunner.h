// Runs the window's conversion batches: owns the batch state and the worker, and hands every
// report of the running batch to the window's thread while the worker waits, so the handler
// always sees the file as it was when the report was made.
#pragma once

#include <functional>
#include <string>

#include "ConvertWorker.h"
#include "WindowDelivery.h"

class wxEvtHandler;

namespace tarv {

class BatchRunner : private ProgressSink {
public:
    // Called on the window's thread for each report of the running batch, while the worker
    // waits for it.
    using ReportHandler = std::function<void(const BatchReport& report)>;
    // Called on the window's thread once the running batch has ended.
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

    // Clears the stop flag and starts the worker; false while a batch still runs or after
    // Shutdown.
    bool Start();
    // Asks the batch to stop; returns at once.
    void RequestStop();
    bool IsBusy() const { return m_state.busy; }

    // Ends a running batch for good: no report is handled from now on, the running tool is
    // terminated and the worker has finished when this returns. A worker waiting for the
    // window is let go first, so the two can never wait for each other.
    void Shutdown();

private:
    void OnBatchReport(const BatchReport& report) override;
    void OnBatchEnded(uint64_t batch) override;

    ReportHandler m_onReport;
    EndHandler m_onEnd;
    WindowDelivery m_delivery;
    BatchState m_state;
    ConvertWorker m_worker;  // last: it is stopped before the rest goes
};

}  // namespace tarv
