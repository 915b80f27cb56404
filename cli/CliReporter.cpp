#include "CliReporter.h"

#include <algorithm>
#include <cstdio>

#include "ProgressDisplay.h"

namespace tarv {

const char* StepName(StepType step) {
    switch (step) {
        case StepType::Encode:
            return "encoding";
        case StepType::RawVideo:
            return "extracting video";
        case StepType::RawAudio:
            return "extracting audio";
        case StepType::VideoMux:
            return "writing video track";
        case StepType::AudioMux:
            return "writing audio track";
    }
    return "";
}

std::string DisplayName(const std::string& name) {
    const bool plain = !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
    if (plain) {
        return name;
    }
    std::string text = "\"";
    for (const char c : name) {
        switch (c) {
            case '\n':
                text += "\\n";
                break;
            case '\r':
                text += "\\r";
                break;
            case '\t':
                text += "\\t";
                break;
            case '"':
                text += "\\\"";
                break;
            case '\\':
                text += "\\\\";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02x",
                                  static_cast<unsigned char>(c));
                    text += escaped;
                } else {
                    text += c;
                }
        }
    }
    return text + "\"";
}

CliReporter::CliReporter(const BatchState& state, std::ostream& out, bool live)
    : m_state(state), m_out(out), m_live(live) {}

std::string CliReporter::Prefix(size_t index) const {
    return "[" + std::to_string(index + 1) + "/" + std::to_string(m_files.size()) + "] " +
           DisplayName(m_files[index].name) + ": ";
}

void CliReporter::EndLiveLine() {
    if (m_lineOpen) {
        m_out << '\n';
        m_lineOpen = false;
    }
}

CliReporter::File* CliReporter::FileOfEntry(int entry, size_t* index) {
    for (size_t i = 0; i < m_files.size(); ++i) {
        const int first = m_files[i].firstEntry;
        if (first >= 0 && entry >= first && entry < first + kStepsPerFile) {
            *index = i;
            return &m_files[i];
        }
    }
    return nullptr;
}

void CliReporter::Fail(size_t file, const std::string& reason) {
    EndLiveLine();
    m_files[file].outcome = Outcome::Failed;
    m_out << Prefix(file) << "Failed: " << reason << std::endl;
}

void CliReporter::OnConvertProgress(int entry, int value) {
    size_t index = 0;
    File* file = FileOfEntry(entry, &index);
    if (!file) {
        return;
    }
    if (value == kProgressFileDone || value == kProgressStopped || value == kProgressFailed) {
        EndLiveLine();
        m_lastFile = -1;
        if (value == kProgressFileDone) {
            file->outcome = Outcome::Done;
            m_out << Prefix(index) << "Done" << std::endl;
        } else if (value == kProgressStopped) {
            file->outcome = Outcome::Aborted;
            m_out << Prefix(index) << "Abort" << std::endl;
        } else {
            std::string reason = m_state.entries[entry].failure;
            std::replace(reason.begin(), reason.end(), '\n', ' ');
            Fail(index, reason);
        }
        return;
    }

    const StepType step = m_state.CurrentStep();
    const int shown = ShownProgress(value, file->duration, step);
    const bool newStep = static_cast<int>(index) != m_lastFile || step != m_lastStep;
    if (!newStep && shown == m_lastShown) {
        return;
    }
    const std::string line = Prefix(index) + StepName(step) + " " + std::to_string(shown) + "%";
    if (m_live) {
        // One line per step, its percentage rewritten in place.
        if (newStep) {
            EndLiveLine();
        } else {
            m_out << '\r';
        }
        m_out << line << std::flush;
        m_lineOpen = true;
    } else if (newStep || shown / 10 != m_lastShown / 10) {
        m_out << line << std::endl;
    }
    m_lastFile = static_cast<int>(index);
    m_lastStep = step;
    m_lastShown = shown;
}

bool CliReporter::AnyFailed() const {
    return std::any_of(m_files.begin(), m_files.end(),
                       [](const File& f) { return f.outcome == Outcome::Failed; });
}

bool CliReporter::AnyAborted() const {
    return std::any_of(m_files.begin(), m_files.end(),
                       [](const File& f) { return f.outcome == Outcome::Aborted; });
}

}  // namespace tarv
