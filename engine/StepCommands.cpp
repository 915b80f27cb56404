#include "StepCommands.h"

#include <chrono>

#include "ToolSet.h"

namespace tarv {

namespace {

// Collects a command's tokens into the argument vector and, at the same time, into the one-line
// text where paths stand in double quotes.
class CommandBuilder {
public:
    explicit CommandBuilder(std::string toolPath) { Quoted(std::move(toolPath)); }

    CommandBuilder& Plain(std::string token) {
        Append(token, false);
        m_command.arguments.push_back(std::move(token));
        return *this;
    }

    CommandBuilder& Quoted(std::string token) {
        Append(token, true);
        m_command.arguments.push_back(std::move(token));
        return *this;
    }

    Command Finish(bool trailingSpace) {
        if (trailingSpace) {
            m_command.text += ' ';
        }
        return std::move(m_command);
    }

private:
    void Append(const std::string& token, bool quoted) {
        if (!m_command.text.empty()) {
            m_command.text += ' ';
        }
        if (quoted) {
            m_command.text += '"';
        }
        m_command.text += token;
        if (quoted) {
            m_command.text += '"';
        }
    }

    Command m_command;
};

std::string Join(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) {
        text += part;
    }
    return text;
}

// The longest extension of the four names (".avi", ".m4v", ".264", ".aac", ".3gp").
constexpr size_t kOutputExtensionBytes = 4;

// The base name with the suffix, cut where needed so that each of its four names still fits
// the file system's name limit: a source named near the limit would otherwise fail for want
// of a name, or once a collision adds a suffix.
std::string FittedBaseName(std::string_view baseName, std::string_view suffix) {
    const std::string folder = FolderPart(baseName);
    return folder + FitFileName(baseName.substr(folder.size()), suffix,
                                kMaxFileNameBytes - kOutputExtensionBytes);
}

}  // namespace

StepType StepTypeOf(int stepPosition) {
    return static_cast<StepType>(static_cast<int32_t>(StepType::Encode) - stepPosition);
}

OutputNames OutputNamesOf(std::string_view baseName, std::string_view rawVideoExtension) {
    return {
        Join({baseName, ".avi"}),
        Join({baseName, ".", rawVideoExtension}),
        Join({baseName, ".aac"}),
        Join({baseName, ".3gp"}),
    };
}

std::string_view RawVideoExtensionOf(int format) {
    const FormatItem* item = FormatOf(format);
    return item ? item->rawVideoExtension : std::string_view();
}

std::string OutputBaseName(std::string_view outputFolder, std::string_view sourcePath,
                           char separator) {
    std::string base(outputFolder);
    if (base.empty() || base.back() != separator) {
        base += separator;
    }
    std::string title = FileTitleOf(sourcePath, separator);
    if (title.empty()) {
        title = LastPathPart(sourcePath, separator);
        if (title.empty() && sourcePath.find(separator) == std::string_view::npos) {
            title = sourcePath;
        }
    }
    return base + title;
}

const std::string& StepTargetOf(int stepPosition, const OutputNames& names) {
    switch (StepTypeOf(stepPosition)) {
        case StepType::Encode:
            return names.avi;
        case StepType::RawVideo:
            return names.rawVideo;
        case StepType::RawAudio:
            return names.rawAudio;
        case StepType::VideoMux:
        case StepType::AudioMux:
            break;
    }
    return names.output;
}

std::string StagedPathOf(std::string_view targetPath, int processId) {
    const std::string folder = FolderPart(targetPath);
    return folder + FitFileName(targetPath.substr(folder.size()),
                                "." + std::to_string(processId) + ".tarvpart");
}

std::string ClaimMarkerPathOf(std::string_view baseName) {
    const std::string folder = FolderPart(baseName);
    return folder + FitFileName("." + std::string(baseName.substr(folder.size())), ".tarvclaim");
}

