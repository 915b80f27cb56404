#include "ConvertWorker.h"

#include <unistd.h>

#include <deque>

#include "ProgressRecord.h"

namespace tarv {

namespace {

// How much of a tool's output is kept for a failure message.
constexpr size_t kKeptOutputBytes = 4096;
constexpr int kFailureLines = 4;

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

}  // namespace

void BatchState::AddFile(const std::string& sourcePath, const std::string& outputFolder) {
    const std::string base = OutputBaseName(outputFolder, sourcePath);
    for (int step = 0; step < kStepsPerFile; ++step) {
        entries.push_back({sourcePath, base, {}});
    }
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

ConvertWorker::~ConvertWorker() { StopAndWait(); }

bool ConvertWorker::Start() {
    if (m_state.busy) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    // Set here rather than on the new thread, so the caller sees the batch as running at once.
    m_state.busy = true;
    m_thread = std::thread(&ConvertWorker::Run, this);
    return true;
}

void ConvertWorker::RequestStop() {
    m_state.stop = true;
    std::lock_guard lock(m_childMutex);
    if (m_child) {
        m_child->Terminate();
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
    float position = 0;  // a record that does not parse repeats the last position
    const int count = m_state.EntryCount();
    for (int k = 0; k < count;) {
        int next = k + 1;
        if (!RunEntry(k, position, next)) {
            break;
        }
        k = next;
    }
    // Cleared only now, so no new batch can start while this one is still tidying up.
    m_state.busy = false;
    m_sink.OnBatchEnded();
}

void ConvertWorker::RemoveFilesOf(const BatchEntry& entry, bool withOutput) const {
    const OutputNames names =
        OutputNamesOf(entry.baseName, RawVideoExtensionOf(m_state.options.format));
    RemoveFile(names.avi);
    RemoveFile(names.rawVideo);
    RemoveFile(names.rawAudio);
    if (withOutput) {
        RemoveFile(names.output);
    }
}

bool ConvertWorker::RunEntry(int k, float& position, int& nextEntry) {
    const int p = k % kStepsPerFile;
    BatchEntry& entry = m_state.entries[k];
    const std::string_view rawExtension = RawVideoExtensionOf(m_state.options.format);

    if (p == 0) {
        const std::string base = ResolveOutputBaseName(entry.baseName, rawExtension, TickCount());
        for (int i = k; i < k + kStepsPerFile && i < m_state.EntryCount(); ++i) {
            m_state.entries[i].baseName = base;
        }
    }
    const Command command = BuildStepCommand(p, m_state.programFolder, entry.sourcePath,
                                             entry.baseName, m_state.options);
    m_state.currentStepType = static_cast<int32_t>(StepTypeOf(p));

    const int fileEnd = k - p + kStepsPerFile;
    auto failFile = [&](std::string reason) {
        entry.failure = std::move(reason);
        // All four names were free when the file started, so whatever lies there now is ours.
        RemoveFilesOf(entry, true);
        m_sink.OnConvertProgress(k, kProgressFailed);
        nextEntry = fileEnd;
        return !m_state.stop;
    };

    std::string error;
    std::unique_ptr<ChildProcess> child;
    {
        std::lock_guard lock(m_childMutex);
        if (m_state.stop) {
            return false;
        }
        child = ChildProcess::Launch(command.arguments, &error);
        m_child = child.get();
    }
    if (!child) {
        return failFile(error);
    }

    std::string kept;
    char chunk[ChildProcess::kMaxRead];
    while (const size_t count = child->Read(chunk, sizeof chunk)) {
        const std::string_view text(chunk, count);
        if (const auto record = FindProgressRecord(text)) {
            if (const auto parsed = ParseProgressPosition(*record)) {
                position = *parsed;
            }
            m_sink.OnConvertProgress(k, WholeSeconds(position));
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
        m_child = nullptr;
    }
    if (child->TerminateRequested() && !status.Succeeded()) {
        m_sink.OnConvertProgress(k, kProgressStopped);
        return false;
    }
    if (!status.Succeeded()) {
        std::string reason = LastOutputLines(kept, kFailureLines);
        if (reason.empty()) {
            reason = LastPathPart(command.arguments.front()) + " ended with " + status.Describe();
        }
        return failFile(reason);
    }
    if (p == kStepsPerFile - 1) {
        RemoveFilesOf(entry, false);
        m_sink.OnConvertProgress(k, kProgressFileDone);
    }
    return !m_state.stop;
}

}  // namespace tarv
