#include "BatchDisplay.h"

#include <wx/notifmsg.h>
#include <wx/toplevel.h>

#include "BatchRunner.h"
#include "ConversionList.h"
#include "ConvertWorker.h"
#include "Resources.h"
#include "XListCtrl.h"

namespace tarv {

namespace {

// The status bar's line changes at most this often while a batch runs.
constexpr int kLinePeriodMs = 1000;

}  // namespace

BatchDisplay::BatchDisplay(wxWindow& window, CXListCtrl& list, ConversionList& rows,
                           std::string programFolder, LineListener onLineChange)
    : m_window(window),
      m_list(list),
      m_rows(rows),
      m_onLineChange(std::move(onLineChange)),
      m_timer(this) {
    Bind(wxEVT_TIMER, &BatchDisplay::OnTimer, this);
    m_runner = std::make_unique<BatchRunner>(
        window, std::move(programFolder),
        [this](int entry, int value) { OnConvertProgress(entry, value); },
        [this] { OnBatchEnded(); });
}

BatchDisplay::~BatchDisplay() {
    Shutdown();
}

void BatchDisplay::Shutdown() {
    m_timer.Stop();
    // The runner lets a worker that waits for the window go before it waits for the worker.
    m_runner->Shutdown();
}

bool BatchDisplay::IsBusy() const {
    return m_runner->IsBusy();
}

const BatchState& BatchDisplay::State() const {
    return m_runner->State();
}

bool BatchDisplay::Start(const std::string& outputFolder, const ConvertOptions& options) {
    if (IsBusy()) {
        return false;
    }
    BatchState& state = m_runner->State();
    state.entries.clear();
    state.options = options;
    const std::vector<bool> checked = m_rows.CheckedRows();
    m_files.clear();
    for (int row = 0; row < m_rows.RowCount(); ++row) {
        if (checked[row]) {
            state.AddFile(FileNameBytes(m_rows.EntryAt(row).sourcePath), outputFolder);
            FileProgress file;
            file.durationSeconds = m_rows.EntryAt(row).duration;
            m_files.push_back(file);
        }
    }
    m_progress.StartBatch(EntryRowsOf(checked));
    m_start = std::chrono::steady_clock::now();
    m_endLine = m_files.empty() ? "No file is ticked for conversion." : "";
    if (!m_runner->Start()) {
        return false;
    }
    if (!m_files.empty()) {
        m_timer.Start(kLinePeriodMs);
    }
    m_onLineChange();
    return true;
}

void BatchDisplay::RequestStop() {
    if (IsBusy()) {
        m_runner->RequestStop();
    }
}

wxString BatchDisplay::Line() const {
    if (IsBusy() && !m_files.empty()) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        return wxString::FromUTF8(ProgressText(EstimateBatch(m_files, elapsed)));
    }
    return m_endLine;
}

void BatchDisplay::OnConvertProgress(int entry, int value) {
    const BatchState& state = m_runner->State();
    const int row = m_progress.RowOfEntry(entry);
    const int duration = row >= 0 && row < m_rows.RowCount() ? m_rows.EntryAt(row).duration : 0;
    const RowUpdate update =
        m_progress.OnReport(entry, value, StepTypeOf(entry % kStepsPerFile), duration);
    if (update.row < 0 || update.row >= m_list.GetItemCount()) {
        return;
    }
    if (update.startBar) {
        m_list.SetProgress(update.row, kColumnStatus);
        m_list.SetItemToolTipText(update.row, kColumnStatus, wxString());
    }
    const size_t fileIndex = static_cast<size_t>(entry / kStepsPerFile);
    FileProgress* file = fileIndex < m_files.size() ? &m_files[fileIndex] : nullptr;
    JobEntry& job = m_rows.EntryAt(update.row);
    auto finish = [&](const wxString& text, FileProgress::State ending) {
        m_list.DeleteProgress(update.row, kColumnStatus);
        m_list.SetItemText(update.row, kColumnStatus, text);
        if (file) {
            file->state = ending;
        }
    };
    switch (update.kind) {
        case RowUpdate::Kind::Nothing:
            break;
        case RowUpdate::Kind::Bar:
            m_list.UpdateProgress(update.row, kColumnStatus, update.value);
            if (file) {
                file->state = FileProgress::State::Running;
                file->shownPercent = update.value;
            }
            break;
        case RowUpdate::Kind::Done: {
            finish("Done", FileProgress::State::Done);
            const std::string output = OutputNamesOf(state.entries.at(entry).baseName,
                                                     RawVideoExtensionOf(state.options.format))
                                           .output;
            job.outputFile = wxString(output.c_str(), wxConvFile);
            job.failure.clear();
            break;
        }
        case RowUpdate::Kind::Abort:
            finish("Abort", FileProgress::State::Stopped);
            break;
        case RowUpdate::Kind::Failed: {
            finish("Failed", FileProgress::State::Failed);
            const std::string& failure = state.entries.at(entry).failure;
            job.failure = wxString::FromUTF8(failure.data(), failure.size());
            job.outputFile.clear();
            m_list.SetItemToolTipText(update.row, kColumnStatus, job.failure);
            break;
        }
    }
}

void BatchDisplay::OnBatchEnded() {
    m_timer.Stop();
    if (!m_files.empty()) {
        // A stop asked for after the last file ended still reads as a stopped batch.
        m_endLine = wxString::FromUTF8(SummaryText(m_files, m_runner->State().stop));
        NotifyBatchEnd(m_endLine);
    }
    m_onLineChange();
}

void BatchDisplay::OnTimer(wxTimerEvent&) {
    m_onLineChange();
}

void BatchDisplay::NotifyBatchEnd(const wxString& summary) {
    auto* frame = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(&m_window));
    // Someone looking at the window sees the status bar; someone elsewhere gets a word.
    if (!frame || frame->IsActive()) {
        return;
    }
    m_notification = std::make_unique<wxNotificationMessage>(kAppTitle, summary, frame);
    m_notification->Bind(wxEVT_NOTIFICATION_MESSAGE_CLICK, [frame](wxCommandEvent&) {
        frame->Show();
        frame->Iconize(false);
        frame->Raise();
    });
    m_notification->Show(wxNotificationMessage::Timeout_Auto);
}

}  // namespace tarv
