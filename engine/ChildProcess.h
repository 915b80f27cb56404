// A tool run as a child process: launched from an argument vector (never through a shell),
// standard input an empty pipe, standard output and error merged into one pipe we read. Where
// the system allows, the tool is told to stop when the thread that started it ends, so no tool
// outlives the program, even one killed outright.
// The interface holds no platform type, so each platform's launcher sits behind it
// (ChildProcessPosix.cpp, ChildProcessWin32.cpp); only the private state differs.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace tarv {

using Arguments = std::vector<std::string>;

// How a child ended.
struct ExitStatus {
    bool exited = false;  // ended by itself (false: killed by a signal, or never waited for)
    int code = -1;        // its exit code when it exited, else the signal number
    bool Succeeded() const { return exited && code == 0; }
    std::string Describe() const;
};

class ChildProcess {
public:
    // Reads at most this many bytes per call, as the progress reader expects.
    static constexpr size_t kMaxRead = 1024;

    // Starts the program named by arguments[0]. Returns null and fills error on failure
    // (the program is missing or not executable, pipes cannot be made, ...).
    static std::unique_ptr<ChildProcess> Launch(const Arguments& arguments, std::string* error);

    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Blocks until output arrives or the child has closed its output; returns the bytes read
    // (at most kMaxRead), 0 at the end. With a time limit, gives up after that many
    // milliseconds with 0 as well, terminating the child.
    size_t Read(char* buffer, size_t size, int timeoutMs = -1);

    // Asks the child (and anything it started) to end; it gets a moment to tidy up before it
    // is killed. Safe to call from another thread while Read blocks, and more than once.
    void Terminate();
    bool TerminateRequested() const { return m_terminateRequested; }

    // The system's id of the child process.
    int Id() const { return m_pid; }

    // Waits until the child has ended and gives its status; later calls give the same.
    ExitStatus Wait();

private:
    ChildProcess() = default;
    void KillIfOverdue();

    int m_pid = -1;
#ifdef _WIN32
    // System handles, held without the system's headers.
    void* m_process = nullptr;
    void* m_job = nullptr;     // the tool and whatever it starts; ends with us
    void* m_output = nullptr;  // read end of the merged output
#else
    int m_output = -1;         // read end of the merged output
    int m_wake[2] = {-1, -1};  // lets Terminate wake a blocked Read
#endif
    std::atomic<bool> m_terminateRequested{false};
    std::atomic<long long> m_killDeadlineMs{0};
    bool m_reaped = false;
    ExitStatus m_status;
};

}  // namespace tarv
