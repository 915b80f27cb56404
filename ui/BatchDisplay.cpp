#include "BatchDisplay.h"

#include <wx/notifmsg.h>
#include <wx/toplevel.h>

#include <algorithm>

#include "BatchRunner.h"
#include "ConversionList.h"
#include "ConvertWorker.h"
#include "FailureText.h"
#include "FailureTranslation.h"
#include "Resources.h"
#include "XListCtrl.h"

namespace tarv {

namespace {

// The status bar's line changes at most this often while a batch runs.
constexpr int kLinePeriodMs = 1000;

FileProgress::State ProgressStateOf(RowStatus status) {
    switch (status) {
        case RowStatus::Running:
            return FileProgress::State::Running;
        case RowStatus::Done:
            return FileProgress::State::Done;
        case RowStatus::Failed:
            return FileProgress::State::Failed;
        case RowStatus::Aborted:
            return FileProgress::State::Stopped;
        case RowStatus::None:
        case RowStatus::Waiting:
            break;
    }
    return FileProgress::State::Pending;
}

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
        [this](const BatchReport& report) { OnBatchReport(report); }, [this] { OnBatchEnded(); });
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
    state.files.clear();
    state.options = options;
    state.sizeLimit = SizeLimitBytesOf(options.sizeLimit);
    m_batchRows.clear();
    for (int row = 0; row < m_rows.RowCount(); ++row) {
        if (m_rows.IsChecked(row)) {
            JobEntry& entry = m_rows.EntryAt(row);
            state.AddFile(FileNameBytes(entry.sourcePath), outputFolder, entry.id, entry.length);
            m_batchRows.push_back(entry.id);
        }
    }
    if (!m_runner->Start()) {
        return false;
    }
    // What the rows said of an earlier batch goes: each of them now waits for this one, and
    // shows how it is to fit the size limit.
    for (size_t i = 0; i < m_batchRows.size(); ++i) {
        const int row = m_rows.RowOfId(m_batchRows[i]);
        JobEntry& entry = m_rows.EntryAt(row);
        entry.status = RowStatus::Waiting;
        entry.shownPercent = 0;
        entry.outputFile.clear();
        entry.failure.clear();
        entry.toolOutput.clear();
        entry.note.clear();
        const std::optional<SizePlan> plan = state.PlanFor(state.files[i]);
        entry.sizePlan.clear();
        if (plan && plan->fits) {
            entry.sizePlan = wxString::Format(_("To fit %s: video %d kbps, audio %d kbps"),
                                              wxString::FromUTF8(SizeText(state.sizeLimit)),
                                              plan->videoKbps, plan->audioKbps);
            if (plan->mono) {
                entry.sizePlan += wxString::Format(_(", mono at %d Hz"), plan->sampleRate);
            }
        }
        ShowStatus(row, entry, false);
    }
    m_progress.StartBatch();
    m_start = std::chrono::steady_clock::now();
    m_endLine = m_batchRows.empty() ? _("No file is ticked for conversion.") : wxString();
    if (!m_batchRows.empty()) {
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

bool BatchDisplay::Withdraw(uint64_t rowId) {
    const int row = m_rows.RowOfId(rowId);
    if (!IsBusy() || row < 0 || m_rows.EntryAt(row).status != RowStatus::Waiting ||
        !m_runner->State().Withdraw(rowId)) {
        return false;
    }
    JobEntry& entry = m_rows.EntryAt(row);
    entry.status = RowStatus::None;
    ShowStatus(row, entry, false);
    std::erase(m_batchRows, rowId);
    m_onLineChange();
    return true;
}

wxString BatchDisplay::Line() const {
    if (IsBusy() && !m_batchRows.empty()) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        return wxString::FromUTF8(ProgressText(EstimateBatch(Files(), elapsed)));
    }
    return m_endLine;
}

std::vector<FileProgress> BatchDisplay::Files() const {
    std::vector<FileProgress> files;
    for (const uint64_t id : m_batchRows) {
        if (const int row = m_rows.RowOfId(id); row >= 0) {
            const JobEntry& entry = m_rows.EntryAt(row);
            files.push_back({entry.duration, entry.shownPercent, ProgressStateOf(entry.status)});
        }
    }
    return files;
}

void BatchDisplay::ShowStatus(int row, const JobEntry& entry, bool startBar) {
    if (row < 0 || row >= m_list.GetItemCount()) {
        return;
    }
    if (entry.status == RowStatus::Running) {
        if (startBar) {
            m_list.SetProgress(row, kColumnStatus);
            m_list.SetItemToolTipText(row, kColumnStatus, entry.sizePlan);
            m_list.EnsureVisible(row);
        }
        m_list.UpdateProgress(row, kColumnStatus, entry.shownPercent);
        return;
    }
    m_list.DeleteProgress(row, kColumnStatus);
    const wxString text = entry.status == RowStatus::Done      ? _("Done")
                          : entry.status == RowStatus::Aborted ? _("Abort")
                          : entry.status == RowStatus::Failed  ? _("Failed")
                                                               : wxString();
    m_list.SetItemText(row, kColumnStatus, text);
    // A failure says why; otherwise the tip tells what was skipped of a damaged source and
    // the bitrates the size limit chose.
    wxString tip = entry.failure;
    if (entry.status != RowStatus::Failed) {
        tip = entry.note;
        if (!entry.sizePlan.empty()) {
            tip += (tip.empty() ? "" : "\n") + entry.sizePlan;
        }
    }
    m_list.SetItemToolTipText(row, kColumnStatus, tip);
}

void BatchDisplay::OnBatchReport(const BatchReport& report) {
    const int row = m_rows.RowOfId(report.key);
    if (row < 0) {
        return;
    }
    JobEntry& entry = m_rows.EntryAt(row);
    const RowUpdate update = m_progress.OnReport(report, entry.duration);
    entry.outputFile = PathFromBytes(report.output);
    switch (update.kind) {
        case RowUpdate::Kind::Nothing:
            if (!update.startBar) {
                return;
            }
            entry.status = RowStatus::Running;
            break;
        case RowUpdate::Kind::Bar:
            entry.status = RowStatus::Running;
            entry.shownPercent = update.value;
            break;
        case RowUpdate::Kind::Done:
            entry.status = RowStatus::Done;
            if (report.damagedFrames > 0) {
                entry.note =
                    wxString::Format(wxPLURAL("%d damaged frame skipped",
                                              "%d damaged frames skipped", report.damagedFrames),
                                     report.damagedFrames);
            }
            break;
        case RowUpdate::Kind::Abort:
            entry.status = RowStatus::Aborted;
            entry.outputFile.clear();  // a stopped file leaves no result
            break;
        case RowUpdate::Kind::Failed:
            entry.status = RowStatus::Failed;
            entry.outputFile.clear();
            entry.failure =
                TranslatedFailure(FailureSentence(report.text, FileNameBytes(entry.sourcePath)));
            entry.toolOutput = wxString::FromUTF8(report.text.data(), report.text.size());
            break;
    }
    ShowStatus(row, entry, update.startBar);
}

void BatchDisplay::OnBatchEnded() {
    m_timer.Stop();
    // Rows a stop never reached wait for nothing any more.
    for (const uint64_t id : m_batchRows) {
        if (const int row = m_rows.RowOfId(id); row >= 0) {
            JobEntry& entry = m_rows.EntryAt(row);
            if (entry.status == RowStatus::Waiting) {
                entry.status = RowStatus::None;
                ShowStatus(row, entry, false);
            }
        }
    }
    if (!m_batchRows.empty()) {
        // A stop asked for after the last file ended still reads as a stopped batch.
        m_endLine = wxString::FromUTF8(SummaryText(Files(), m_runner->State().stop));
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
    m_notification =
        std::make_unique<wxNotificationMessage>(wxGetTranslation(kAppTitle), summary, frame);
    m_notification->Bind(wxEVT_NOTIFICATION_MESSAGE_CLICK, [frame](wxCommandEvent&) {
        frame->Show();
        frame->Iconize(false);
        frame->Raise();
    });
    m_notification->Show(wxNotificationMessage::Timeout_Auto);
}

}  // namespace tarv
