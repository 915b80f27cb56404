#include "ProgressRecord.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace tarv {

namespace {

constexpr std::string_view kRecordStart = "Pos:";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::optional<std::string_view> FindProgressRecord(std::string_view chunk) {
    const size_t start = chunk.find(kRecordStart);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t end = chunk.find(']', start + 1);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return chunk.substr(start, end - start + 1);
}

std::optional<float> ParseProgressPosition(std::string_view record) {
    if (!record.starts_with(kRecordStart)) {
        return std::nullopt;
    }
    // Parsed by hand rather than with sscanf so that the program's locale (which the window
    // may set to one with a decimal comma) cannot change what the tools' records mean.
    const char* p = record.data() + kRecordStart.size();
    const char* const end = record.data() + record.size();
    while (p < end && IsSpace(*p)) {
        ++p;
    }
    if (p < end && *p == '+') {
        ++p;
    }
    float value = 0;
    if (std::from_chars(p, end, value).ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<float> ParseProgressRecord(std::string_view chunk) {
    const auto record = FindProgressRecord(chunk);
    if (!record) {
        return std::nullopt;
    }
    return ParseProgressPosition(*record);
}

int WholeSeconds(float position) {
    if (!(position > 0)) {
        return 0;
    }
    if (position >= static_cast<float>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(position);
}

std::optional<int> FindDamagedFrames(std::string_view output) {
    for (size_t at = output.rfind(" damaged frame"); at != std::string_view::npos;
         at = at > 0 ? output.rfind(" damaged frame", at - 1) : std::string_view::npos) {
        size_t start = at;
        while (start > 0 && output[start - 1] >= '0' && output[start - 1] <= '9') {
            --start;
        }
        const std::string_view rest = output.substr(at + std::string_view(" damaged frame").size());
        const bool wholeLine =
            start < at && (start == 0 || output[start - 1] == '\n' || output[start - 1] == '\r');
        if (!wholeLine || !(rest.starts_with(" skipped") || rest.starts_with("s skipped"))) {
            continue;
        }
        int count = 0;
        if (std::from_chars(output.data() + start, output.data() + at, count).ec != std::errc()) {
            count = INT_MAX;  // more than a count can hold
        }
        return count;
    }
    return std::nullopt;
}

std::string DamagedFramesNote(int count) {
    return std::to_string(count) +
           (count == 1 ? " damaged frame skipped" : " damaged frames skipped");
}

}  // namespace tarv
