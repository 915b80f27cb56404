// The headless command's arguments: which list positions to convert with, where to, and what.
#pragma once

#include <string>
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
    std::string outputFolder;
    std::vector<std::string> files;
};

// More files at once than this would only queue up on the disk.
inline constexpr int kMaxJobs = 64;

struct CliError {
    std::string message;
};

// The lists the command lets a user choose from, in the order --list-options prints them.
const std::vector<OptionList>& SelectableLists();

std::variant<CliRequest, CliError> ParseCommandLine(const std::vector<std::string>& arguments);

// The help, as --help prints it.
std::string UsageText();
// "tarv-convert" and the version of this build.
std::string VersionText();
std::string OptionListing();

}  // namespace tarv
