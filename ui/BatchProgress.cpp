#include "BatchProgress.h"

#include "ConvertWorker.h"
#include "ProgressDisplay.h"

namespace tarv {

std::vector<int> EntryRowsOf(const std::vector<bool>& checkedRows) {
    std::vector<int> rows;
    for (int row = 0; row < static_cast<int>(checkedRows.size()); ++row) {
        if (checkedRows[row]) {
            rows.insert(rows.end(), kStepsPerFile, row);
        }
    }
    return rows;
}

void BatchProgress::StartBatch(std::vector<int> entryRows) {
    m_entryRows = std::move(entryRows);
    m_currentRow = -1;
    m_lastValue = kNoValue;
}

int BatchProgress::RowOfEntry(int entry) const {
    if (entry < 0 || entry >= static_cast<int>(m_entryRows.size())) {
        return -1;
    }
    return m_entryRows[entry];
}

RowUpdate BatchProgress::OnReport(int entry, int value, StepType step, int rowDuration) {
    RowUpdate update;
    update.row = RowOfEntry(entry);
    if (update.row < 0) {
        return update;
    }
    if (update.row != m_currentRow) {
        update.startBar = true;
        m_currentRow = update.row;
    }
    if (value == m_lastValue) {
        return update;
    }
    switch (value) {
        case kProgressStopped:
            update.kind = RowUpdate::Kind::Abort;
            break;
        case kProgressFileDone:
            update.kind = RowUpdate::Kind::Done;
            break;
        case kProgressFailed:
            update.kind = RowUpdate::Kind::Failed;
            break;
        default:
            if (value < 0) {
                return update;
            }
            update.kind = RowUpdate::Kind::Bar;
            update.value = ShownProgress(value, rowDuration, step);
            m_lastValue = value;
            return update;
    }
    // The file has ended: its bar goes, and the next report starts a new one.
    m_currentRow = -1;
    return update;
}

}  // namespace tarv
