#include "MediaProbe.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "ChildProcess.h"
#include "ToolSet.h"

namespace tarv {

namespace {

constexpr std::string_view kLengthKey = "ID_LENGTH=";

// The number at the start of the text, as strtod reads one (leading blanks skipped, reading
// stops where the number does; no number gives 0), whatever the program's locale.
double LeadingNumber(std::string_view text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string_view::npos) {
        return 0;
    }
    if (text[i] == '+') {
        ++i;
    }
    double value = 0;
    if (std::from_chars(text.data() + i, text.data() + text.size(), value).ec != std::errc()) {
        return 0;
    }
    return value;
}

}  // namespace

std::optional<double> LengthFromReport(std::string_view report) {
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        std::string_view line = report.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const size_t key = line.find(kLengthKey);
        if (key != std::string_view::npos) {
            return LeadingNumber(line.substr(key + kLengthKey.size()));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return std::nullopt;
}

void ProbeCancel::Cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_child) {
        m_child->Terminate();
    }
}

bool ProbeCancel::Cancelled() const {
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

bool Probe(std::string_view programFolder, std::string_view path, MediaInfo& info, int timeoutMs,
           ProbeCancel* cancel) {
    const Arguments arguments = {ToolPath(programFolder, Tool::Identify),
                                 "-identify",
                                 std::string(path),
                                 "-nosound",
                                 "-vc",
                                 "dummy",
                                 "-vo",
                                 "null",
                                 "-ao",
                                 "dummy"};
    std::unique_ptr<ChildProcess> child;
    {
        // Launched under the lock, so a Cancel either comes first or finds the child to end.
        std::unique_lock<std::mutex> lock;
        if (cancel) {
            lock = std::unique_lock(cancel->m_mutex);
            if (cancel->m_cancelled) {
                return false;
            }
        }
        child = ChildProcess::Launch(arguments, nullptr);
        if (!child) {
            return false;
        }
        if (cancel) {
            cancel->m_child = child.get();
        }
    }
    // Whatever way the read ends, the cancel object must not point at a child that is gone.
    struct Detach {
        ProbeCancel* cancel;
        ~Detach() {
            if (cancel) {
                std::lock_guard lock(cancel->m_mutex);
                cancel->m_child = nullptr;
            }
        }
    };
    const Detach detach{cancel};
    // The whole report is read before it is searched, so no line is lost at a read boundary.
    std::string report;
    char chunk[ChildProcess::kMaxRead];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        const size_t count =
            child->Read(chunk, sizeof chunk, static_cast<int>(std::max<long long>(left, 0)));
        if (count == 0) {
            break;
        }
        report.append(chunk, count);
    }
    child->Wait();
    if (cancel && cancel->Cancelled()) {
        return false;
    }
    info.length = LengthFromReport(report).value_or(-1.0);
    return true;
}

std::string FormatDuration(double seconds) {
    if (!(seconds >= 0) || !std::isfinite(seconds)) {
        return "--:--:--";
    }
    const long long whole = static_cast<long long>(std::min(seconds, 9.2e18));
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", whole / 3600, whole % 3600 / 60,
                  whole % 60);
    return text;
}

}  // namespace tarv
