// The window's side of a conversion batch: turns the checked rows into a batch, shows every
// report of the worker in its row's record and Status cell, and keeps the status bar's line on
// how far the batch has come and how it ended.
#pragma once

#include <wx/event.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BatchProgress.h"
#include "BatchSummary.h"
#include "OptionCatalogue.h"

class wxNotificationMessage;

namespace tarv {

class BatchRunner;
class ConversionList;
class CXListCtrl;
struct BatchReport;
struct BatchState;
struct JobEntry;

class BatchDisplay : public wxEvtHandler {
public:
    // Called whenever the status bar's line may read differently.
    using LineListener = std::function<void()>;

    // Reports reach `window`'s thread through its event queue; the window's frame is told when
    // a batch ends while the user looks elsewhere.
    BatchDisplay(wxWindow& window, CXListCtrl& list, ConversionList& rows,
                 std::string programFolder, LineListener onLineChange);
    ~BatchDisplay() override;

    // Starts a batch of the checked rows into the folder; false while one still runs.
    bool Start(const std::string& outputFolder, const ConvertOptions& options);
    void RequestStop();
    bool IsBusy() const;
    // Takes the row out of the running batch if the batch has not reached it yet; its Status
    // cell then shows nothing. False when it converts already, or is not in the batch.
    bool Withdraw(uint64_t rowId);
    // Ends a running batch for good and waits for it: no tool is left running.
    void Shutdown();

    const BatchState& State() const;
    // The status bar's line: progress and time left while a batch runs, then how it ended.
    wxString Line() const;

private:
    void OnBatchReport(const BatchReport& report);
    void OnBatchEnded();
    void OnTimer(wxTimerEvent& event);
    void NotifyBatchEnd(const wxString& summary);
    // Shows the record's status in its row's Status cell.
    void ShowStatus(int row, const JobEntry& entry, bool startBar);
    // The batch's files as their records say, for the status bar.
    std::vector<FileProgress> Files() const;

    wxWindow& m_window;
    CXListCtrl& m_list;
    ConversionList& m_rows;
    LineListener m_onLineChange;
    BatchProgress m_progress;
    std::vector<uint64_t> m_batchRows;  // the ids of the rows in the batch, in its order
    std::chrono::steady_clock::time_point m_start;
    wxString m_endLine;  // what the line says once the batch has ended
    wxTimer m_timer;
    std::unique_ptr<wxNotificationMessage> m_notification;
    std::unique_ptr<BatchRunner> m_runner;  // last: it is stopped before the rest goes
};

}  // namespace tarv
