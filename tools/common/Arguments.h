// Splits a tool's argument vector into known options and operands, and reads the
// "key=value:key:..." sub-option lists and numbers that the options carry.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Status.h"

namespace tarv::tools {

enum class ValueStyle {
    kNone,      // "-nosound"
    kNext,      // "-srate 22050": the value is the next argument, whatever it looks like
    kAttached,  // "-rate=10": the value follows "=" in the same argument
};

struct OptionSpec {
    std::string_view name;  // with its leading dash, without "="
    ValueStyle style;
};

struct ParsedOption {
    std::string name;
    std::string value;
};

struct ParsedArguments {
    std::vector<ParsedOption> options;  // in command-line order
    std::vector<std::string> operands;
};

// Tells whether an argument names an existing file; lets a file called "-clip.mp4" be an operand.
using ExistsFn = std::function<bool(const std::string&)>;
bool PathExists(const std::string& path);

// An argument that starts with "-" and is no known option is an error, unless it names an
// existing file or follows "--"; a value taken by kNext is never read as an option.
Status ParseArguments(std::span<const std::string> args, std::span<const OptionSpec> specs,
                      const ExistsFn& exists, ParsedArguments& out);

// "br=32:mpeg=4:object=2" -> {br,32} {mpeg,4} {object,2}; a bare key gets an empty value.
using SubOptions = std::vector<std::pair<std::string, std::string>>;
SubOptions SplitSubOptions(std::string_view text);

// Whole decimal numbers only, within [low, high].
std::optional<int> ParseInt(std::string_view text, int low, int high);

// A frame rate as "10", "29.97" or "30000/1001"; positive, at most 1000.
std::optional<std::pair<int, int>> ParseFrameRate(std::string_view text);

}  // namespace tarv::tools
