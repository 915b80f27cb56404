#include "ConvertWorker.h"

#include <algorithm>
#include <deque>
#include <exception>

#include "FileSystem.h"
#include "OutputClaim.h"
#include "ProgressRecord.h"

namespace tarv {

namespace {

// How much of a tool's output is kept for a failure message.
constexpr size_t kKeptOutputBytes = 4096;
constexpr int kFailureLines = 4;

}  // namespace

void BatchState::AddFile(const std::string& sourcePath, const std::string& outputFolder) {
    AddFile(sourcePath, outputFolder, files.size());
}

void BatchState::AddFile(const std::string& sourcePath, const std::string& outputFolder,
                         uint64_t key, double seconds) {
    files.emplace_back(key, sourcePath, OutputBaseName(outputFolder, sourcePath), seconds);
}

std::optional<SizePlan> BatchState::PlanFor(const BatchFile& file) const {
    if (sizeLimit <= 0) {
        return std::nullopt;
    }
    return PlanForSize(options, sizeLimit, file.seconds);
}

bool BatchState::Withdraw(uint64_t key) {
    for (BatchFile& file : files) {
        if (file.key == key) {
            int waiting = BatchFile::kWaiting;
            return file.stage.compare_exchange_strong(waiting, BatchFile::kWithdrawn) ||
                   waiting == BatchFile::kWithdrawn;
        }
    }
    return false;
}

std::string LastOutputLines(const std::string& output, int lineCount) {
    std::deque<std::string> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = output.size();
        }
        std::string line = output.substr(start, end - start);
        const bool blank = line.find_first_not_of(" \t") == std::string::npos;
        if (!blank && line.rfind("Pos:", 0) != 0) {
            lines.push_back(std::move(line));
            if (static_cast<int>(lines.size()) > lineCount) {
                lines.pop_front();
            }
        }
        start = end + 1;
    }
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) {
            text += '\n';
        }
        text += line;
    }
    return text;
}

ConvertWorker::ConvertWorker(BatchState& state, ProgressSink& sink)
    : m_state(state), m_sink(sink) {}

ConvertWorker::~ConvertWorker() {
    StopAndWait();
}

bool ConvertWorker::Start() {
    if (m_state.busy) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ++m_state.ticket;
    // Set here rather than on the new thread, so the caller sees the batch as running at once.
    m_state.busy = true;
    m_thread = std::thread(&ConvertWorker::Run, this);
    return true;
}

void ConvertWorker::RequestStop() {
    m_state.stop = true;
    std::lock_guard lock(m_childMutex);
    for (ChildProcess* child : m_children) {
        child->Terminate();
    }
}

void ConvertWorker::StopAndWait() {
    if (m_state.busy) {
        RequestStop();
    }
    Wait();
}

void ConvertWorker::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ConvertWorker::Run() {
    m_nextFile = 0;
    const int files = m_state.FileCount();
    const int lanes = std::clamp(m_state.jobs, 1, std::max(files, 1));
    std::vector<std::thread> others;
    for (int lane = 1; lane < lanes; ++lane) {
        try {
            others.emplace_back(&ConvertWorker::RunLane, this);
        } catch (const std::exception&) {
            break;  // no more threads to be had: the lanes there are share the files
        }
    }
    RunLane();
    for (std::thread& lane : others) {
        lane.join();
    }
    const uint64_t ticket = m_state.ticket;
    // Cleared only now, so no new batch can start while this one is still tidying up.
    m_state.busy = false;
    m_sink.OnBatchEnded(ticket);
}

void ConvertWorker::RunLane() {
    float position = 0;  // a record that does not parse repeats the last position
    const int count = m_state.FileCount();
    while (!m_state.stop) {
        const int file = m_nextFile.fetch_add(1);
        if (file >= count) {
            break;
        }
        int waiting = BatchFile::kWaiting;
        if (!m_state.files[file].stage.compare_exchange_strong(waiting, BatchFile::kTaken)) {
            continue;  // withdrawn before its turn came
        }
        bool goOn = false;
        try {
            goOn = RunFile(file, position);
        } catch (const std::exception& error) {
            // Nothing may end the program from this thread; the file fails instead.
            BatchReport report;
            report.file = file;
            report.kind = BatchReport::Kind::Failed;
            report.text = error.what();
            Report(report);
            goOn = !m_state.stop;
        }
        if (!goOn) {
            break;
        }
    }
}

void ConvertWorker::Report(const BatchReport& report) {
    std::lock_guard lock(m_reportMutex);
    BatchReport stamped = report;
    stamped.batch = m_state.ticket;
    stamped.key = m_state.files[report.file].key;
    m_sink.OnBatchReport(stamped);
}

