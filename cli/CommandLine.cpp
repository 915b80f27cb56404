#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "Messages.h"

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

constexpr const char* kDescription = N_("Converts video files into 3GPP files for mobile phones.");
// The help's lines are at most 50 columns wide, beside the 30 of the options' names.
const char* HelpOf(OptionList list) {
    switch (list) {
        case OptionList::Format:
            return _(
                "output format (its preset sets frame rate, bitrates and\n"
                "sample rate; the options below override it)");
        case OptionList::VideoBitrate:
            return _("video bitrate");
        case OptionList::Resolution:
            return _("frame size");
        case OptionList::FrameRate:
            return _("frames per second");
        case OptionList::AudioBitrate:
            return _("audio bitrate");
        case OptionList::SampleRate:
            return _("audio sample rate");
        case OptionList::Aspect:
            return _("aspect ratio");
        default:
            return "";
    }
}

// A list's label or item in the command's language; the window's catalogue has them.
std::string Translated(std::string_view text) {
    return text.empty() ? std::string() : _(std::string(text).c_str());
}

// CLI11 cannot say that -o and the files are needed only for a conversion, so the usage line
// is ours; the description follows it, as in every other command's help.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_description(const CLI::App*) const override { return {}; }
    std::string make_usage(const CLI::App* app, std::string name) const override {
        // TRANSLATORS: FOLDER and FILE name the values, as the options' help names them.
        return Printf(_("Usage: %s [options] -o FOLDER FILE...\n"), name.c_str()) +
               app->get_description() + "\n";
    }
    // As CLI11 lays an option out, but its name padded to the column by the width the
    // terminal shows, not by bytes: a translated value name takes two bytes a letter or more.
    std::string make_option(const CLI::Option* option, bool positional) const override {
        const std::string name =
            "  " + make_option_name(option, positional) + make_option_opts(option);
        const size_t column = get_column_width();
        const size_t width = DisplayWidth(name);
        std::string text = name;
        const std::string description = make_option_desc(option);
        if (!description.empty()) {
            text += width >= column ? "\n" + std::string(column, ' ')
                                    : std::string(column - width, ' ');
            for (const char c : description) {
                text += c;
                if (c == '\n') {
                    text += std::string(column, ' ');
                }
            }
        }
        return text + "\n";
    }
};

