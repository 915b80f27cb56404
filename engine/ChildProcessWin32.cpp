#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "ChildProcess.h"
#include "WindowsCommandLine.h"
#include "WindowsText.h"

namespace tarv {

namespace {

// What a terminated tool ends with: the status a console program has after Ctrl-C.
constexpr DWORD kStoppedCode = 0xC000013A;

// Handles made inheritable for one launch must reach that child only. The handle list below
// says so to the system; the lock also covers systems that do not honour the list.
std::mutex g_launchMutex;

long long NowMs() {
    return static_cast<long long>(GetTickCount64());
}

void CloseOnce(void*& handle) {
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    ~Pipe() {
        if (read) {
            CloseHandle(read);
        }
        if (write) {
            CloseHandle(write);
        }
    }
};

bool MakePipe(Pipe& pipe) {
    return CreatePipe(&pipe.read, &pipe.write, nullptr, 0) != 0;
}

}  // namespace

std::string ExitStatus::Describe() const {
    if (exited) {
        return "exit status " + std::to_string(code);
    }
    if (code == -1) {
        return "did not run";
    }
    const DWORD value = static_cast<DWORD>(code);
    if (value == kStoppedCode) {
        return "stopped";
    }
    char text[64];
    std::snprintf(text, sizeof text, "ended by exception 0x%08lX",
                  static_cast<unsigned long>(value));
    return text;
}

std::unique_ptr<ChildProcess> ChildProcess::Launch(const Arguments& arguments, std::string* error) {
    auto fail = [&](const std::string& what, DWORD code) -> std::unique_ptr<ChildProcess> {
        if (error) {
            *error = what + ": " + SystemErrorText(code);
        }
        return nullptr;
    };
    if (arguments.empty()) {
        if (error) {
            *error = "no program to start";
        }
        return nullptr;
    }

    std::unique_ptr<ChildProcess> child(new ChildProcess);
    Pipe output, input;
    if (!MakePipe(output) || !MakePipe(input)) {
        return fail("cannot create a pipe", GetLastError());
    }
    // The tool and anything it starts form one job that dies when its last handle closes: ours,
    // which the system closes however the program ends.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) {
        return fail("cannot create a job", GetLastError());
    }
    child->m_job = job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    std::wstring program = WideFromUtf8(arguments[0]);
    std::wstring commandLine = WideFromUtf8(WindowsCommandLine(arguments));

    PROCESS_INFORMATION process{};
    DWORD launchError = 0;
    {
        std::lock_guard lock(g_launchMutex);
        HANDLE inherited[2] = {input.read, output.write};
        for (HANDLE handle : inherited) {
            SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        }
        SIZE_T listSize = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
        std::string listMemory(listSize, '\0');
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
        const bool listed =
            InitializeProcThreadAttributeList(list, 1, 0, &listSize) &&
            UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                      sizeof inherited, nullptr, nullptr);

        STARTUPINFOEXW startup{};
        startup.StartupInfo.cb = listed ? sizeof startup : sizeof startup.StartupInfo;
        startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        startup.StartupInfo.wShowWindow = SW_SHOW;
        startup.StartupInfo.hStdInput = input.read;
        startup.StartupInfo.hStdOutput = output.write;
        startup.StartupInfo.hStdError = output.write;
        startup.lpAttributeList = listed ? list : nullptr;
        // Started suspended, so it is in its job before it runs a line.
        const DWORD flags = CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED |
                            CREATE_UNICODE_ENVIRONMENT |
                            (listed ? EXTENDED_STARTUPINFO_PRESENT : 0);
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                            nullptr, nullptr, &startup.StartupInfo, &process)) {
            launchError = GetLastError();
        }
        if (listed) {
            DeleteProcThreadAttributeList(list);
        }
    }
    if (launchError != 0) {
        return fail("cannot start " + arguments[0], launchError);
    }
    child->m_process = process.hProcess;
    child->m_pid = static_cast<int>(process.dwProcessId);
    // Where jobs cannot nest (an old system, a parent job that forbids it) the tool still runs;
    // it then only misses the guarantee of ending with us.
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    // The child's ends belong to the child now. Standard input is left empty and closed on our
    // side at once, so a tool that reads it sees the end instead of waiting forever.
    CloseHandle(output.write);
    output.write = nullptr;
    child->m_output = output.read;
    output.read = nullptr;
    return child;
}

ChildProcess::~ChildProcess() {
    if (!m_reaped && m_process) {
        Terminate();
        Wait();
    }
    CloseOnce(m_output);
    CloseOnce(m_process);
    CloseOnce(m_job);
}

void ChildProcess::Terminate() {
    if (!m_process || m_terminateRequested.exchange(true)) {
        return;
    }
    // A console program without a console of ours to share cannot be asked to end; it is ended.
    // What it was writing is a staged file under a name its caller knows and removes, and the
    // end of its output wakes a Read that waits for it.
    TerminateJobObject(m_job, kStoppedCode);
}

size_t ChildProcess::Read(char* buffer, size_t size, int timeoutMs) {
    if (!m_output) {
        return 0;
    }
    if (size > kMaxRead) {
        size = kMaxRead;
    }
    DWORD count = 0;
    if (timeoutMs < 0) {
        // The read ends when output comes or when the child's end closes: at its exit, or when
        // a Terminate has ended it.
        if (!ReadFile(m_output, buffer, static_cast<DWORD>(size), &count, nullptr)) {
            return 0;
        }
        return count;
    }
    // An anonymous pipe cannot be waited on with a time limit; a short look every few
    // milliseconds serves the one caller that needs one, the probe.
    const long long giveUpAt = NowMs() + timeoutMs;
    DWORD pause = 1;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(m_output, nullptr, 0, nullptr, &available, nullptr)) {
            return 0;
        }
        if (available > 0) {
            if (!ReadFile(m_output, buffer, static_cast<DWORD>(size), &count, nullptr)) {
                return 0;
            }
            return count;
        }
        if (NowMs() >= giveUpAt) {
            Terminate();
            return 0;
        }
        Sleep(pause);
        pause = pause < 16 ? pause * 2 : 16;
    }
}

ExitStatus ChildProcess::Wait() {
    if (m_reaped || !m_process) {
        return m_status;
    }
    WaitForSingleObject(m_process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    // Anything the tool left running goes with it.
    TerminateJobObject(m_job, kStoppedCode);
    m_reaped = true;
    // A status from the exception range is how Windows says a program was ended from outside
    // or crashed; it is kept for the description, as a signal number is elsewhere.
    m_status = {code < 0xC0000000u, static_cast<int>(code)};
    return m_status;
}

}  // namespace tarv
