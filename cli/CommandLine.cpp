#include "CommandLine.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <optional>

namespace tarv {

const std::vector<OptionList>& SelectableLists() {
    static const std::vector<OptionList> kLists = {
        OptionList::Format,    OptionList::VideoBitrate, OptionList::Resolution,
        OptionList::FrameRate, OptionList::AudioBitrate, OptionList::SampleRate,
        OptionList::Aspect,
    };
    return kLists;
}

namespace {

std::optional<OptionList> ListNamed(std::string_view name) {
    for (OptionList list : SelectableLists()) {
        if (InfoOf(list).cliName == name) {
            return list;
        }
    }
    return std::nullopt;
}

std::optional<int> Position(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::variant<CliRequest, CliError> ParseCommandLine(const std::vector<std::string>& arguments) {
    CliRequest request;
    std::map<OptionList, int> chosen;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            request.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            request.help = true;
            continue;
        }
        if (argument == "--list-options") {
            request.listOptions = true;
            continue;
        }
        // The option's value follows it, or is joined to it with "=".
        std::string name = argument;
        std::optional<std::string> value;
        if (const size_t equals = argument.find('='); equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        const bool isFolder = name == "-o" || name == "--output";
        const bool isJobs = name == "--jobs";
        const bool isProgress = name == "--progress";
        const auto list = name.starts_with("--") ? ListNamed(name.substr(2)) : std::nullopt;
        if (!isFolder && !isJobs && !isProgress && !list) {
            return CliError{"unknown option " + name};
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                return CliError{"option " + name + " needs a value"};
            }
            value = arguments[++i];
        }
        if (isFolder) {
            request.outputFolder = *value;
            continue;
        }
        if (isJobs) {
            const auto jobs = Position(*value);
            if (!jobs || *jobs < 0 || *jobs > kMaxJobs) {
                return CliError{"option --jobs takes a number from 0 to " +
                                std::to_string(kMaxJobs) + ", not \"" + *value + "\""};
            }
            request.jobs = *jobs;
            continue;
        }
        if (isProgress) {
            if (*value != "json" && *value != "text") {
                return CliError{"option --progress takes json or text, not \"" + *value + "\""};
            }
            request.progress =
                *value == "json" ? CliRequest::Progress::Json : CliRequest::Progress::Text;
            continue;
        }
        const auto position = Position(*value);
        const int count = ItemCountOf(*list);
        if (!position || *position < 0 || *position >= count) {
            return CliError{"option " + name + " takes a position from 0 to " +
                            std::to_string(count - 1) + ", not \"" + *value + "\""};
        }
        chosen[*list] = *position;
    }
    if (request.help || request.listOptions) {
        return request;
    }
    if (request.outputFolder.empty()) {
        return CliError{"no output folder given (-o FOLDER)"};
    }
    if (request.files.empty()) {
        return CliError{"no files to convert"};
    }

    request.options = StartSelections();
    if (const auto format = chosen.find(OptionList::Format); format != chosen.end()) {
        request.options.format = format->second;
        ApplyFormatPreset(request.options);
    }
    for (const auto& [list, position] : chosen) {
        request.options[list] = position;
    }
    return request;
}

std::string UsageText() {
    return "Usage: tarv-convert [options] -o FOLDER FILE...\n"
           "Converts video files into 3GPP files for mobile phones.\n"
           "\n"
           "  -o, --output FOLDER    where the .3gp files go (created when missing)\n"
           "  --format N             output format (its preset sets frame rate, bitrates and\n"
           "                         sample rate; the options below override it)\n"
           "  --video-quality N      video bitrate\n"
           "  --resolution N         frame size\n"
           "  --framerate N          frames per second\n"
           "  --audio-quality N      audio bitrate\n"
           "  --sample-rate N        audio sample rate\n"
           "  --aspect N             aspect ratio\n"
           "  --jobs N               convert up to N files at the same time (0: one per\n"
           "                         processor core; default 1)\n"
           "  --progress=json        one JSON object per line for every report, instead of\n"
           "                         the text lines\n"
           "  --list-options         print every list with its positions and texts\n"
           "  -h, --help             print this text\n"
           "\n"
           "N is a 0-based position in the list, as --list-options prints it.\n"
           "Exit status: 0 every file done, 1 some file failed, 130 stopped, 2 bad arguments\n"
           "or an output folder that cannot be used.\n";
}

std::string OptionListing() {
    const ConvertOptions start = StartSelections();
    std::string text;
    for (OptionList list : SelectableLists()) {
        const OptionListInfo& info = InfoOf(list);
        text += "--" + std::string(info.cliName) + "  (" + std::string(info.label) + ")\n";
        for (int i = 0; i < ItemCountOf(list); ++i) {
            char number[16];
            std::snprintf(number, sizeof number, "%2d", i);
            text += (i == start[list] ? "  * " : "    ") + std::string(number) + "  " +
                    std::string(DisplayTextOf(list, i)) + "\n";
        }
    }
    text += "* marks the start selection (with format 0's preset).\n";
    return text;
}

}  // namespace tarv
