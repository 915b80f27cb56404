#include "BatchProgress.h"

#include "ProgressDisplay.h"

namespace tarv {

void BatchProgress::StartBatch() {
    m_currentRow = 0;
    m_lastValue = kNoValue;
}

RowUpdate BatchProgress::OnReport(const BatchReport& report, int rowDuration) {
    RowUpdate update;
    if (report.key != m_currentRow) {
        update.startBar = true;
        m_currentRow = report.key;
    }
    switch (report.kind) {
        case BatchReport::Kind::Position:
            if (report.seconds == m_lastValue) {
                return update;
            }
            update.kind = RowUpdate::Kind::Bar;
            update.value = ShownProgress(report.seconds, rowDuration, report.Step());
            m_lastValue = report.seconds;
            return update;
        case BatchReport::Kind::Stopped:
            update.kind = RowUpdate::Kind::Abort;
            break;
        case BatchReport::Kind::FileDone:
            update.kind = RowUpdate::Kind::Done;
            break;
        case BatchReport::Kind::Failed:
            update.kind = RowUpdate::Kind::Failed;
            break;
    }
    // The file has ended: its bar goes, and the next report starts a new one.
    m_currentRow = 0;
    return update;
}

}  // namespace tarv
