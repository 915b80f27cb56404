#include "CliReporter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "MediaProbe.h"
#include "Messages.h"
#include "ProgressDisplay.h"

namespace tarv {

namespace {

// A record on one line. File names are bytes, JSON text is Unicode: what is not valid UTF-8
// becomes U+FFFD instead of ending the command with an exception.
std::string Line(const nlohmann::ordered_json& record) {
    return record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// A playing time; one below zero (unknown) or not finite is null.
nlohmann::ordered_json LengthOrNull(double value) {
    return std::isfinite(value) && value >= 0 ? nlohmann::ordered_json(value) : nullptr;
}

}  // namespace

const char* StepName(StepType step) {
    switch (step) {
        case StepType::Encode:
            return N_("encoding");
        case StepType::RawVideo:
            return N_("extracting video");
        case StepType::RawAudio:
            return N_("extracting audio");
        case StepType::VideoMux:
            return N_("writing video track");
        case StepType::AudioMux:
            return N_("writing audio track");
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

CliReporter::CliReporter(std::ostream& out, Style style) : m_out(out), m_style(style) {}

std::string CliReporter::Prefix(size_t index) const {
    // Appended piece by piece: "[" + a temporary string sets off a false overlap warning in
    // MinGW's GCC 12.
    std::string text = "[";
    text += std::to_string(index + 1);
    text += '/';
    text += std::to_string(m_files.size());
    text += "] ";
    text += DisplayName(m_files[index].name);
    text += ": ";
    return text;
}

nlohmann::ordered_json CliReporter::Record(size_t index, const char* event) const {
    return {{"file", index + 1},
            {"files", m_files.size()},
            {"source", m_files[index].name},
            {"event", event}};
}

void CliReporter::EndLiveLine() {
    if (m_lineOpen) {
        m_out << '\n';
        m_lineOpen = false;
    }
}

CliReporter::File* CliReporter::FileOfReport(const BatchReport& report, size_t* index) {
    if (report.key >= m_files.size() || !m_files[report.key].inBatch) {
        return nullptr;
    }
    *index = static_cast<size_t>(report.key);
    return &m_files[*index];
}

void CliReporter::Probed(size_t file, uint64_t bytes, double seconds, const Bitrates& bitrates) {
    File& entry = m_files[file];
    // As the window does when files are added: the length decides the percentages.
    entry.duration = seconds > 0 ? static_cast<int>(seconds) : 0;
    entry.inBatch = true;
    if (m_style == Style::Json) {
        auto orNull = [](const std::optional<int>& value) {
            return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
        };
        nlohmann::ordered_json record = Record(file, "probed");
        record["bytes"] = bytes;
        record["seconds"] = LengthOrNull(seconds);
        record["video_kbps"] = orNull(bitrates.videoKbps);
        record["audio_kbps"] = orNull(bitrates.audioKbps);
        record["sample_rate"] = orNull(bitrates.sampleRate);
        m_out << Line(record) << std::endl;
        return;
    }
    // TRANSLATORS: a file's size in megabytes; the number keeps its decimal point.
    m_out << Prefix(file) << Printf(_("%.1f MB"), bytes / (1024.0 * 1024.0)) << ", "
          << FormatDuration(seconds);
    if (!bitrates.note.empty()) {
        m_out << "; " << bitrates.note;
    }
    m_out << std::endl;
}

void CliReporter::Fail(size_t file, const std::string& reason) {
    End(file, Outcome::Failed, reason);
}

void CliReporter::End(size_t index, Outcome outcome, const std::string& reason, int damagedFrames) {
    m_files[index].outcome = outcome;
    if (m_style == Style::Json) {
        nlohmann::ordered_json record = Record(index, "end");
        record["status"] = outcome == Outcome::Done     ? "done"
                           : outcome == Outcome::Failed ? "failed"
                                                        : "stopped";
        if (outcome == Outcome::Failed) {
            record["reason"] = reason;
        }
        if (outcome == Outcome::Done) {
            record["damaged_frames"] = damagedFrames;
        }
        m_out << Line(record) << std::endl;
        return;
    }
    EndLiveLine();
    m_lastFile = -1;
    if (outcome == Outcome::Done) {
        // What the encoder skipped goes after the status, which stays the window's.
        m_out << Prefix(index) << _("Done");
        if (damagedFrames > 0) {
            m_out << " ("
                  << Printf(ngettext("%d damaged frame skipped", "%d damaged frames skipped",
                                     static_cast<unsigned long>(damagedFrames)),
                            damagedFrames)
                  << ")";
        }
        m_out << std::endl;
    } else if (outcome == Outcome::Aborted) {
        m_out << Prefix(index) << _("Abort") << std::endl;
    } else {
        // The reason stays on the file's one line.
        std::string line = reason;
        std::replace(line.begin(), line.end(), '\n', ' ');
        // TRANSLATORS: %s is the reason, as the tool or the system gave it.
        m_out << Prefix(index) << Printf(_("Failed: %s"), line.c_str()) << std::endl;
    }
}

void CliReporter::Finish() {
    if (m_style != Style::Json) {
        return;
    }
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (m_files[i].outcome == Outcome::Pending) {
            End(i, Outcome::Aborted, {});
        }
    }
}

void CliReporter::OnBatchReport(const BatchReport& report) {
    size_t index = 0;
    File* file = FileOfReport(report, &index);
    if (!file) {
        return;
    }
    switch (report.kind) {
        case BatchReport::Kind::FileDone:
            End(index, Outcome::Done, {}, report.damagedFrames);
            return;
        case BatchReport::Kind::Stopped:
            End(index, Outcome::Aborted, {});
            return;
        case BatchReport::Kind::Failed:
            End(index, Outcome::Failed, report.text);
            return;
        case BatchReport::Kind::Position:
            break;
    }

    // Reports of several files may interleave, so each file keeps its own last step; the step
    // is the reported entry's, whatever another file runs.
    const StepType step = report.Step();
    const int shown = ShownProgress(report.seconds, file->duration, step);
    const bool newStep = file->lastShown < 0 || step != file->lastStep;
    const bool sameLine = m_style == Style::Live && static_cast<int>(index) == m_lastFile;
    if (!newStep && shown == file->lastShown) {
        return;
    }
    // TRANSLATORS: a step of a file's conversion ("encoding") and how far the file is.
    const std::string line = Prefix(index) + Printf(_("%s %d%%"), _(StepName(step)), shown);
    if (m_style == Style::Json) {
        nlohmann::ordered_json record = Record(index, "progress");
        record["step"] = StepName(step);
        record["percent"] = shown;
        m_out << Line(record) << std::endl;
    } else if (m_style == Style::Live) {
        // One line per step, its percentage rewritten in place.
        if (newStep || !sameLine) {
            EndLiveLine();
        } else {
            m_out << '\r';
        }
        m_out << line << std::flush;
        m_lineOpen = true;
        m_lastFile = static_cast<int>(index);
    } else if (newStep || shown / 10 != file->lastShown / 10) {
        m_out << line << std::endl;
    }
    file->lastStep = step;
    file->lastShown = shown;
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
