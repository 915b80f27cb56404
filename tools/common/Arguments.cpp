#include "Arguments.h"

#include "PathFacts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tarv::tools {

bool PathExists(const std::string& path) {
    PathFacts facts;
    std::string reason;
    return LookAtPath(path, facts, &reason);
}

Status ParseArguments(std::span<const std::string> args, std::span<const OptionSpec> specs,
                      const ExistsFn& exists, ParsedArguments& out) {
    out = {};
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t eq = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, eq);
        const auto known = std::find_if(specs.begin(), specs.end(), [&](const OptionSpec& s) {
            return s.name == (s.style == ValueStyle::kAttached ? name : std::string_view(arg));
        });
        if (known == specs.end()) {
            if (exists && exists(arg)) {
                out.operands.push_back(arg);
                continue;
            }
            return Status::Usage("unknown option " + arg);
        }
        ParsedOption option{std::string(known->name), {}};
        switch (known->style) {
            case ValueStyle::kNone:
                break;
            case ValueStyle::kNext:
                if (i + 1 >= args.size()) {
                    return Status::Usage("option " + arg + " needs a value");
                }
                option.value = args[++i];
                break;
            case ValueStyle::kAttached:
                if (eq == std::string::npos) {
                    return Status::Usage("option " + arg + " needs a value after \"=\"");
                }
                option.value = arg.substr(eq + 1);
                break;
        }
        out.options.push_back(std::move(option));
    }
    return Status::Ok();
}

SubOptions SplitSubOptions(std::string_view text) {
    SubOptions result;
    while (!text.empty()) {
        const size_t colon = text.find(':');
        const std::string_view item = text.substr(0, colon);
        if (!item.empty()) {
            const size_t eq = item.find('=');
            if (eq == std::string_view::npos) {
                result.emplace_back(std::string(item), std::string());
            } else {
                result.emplace_back(std::string(item.substr(0, eq)),
                                    std::string(item.substr(eq + 1)));
            }
        }
        if (colon == std::string_view::npos) {
            break;
        }
        text.remove_prefix(colon + 1);
    }
    return result;
}

std::optional<int> ParseInt(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::pair<int, int>> ParseFrameRate(std::string_view text) {
    const size_t slash = text.find('/');
    if (slash != std::string_view::npos) {
        const auto num = ParseInt(text.substr(0, slash), 1, 1000000);
        const auto den = ParseInt(text.substr(slash + 1), 1, 1000000);
        if (!num || !den || *num > 1000LL * *den) {
            return std::nullopt;
        }
        return std::make_pair(*num, *den);
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !(value > 0) || value > 1000) {
        return std::nullopt;
    }
    // The usual broadcast rates come out exact (29.97 -> 30000/1001); others to 1/1000.
    if (std::abs(value - std::round(value)) < 1e-9) {
        return std::make_pair(static_cast<int>(std::round(value)), 1);
    }
    const double ntsc = value * 1001.0 / 1000.0;
    if (std::abs(ntsc - std::round(ntsc)) < 0.005) {
        return std::make_pair(static_cast<int>(std::round(ntsc)) * 1000, 1001);
    }
    return std::make_pair(static_cast<int>(std::round(value * 1000)), 1000);
}

}  // namespace tarv::tools