// The whole text as a decimal number from low to high.
std::optional<int> NumberIn(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// The files are the words no option took, which CLI11 keeps in order with what it took each
// for. A positional list option would take "[a,b]" for two files.
class CommandApp : public CLI::App {
public:
    using CLI::App::App;

    // The files, and the first option CLI11 did not know, if any.
    std::vector<std::string> Files(std::optional<std::string>* unknown) const {
        std::vector<std::string> files;
        for (const auto& [kind, word] : missing_) {
            if (kind == CLI::detail::Classifier::NONE) {
                files.push_back(word);
            } else if (kind != CLI::detail::Classifier::POSITIONAL_MARK && !*unknown) {
                *unknown = word;
            }
        }
        return files;
    }
};

// What a parse fills in: the request, and the chosen list positions, which apply only once the
// whole line is read: the format's preset first, whatever the order they were given in.
struct Parsed {
    CliRequest request;
    std::map<OptionList, int> chosen;
};

// The command's options as CLI11 knows them; values that do not fit throw with our message.
void Describe(CLI::App& app, Parsed& parsed) {
    auto formatter = std::make_shared<HelpFormatter>();
    // The values' names, as the usage line names them.
    formatter->label("FOLDER", _("FOLDER"));
    // TRANSLATORS: the value of an option that takes a number.
    formatter->label("N", _("N"));
    // TRANSLATORS: the placeholder for --max-size's value in the help.
    formatter->label("SIZE", _("SIZE"));
    // TRANSLATORS: the value of --progress: text or json.
    formatter->label("FORMAT", _("FORMAT"));
    app.formatter(formatter);
    // The heading over the options.
    app.option_defaults()->group(_("Options"));
    app.set_help_flag("-h,--help", _("print this text"));
    // A later option of the same name wins, as it always has.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // The files are what no option takes.
    app.allow_extras();
    app.footer(
        _("N is a 0-based position in the list, as --list-options prints it.\n"
          "Exit status: 0 every file done, 1 some file failed, 130 stopped, 2 bad arguments\n"
          "or an output folder that cannot be used."));

    CliRequest& request = parsed.request;
    app.add_option("-o,--output", request.outputFolder,
                   _("where the .3gp files go (created when missing)"))
        ->type_name("FOLDER");
    for (OptionList list : SelectableLists()) {
        const std::string name = "--" + std::string(InfoOf(list).cliName);
        app.add_option_function<std::string>(
               name,
               [&parsed, list, name](const std::string& value) {
                   const int count = ItemCountOf(list);
                   const auto position = NumberIn(value, 0, count - 1);
                   if (!position) {
                       throw CLI::ValidationError(
                           Printf(_("option %s takes a position from 0 to %d, not \"%s\""),
                                  name.c_str(), count - 1, value.c_str()));
                   }
                   parsed.chosen[list] = *position;
               },
               HelpOf(list))
            ->type_name("N");
    }
    app.add_option_function<std::string>(
           "--max-size",
           [&request](const std::string& value) {
               const auto bytes = ParseSize(value);
               if (!bytes) {
                   throw CLI::ValidationError(Printf(
                       _("option --max-size takes a size such as 300K, 1M or 307200 (bytes), "
                         "not \"%s\""),
                       value.c_str()));
               }
               request.maxSize = *bytes;
           },
           _("the most each .3gp file may take: 300K, 600K, 1M, 3.5M,\n"
             "16M or any size (K and M of 1024, or bytes; 0: no limit);\n"
             "each file's bitrates are chosen to fill it, and a file too\n"
             "long to fit at the lowest quality fails, saying how long\n"
             "a file may be"))
        ->type_name("SIZE");
    app.add_option_function<std::string>(
           "--jobs",
           [&request](const std::string& value) {
               const auto jobs = NumberIn(value, 0, kMaxJobs);
               if (!jobs) {
                   throw CLI::ValidationError(
                       Printf(_("option --jobs takes a number from 0 to %d, not \"%s\""), kMaxJobs,
                              value.c_str()));
               }
               request.jobs = *jobs;
           },
           _("convert up to N files at the same time (0: one per\n"
             "processor core; default 1)"))
        ->type_name("N");
    app.add_option_function<std::string>(
           "--progress",
           [&request](const std::string& value) {
               if (value != "json" && value != "text") {
                   throw CLI::ValidationError(Printf(
                       _("option --progress takes json or text, not \"%s\""), value.c_str()));
               }
               request.progress =
                   value == "json" ? CliRequest::Progress::Json : CliRequest::Progress::Text;
           },
           _("text (the default) or json: one JSON object per line for\n"
             "every report instead of the text lines"))
        ->type_name("FORMAT");
    app.add_flag("--list-options", request.listOptions,
                 _("print every list with its positions and texts"));
    app.set_version_flag("--version", VersionText(), _("print the version"));
}

}  // namespace

