// Learns a file's playing time from the identify tool, and writes a length as h:mm:ss.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tarv {

struct MediaInfo {
    double length = -1.0;  // seconds; -1 when the tool reported none
};

class ChildProcess;

// Lets another thread end a probe at once: the window stops probing when it closes, and a
// file that hangs the identify tool must not hold the program up.
class ProbeCancel {
public:
    // Terminates the running tool, and makes every later probe with this object end at once.
    void Cancel();
    bool Cancelled() const;

private:
    friend bool Probe(std::string_view, std::string_view, MediaInfo&, int, ProbeCancel*);
    mutable std::mutex m_mutex;
    bool m_cancelled = false;
    ChildProcess* m_child = nullptr;
};

// Runs the identify tool of the program folder on the file and reads its report. Returns
// false when the tool cannot be started or the probe was cancelled (info is then left as it
// was). Blocks until the tool has ended; a tool that hangs is given up on after timeoutMs.
bool Probe(std::string_view programFolder, std::string_view path, MediaInfo& info,
           int timeoutMs = 30000, ProbeCancel* cancel = nullptr);

// The length of the first "ID_LENGTH=" line of a report; empty when there is none. A line
// end of CR LF or LF alone both work, and a line split across reads is read whole.
std::optional<double> LengthFromReport(std::string_view report);

// "%02d:%02d:%02d" of the whole seconds (hours unlimited); "--:--:--" for an unknown length.
std::string FormatDuration(double seconds);

}  // namespace tarv
