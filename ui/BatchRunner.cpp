#include "BatchRunner.h"

namespace tarv {

BatchRunner::BatchRunner(wxEvtHandler& window, std::string programFolder, ReportHandler onReport,
                         EndHandler onEnd)
    : m_onReport(std::move(onReport)),
      m_onEnd(std::move(onEnd)),
      m_delivery(window),
      m_worker(m_state, *this) {
    m_state.programFolder = std::move(programFolder);
}

BatchRunner::~BatchRunner() {
    Shutdown();
}

bool BatchRunner::Start() {
    if (m_state.busy || m_delivery.IsClosed()) {
        return false;
    }
    m_state.stop = false;
    return m_worker.Start();
}

void BatchRunner::RequestStop() {
    m_worker.RequestStop();
}

void BatchRunner::Shutdown() {
    m_delivery.Close();
    m_worker.StopAndWait();
}

void BatchRunner::OnBatchReport(const BatchReport& report) {
    m_delivery.Send([this, report] {
        // The ticket is read on the window's thread, which alone starts batches.
        if (report.batch == m_state.ticket) {
            m_onReport(report);
        }
    });
}

void BatchRunner::OnBatchEnded(uint64_t batch) {
    // A new batch may have started between the worker's end and this call's turn: the old
    // batch's end must not end the new one's display.
    m_delivery.Post([this, batch] {
        if (batch == m_state.ticket && !m_state.busy && m_onEnd) {
            m_onEnd();
        }
    });
}

}  // namespace tarv
