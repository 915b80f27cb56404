#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ChildProcess.h"

namespace tarv {

namespace {

// How long a terminated child may take to tidy up before it is killed outright.
constexpr long long kGraceMs = 2000;

long long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

std::string ExitStatus::Describe() const {
    if (exited) {
        return "exit status " + std::to_string(code);
    }
    if (code > 0) {
        const char* name = strsignal(code);
        return std::string("killed by signal ") + std::to_string(code) +
               (name ? std::string(" (") + name + ")" : std::string());
    }
    return "did not run";
}

std::unique_ptr<ChildProcess> ChildProcess::Launch(const Arguments& arguments, std::string* error) {
    auto fail = [&](const std::string& what, int code) -> std::unique_ptr<ChildProcess> {
        if (error) {
            *error = what + ": " + std::strerror(code);
        }
        return nullptr;
    };
    if (arguments.empty()) {
        if (error) {
            *error = "no program to start";
        }
        return nullptr;
    }

    int output[2] = {-1, -1};
    int input[2] = {-1, -1};
    std::unique_ptr<ChildProcess> child(new ChildProcess);
    if (pipe2(output, O_CLOEXEC) != 0) {
        return fail("cannot create a pipe", errno);
    }
    // The child reports a failed start through startError; it closes unwritten when the program
    // is running.
    int startError[2] = {-1, -1};
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(child->m_wake, O_CLOEXEC | O_NONBLOCK) != 0 ||
        pipe2(startError, O_CLOEXEC) != 0) {
        const int code = errno;
        for (int fd : {output[0], output[1], input[0], input[1], startError[0], startError[1]}) {
            if (fd >= 0)
                close(fd);
        }
        return fail("cannot create a pipe", code);
    }

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here to the exec: other threads may hold locks.
        // Its own process group, so terminating reaches whatever the tool starts; and a clean
        // signal state, whatever the caller blocks or ignores (Ctrl-C handling, SIGPIPE).
        setpgid(0, 0);
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
            sigaction(signalNumber, &standard, nullptr);
        }
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        // The tool ends with us, however we end, even by SIGKILL. Had we died before the
        // request, no signal would come: the parent id tells.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        const int targets[3] = {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
        const int sources[3] = {input[0], output[1], output[1]};
        for (int i = 0; i < 3; ++i) {
            if (sources[i] == targets[i]) {
                fcntl(targets[i], F_SETFD, 0);  // dup2 onto itself would keep close-on-exec
            } else {
                dup2(sources[i], targets[i]);
            }
        }
        execv(argv[0], argv.data());
        const int code = errno;
        [[maybe_unused]] ssize_t ignored = write(startError[1], &code, sizeof code);
        _exit(127);
    }
    const int forkError = errno;
    if (pid > 0) {
        setpgid(pid, pid);  // also here, so a Terminate right away already finds the group
    }

    // The child's ends belong to the child now. Standard input is left empty and closed on
    // our side at once, so a tool that reads it sees the end instead of waiting forever.
    close(output[1]);
    close(input[0]);
    close(input[1]);
    close(startError[1]);
    int result = pid < 0 ? forkError : 0;
    if (pid > 0) {
        int code = 0;
        ssize_t count;
        while ((count = read(startError[0], &code, sizeof code)) < 0 && errno == EINTR) {
        }
        if (count == sizeof code) {
            result = code;
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
    close(startError[0]);
    if (result != 0) {
        close(output[0]);
        return fail("cannot start " + arguments[0], result);
    }
    child->m_pid = pid;
    child->m_output = output[0];
    return child;
}

ChildProcess::~ChildProcess() {
    if (!m_reaped && m_pid > 0) {
        Terminate();
        Wait();
    }
    CloseFd(m_output);
    CloseFd(m_wake[0]);
    CloseFd(m_wake[1]);
}

void ChildProcess::Terminate() {
    if (m_pid <= 0 || m_terminateRequested.exchange(true)) {
        return;
    }
    m_killDeadlineMs = NowMs() + kGraceMs;
    // The group leader is not reaped before Wait, so its group id still names our tool.
    kill(-m_pid, SIGTERM);
    const char wake = 1;
    [[maybe_unused]] ssize_t ignored = write(m_wake[1], &wake, 1);
}

void ChildProcess::KillIfOverdue() {
    if (m_terminateRequested && !m_reaped && NowMs() >= m_killDeadlineMs) {
        kill(-m_pid, SIGKILL);
    }
}

size_t ChildProcess::Read(char* buffer, size_t size, int timeoutMs) {
    if (m_output < 0) {
        return 0;
    }
    if (size > kMaxRead) {
        size = kMaxRead;
    }
    const long long giveUpAt = timeoutMs >= 0 ? NowMs() + timeoutMs : -1;
    for (;;) {
        int wait = -1;
        if (m_terminateRequested) {
            wait = static_cast<int>(std::max(0LL, m_killDeadlineMs - NowMs()) + 10);
        }
        if (giveUpAt >= 0) {
            const int left = static_cast<int>(std::max(0LL, giveUpAt - NowMs()));
            wait = wait < 0 ? left : std::min(wait, left);
        }
        pollfd fds[2] = {{m_output, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = poll(fds, 2, wait);
        if (ready < 0 && errno != EINTR) {
            return 0;
        }
        if (fds[1].revents & POLLIN) {
            char drain[16];
            while (read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t count = read(m_output, buffer, size);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            return count > 0 ? static_cast<size_t>(count) : 0;
        }
        KillIfOverdue();
        if (giveUpAt >= 0 && NowMs() >= giveUpAt) {
            Terminate();
            return 0;
        }
    }
}

ExitStatus ChildProcess::Wait() {
    if (m_reaped || m_pid <= 0) {
        return m_status;
    }
    // Polled rather than blocking, so a Terminate from another thread can still escalate to a
    // kill when the tool ignores it. The child stays a zombie until the group is cleared, so
    // its id cannot be reused under us.
    siginfo_t info{};
    useconds_t pause = 1000;
    for (;;) {
        info.si_pid = 0;
        const int done = waitid(P_PID, m_pid, &info, WEXITED | WNOHANG | WNOWAIT);
        if (done == 0 && info.si_pid == m_pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            m_reaped = true;
            return m_status;
        }
        KillIfOverdue();
        usleep(pause);
        pause = std::min<useconds_t>(pause * 2, 20000);
    }
    // Anything the tool left running in its group goes with it.
    kill(-m_pid, SIGKILL);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_reaped = true;
    if (WIFEXITED(status)) {
        m_status = {true, WEXITSTATUS(status)};
    } else if (WIFSIGNALED(status)) {
        m_status = {false, WTERMSIG(status)};
    }
    return m_status;
}

}  // namespace tarv