std::optional<int64_t> ParseSize(std::string_view text) {
    size_t end = 0;
    while (end < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.')) {
        ++end;
    }
    const std::string number(text.substr(0, end));
    std::string unit(text.substr(end));
    for (char& c : unit) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    int64_t scale = 1;
    if (unit == "K" || unit == "KB") {
        scale = 1024;
    } else if (unit == "M" || unit == "MB") {
        scale = 1024 * 1024;
    } else if (!unit.empty()) {
        return std::nullopt;
    }
    // Whole bytes, or kilobytes and megabytes with a decimal fraction ("3.5M").
    const size_t point = number.find('.');
    const bool wellFormed =
        !number.empty() && number.front() != '.' && number.back() != '.' &&
        number.find('.', point == std::string::npos ? point : point + 1) == std::string::npos &&
        (point == std::string::npos || scale > 1) && number.size() <= 12;
    if (!wellFormed) {
        return std::nullopt;
    }
    const double bytes = std::round(std::strtod(number.c_str(), nullptr) * scale);
    if (bytes > static_cast<double>(kMaxSizeLimit)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(bytes);
}

std::string SizeToken(int64_t bytes) {
    for (const auto& [scale, unit] : {std::pair<int64_t, const char*>{1024 * 1024, "M"},
                                      std::pair<int64_t, const char*>{1024, "K"}}) {
        // Tenths of the unit where they are exact: 3.5M, but 307201 stays in bytes.
        if (bytes >= scale && (bytes * 10) % scale == 0) {
            char text[32];
            const int64_t tenths = bytes * 10 / scale;
            if (tenths % 10 == 0) {
                std::snprintf(text, sizeof text, "%lld%s", static_cast<long long>(tenths / 10),
                              unit);
            } else {
                std::snprintf(text, sizeof text, "%lld.%lld%s", static_cast<long long>(tenths / 10),
                              static_cast<long long>(tenths % 10), unit);
            }
            return text;
        }
    }
    return std::to_string(bytes);
}

std::variant<CliRequest, CliError> ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandApp app(_(kDescription), "tarv-convert");
    Parsed parsed;
    Describe(app, parsed);
    CliRequest& request = parsed.request;
    try {
        // CLI11 takes the arguments last first.
        app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
    } catch (const CLI::CallForHelp&) {
        request.help = true;
        return request;
    } catch (const CLI::CallForVersion&) {
        request.version = true;
        return request;
    } catch (const CLI::ArgumentMismatch& error) {
        // An option takes the words after it whatever they are, so only the last can lack its
        // value: name it as it was written.
        const std::string last =
            arguments.empty() ? "" : arguments.back().substr(0, arguments.back().find('='));
        if (!last.empty() && app.get_option_no_throw(last)) {
            return CliError{Printf(_("option %s needs a value"), last.c_str())};
        }
        return CliError{error.what()};
    } catch (const CLI::ParseError& error) {
        return CliError{error.what()};
    }
    std::optional<std::string> unknown;
    request.files = app.Files(&unknown);
    if (unknown) {
        return CliError{
            Printf(_("unknown option %s"), unknown->substr(0, unknown->find('=')).c_str())};
    }
    if (request.listOptions) {
        return request;
    }
    if (request.outputFolder.empty()) {
        return CliError{_("no output folder given (-o FOLDER)")};
    }
    if (request.files.empty()) {
        return CliError{_("no files to convert")};
    }

    request.options = StartSelections();
    if (const auto format = parsed.chosen.find(OptionList::Format); format != parsed.chosen.end()) {
        request.options.format = format->second;
        ApplyFormatPreset(request.options);
    }
    for (const auto& [list, position] : parsed.chosen) {
        request.options[list] = position;
    }
    // The size limit list's position, where the size is one of its items.
    request.options.sizeLimit = -1;
    for (int i = 0; i < ItemCountOf(OptionList::SizeLimit); ++i) {
        if (SizeLimitBytesOf(i) == request.maxSize) {
            request.options.sizeLimit = i;
        }
    }
    return request;
}

std::string UsageText() {
    CLI::App app(_(kDescription), "tarv-convert");
    Parsed unused;
    Describe(app, unused);
    return app.help();
}

std::string VersionText() {
    return "tarv-convert " TARV_VERSION;
}

std::string OptionListing() {
    const ConvertOptions start = StartSelections();
    std::string text;
    for (OptionList list : SelectableLists()) {
        const OptionListInfo& info = InfoOf(list);
        text += "--" + std::string(info.cliName) + "  (" + Translated(info.label) + ")\n";
        for (int i = 0; i < ItemCountOf(list); ++i) {
            char number[16];
            std::snprintf(number, sizeof number, "%2d", i);
            text += (i == start[list] ? "  * " : "    ") + std::string(number) + "  " +
                    Translated(DisplayTextOf(list, i)) + "\n";
        }
    }
    // The size limit is chosen by size: its items are listed as the sizes to give.
    const OptionListInfo& limits = InfoOf(OptionList::SizeLimit);
    text += "--" + std::string(limits.cliName) + "  (" + Translated(limits.label) + ")\n";
    for (int i = 0; i < ItemCountOf(OptionList::SizeLimit); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%4s", SizeToken(SizeLimitBytesOf(i)).c_str());
        text += (i == start.sizeLimit ? "  * " : "    ") + std::string(number) + "  " +
                Translated(DisplayTextOf(OptionList::SizeLimit, i)) + "\n";
    }
    text +=
        _("* marks the start selection (with format 0's preset); --max-size also takes\n"
          "any other size: K and M of 1024, or bytes.\n");
    return text;
}

}  // namespace tarv