BaseNameChoice ChooseOutputBaseName(std::string_view baseName, int32_t tickCount,
                                    const ClaimFunction& claim, const std::atomic<bool>* stop) {
    std::string candidate = FittedBaseName(baseName, "");
    // The suffix counts on from the tick count in unsigned arithmetic, so it wraps instead of
    // overflowing.
    uint32_t suffix = static_cast<uint32_t>(tickCount);
    for (int tries = 0; tries < kMaxNameTries; ++tries) {
        if (stop && *stop) {
            return {};
        }
        const ClaimTry attempt = claim(candidate);
        if (attempt.result == ClaimTry::Result::Claimed) {
            return {candidate, {}};
        }
        if (attempt.result == ClaimTry::Result::Failed) {
            return {{}, attempt.error};
        }
        candidate = FittedBaseName(baseName, "_" + std::to_string(static_cast<int32_t>(suffix++)));
    }
    return {{}, "no free output name beside " + std::string(baseName)};
}

int32_t TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

Command BuildStepCommand(int stepPosition, std::string_view programFolder,
                         std::string_view sourcePath, std::string_view baseName,
                         const ConvertOptions& options, const SizePlan* plan) {
    const std::string_view rawExtension = RawVideoExtensionOf(options.format);
    const OutputNames names = OutputNamesOf(baseName, rawExtension);
    const std::string encoder = ToolPath(programFolder, Tool::Encoder);
    const std::string muxer = ToolPath(programFolder, Tool::Muxer);
    const auto value = [&](OptionList list) { return std::string(ValueOf(list, options[list])); };

    switch (StepTypeOf(stepPosition)) {
        case StepType::Encode: {
            CommandBuilder command(encoder);
            command.Plain("-af").Plain("volnorm");
            const bool sized = plan && plan->fits;
            command.Plain("-srate").Plain(sized ? std::to_string(plan->sampleRate)
                                                : value(OptionList::SampleRate));
            if (sized && plan->mono) {
                command.Plain("-channels").Plain("1");
            }
            command.Plain("-vf-add").Plain("scale=" + value(OptionList::Resolution) + ",harddup");
            command.Plain("-ofps").Plain(value(OptionList::FrameRate));
            command.Plain("-oac").Plain("faac");
            command.Plain("-faacopts")
                .Plain("br=" +
                       (sized ? std::to_string(plan->audioKbps) : value(OptionList::AudioBitrate)) +
                       ":mpeg=4:object=2");
            const std::string bitrate = "bitrate=" + value(OptionList::VideoBitrate);
            const std::string size = sized ? ":size=" + std::to_string(plan->streamBytes) : "";
            const FormatItem* format = FormatOf(options.format);
            if (format && format->family == VideoFamily::X264) {
                command.Plain("-ovc").Plain("x264").Plain("-ffourcc").Plain("H264");
                command.Plain("-x264encopts")
                    .Plain(bitrate + ":level_idc=12:nocabac:bframes=0" + size);
            } else {
                command.Plain("-ovc").Plain("xvid");
                command.Plain("-xvidencopts").Plain(bitrate + ":max_bframes=0" + size);
            }
            command.Quoted(std::string(sourcePath)).Plain("-o").Quoted(names.avi);
            return command.Finish(true);
        }
        case StepType::RawVideo:
            return CommandBuilder(encoder)
                .Plain("-ovc")
                .Plain("copy")
                .Plain("-nosound")
                .Plain("-of")
                .Plain("rawvideo")
                .Quoted(names.avi)
                .Plain("-o")
                .Quoted(names.rawVideo)
                .Finish(false);
        case StepType::RawAudio:
            return CommandBuilder(encoder)
                .Plain("-ovc")
                .Plain("frameno")
                .Plain("-oac")
                .Plain("copy")
                .Plain("-of")
                .Plain("rawaudio")
                .Quoted(names.avi)
                .Plain("-o")
                .Quoted(names.rawAudio)
                .Finish(false);
        case StepType::VideoMux:
            return CommandBuilder(muxer)
                .Plain("-c")
                .Quoted(names.rawVideo)
                .Plain("-rate=" + value(OptionList::FrameRate))
                .Quoted(names.output)
                .Finish(false);
        case StepType::AudioMux:
            return CommandBuilder(muxer)
                .Plain("-c")
                .Quoted(names.rawAudio)
                .Quoted(names.output)
                .Finish(false);
    }
    return {};
}

}  // namespace tarv