bool ConvertWorker::RunFile(int file, float& position) {
    BatchFile& entry = m_state.files[file];
    const std::string_view rawExtension = RawVideoExtensionOf(m_state.options.format);
    BatchReport report;
    report.file = file;

    // A file that cannot fit the size limit fails before a name is claimed or a tool runs.
    const std::optional<SizePlan> plan = m_state.PlanFor(entry);
    if (plan && !plan->fits) {
        report.kind = BatchReport::Kind::Failed;
        report.text = plan->reason;
        Report(report);
        return !m_state.stop;
    }

    // The names are claimed before anything is written, and held to the file's end, so no other
    // run, job or user file can come to share them.
    std::unique_ptr<OutputClaim> claim;
    const BaseNameChoice choice = ChooseOutputBaseName(
        entry.baseName, TickCount(),
        [&](std::string_view candidate) {
            return OutputClaim::TryClaim(candidate, rawExtension, &claim);
        },
        &m_state.stop);
    if (m_state.stop) {
        return false;
    }
    if (!claim) {
        report.kind = BatchReport::Kind::Failed;
        report.text = choice.error;
        Report(report);
        return true;
    }
    entry.baseName = choice.baseName;
    report.output = claim->Names().output;
    int damagedFrames = 0;

    for (int p = 0; p < kStepsPerFile; ++p) {
        report.step = p;
        std::string failure = claim->Intrusion();
        int processId = -1;
        StepEnd end = StepEnd::Failed;
        std::string output;
        if (failure.empty()) {
            const Command command =
                BuildStepCommand(p, m_state.programFolder, entry.sourcePath, entry.baseName,
                                 m_state.options, plan ? &*plan : nullptr);
            end = RunTool(report, command, position, failure, processId, output);
        }
        const std::string& target = StepTargetOf(p, claim->Names());
        if (end != StepEnd::Done && processId > 0) {
            // A tool killed before it could tidy up leaves its staged file; nobody else's.
            RemoveFile(StagedPathOf(target, processId));
        }
        if (end == StepEnd::Stopped) {
            // The intermediates stay for a later look, but a half-made 3GPP file would pass
            // for a finished one. A stop between two steps ends the file all the same.
            claim->RemoveMade(OutputClaim::Made::Output);
            if (processId > 0 || p > 0) {
                report.kind = BatchReport::Kind::Stopped;
                Report(report);
            }
            return false;
        }
        if (end == StepEnd::Failed) {
            claim->RemoveMade(OutputClaim::Made::All);
            report.kind = BatchReport::Kind::Failed;
            report.text = std::move(failure);
            Report(report);
            return !m_state.stop;
        }
        claim->RecordMade(target);
        // The encoder decodes past damage in the source and says how much it skipped.
        if (StepTypeOf(p) == StepType::Encode) {
            damagedFrames = FindDamagedFrames(output).value_or(0);
        }
    }
    claim->RemoveMade(OutputClaim::Made::Intermediates);
    report.kind = BatchReport::Kind::FileDone;
    report.damagedFrames = damagedFrames;
    Report(report);
    return !m_state.stop;
}

ConvertWorker::StepEnd ConvertWorker::RunTool(BatchReport& report, const Command& command,
                                              float& position, std::string& failure, int& processId,
                                              std::string& kept) {
    std::string error;
    std::unique_ptr<ChildProcess> child;
    {
        std::lock_guard lock(m_childMutex);
        if (m_state.stop) {
            return StepEnd::Stopped;
        }
        child = ChildProcess::Launch(command.arguments, &error);
        if (child) {
            m_children.push_back(child.get());
        }
    }
    if (!child) {
        failure = error;
        return StepEnd::Failed;
    }
    processId = child->Id();

    kept.clear();
    char chunk[ChildProcess::kMaxRead];
    while (const size_t count = child->Read(chunk, sizeof chunk)) {
        const std::string_view text(chunk, count);
        if (const auto record = FindProgressRecord(text)) {
            if (const auto parsed = ParseProgressPosition(*record)) {
                position = *parsed;
            }
            report.kind = BatchReport::Kind::Position;
            report.seconds = WholeSeconds(position);
            Report(report);
        }
        kept.append(text);
        if (kept.size() > kKeptOutputBytes) {
            kept.erase(0, kept.size() - kKeptOutputBytes);
        }
        if (m_state.stop) {
            child->Terminate();
            break;
        }
    }

    const ExitStatus status = child->Wait();
    {
        std::lock_guard lock(m_childMutex);
        std::erase(m_children, child.get());
    }
    if (child->TerminateRequested() && !status.Succeeded()) {
        return StepEnd::Stopped;
    }
    if (!status.Succeeded()) {
        failure = LastOutputLines(kept, kFailureLines);
        if (failure.empty()) {
            failure = LastPathPart(command.arguments.front()) + " ended with " + status.Describe();
        }
        return StepEnd::Failed;
    }
    return StepEnd::Done;
}

}  // namespace tarv
