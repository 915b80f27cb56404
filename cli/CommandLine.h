// The headless command's arguments: which list positions to convert with, where to, and what.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "OptionCatalogue.h"

namespace tarv {

struct CliRequest {
    enum class Progress { Text, Json };

    bool listOptions = false;
    bool help = false;
    bool version = false;
    int jobs = 1;  // files converted at the same time; 0: one per processor core
    Progress progress = Progress::Text;
    ConvertOptions options;  // the window's start selections, then the format preset, then the rest
    int64_t maxSize = 0;     // the most each converted file may take, in bytes; 0 for no limit
    std::string outputFolder;
    std::vector<std::string> files;
};

// More files at once than this would only queue up on the disk.
inline constexpr int kMaxJobs = 64;

struct CliError {
    std::string message;
};

// The lists the command lets a user choose from by position, in the order --list-options
// prints them; the size limit list follows them, chosen by size.
const std::vector<OptionList>& SelectableLists();

// The most --max-size takes.
inline constexpr int64_t kMaxSizeLimit = int64_t{1} << 30;

// A size as --max-size takes it: "300K", "1M", "3.5M" (KB and MB of 1024, either case, the B
// optional), or whole bytes; 0 for no limit. Empty when the text is none of these, or more
// than kMaxSizeLimit.
std::optional<int64_t> ParseSize(std::string_view text);
// A size limit as --max-size takes it: "300K", "1M", "3.5M", or bytes where no unit fits.
std::string SizeToken(int64_t bytes);

std::variant<CliRequest, CliError> ParseCommandLine(const std::vector<std::string>& arguments);

// The help, as --help prints it.
std::string UsageText();
// "tarv-convert" and the version of this build.
std::string VersionText();
std::string OptionListing();

}  // namespace tarv
