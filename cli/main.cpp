// tarv-convert: the converter's engine without a window, for scripts and servers.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "CliReporter.h"
#include "CommandLine.h"
#include "ConvertWorker.h"
#include "MediaProbe.h"
#include "PathUtils.h"
#include "ToolSet.h"

using namespace tarv;

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStopped = 130;

int g_signalPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = write(g_signalPipe[1], &byte, 1);
}

std::string SizeText(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
    return text;
}

// Waits for the batch to end, stopping it when Ctrl-C or SIGTERM arrives.
bool RunUntilDoneOrStopped(ConvertWorker& worker, BatchState& state) {
    bool stopped = false;
    while (state.busy) {
        pollfd fd = {g_signalPipe[0], POLLIN, 0};
        if (poll(&fd, 1, 100) > 0 && !stopped) {
            char byte;
            [[maybe_unused]] ssize_t ignored = read(g_signalPipe[0], &byte, 1);
            stopped = true;
            worker.RequestStop();
        }
    }
    worker.Wait();
    return stopped;
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<CliError>(&parsed)) {
        std::cerr << "tarv-convert: " << error->message << "\n\n" << UsageText();
        return kExitUsage;
    }
    const CliRequest& request = std::get<CliRequest>(parsed);
    if (request.help) {
        std::cout << UsageText();
        return kExitDone;
    }
    if (request.listOptions) {
        std::cout << OptionListing();
        return kExitDone;
    }

    std::error_code error;
    std::filesystem::create_directories(request.outputFolder, error);
    if (!std::filesystem::is_directory(request.outputFolder)) {
        std::cerr << "tarv-convert: cannot use the output folder " << request.outputFolder
                  << (error ? ": " + error.message() : std::string()) << "\n";
        return kExitFailed;
    }
    const std::string outputFolder = std::filesystem::absolute(request.outputFolder).string();

    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::cerr << "tarv-convert: cannot set up signal handling\n";
        return kExitFailed;
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    BatchState state;
    state.options = request.options;
    state.programFolder = ProgramFolder();
    CliReporter reporter(state, std::cout, isatty(STDOUT_FILENO));
    for (const std::string& name : request.files) {
        reporter.AddFile({name});
    }

    for (size_t i = 0; i < request.files.size(); ++i) {
        const std::string path = std::filesystem::absolute(request.files[i]).string();
        if (!FileExists(path) || std::filesystem::is_directory(path)) {
            reporter.Fail(i, "no such file");
            continue;
        }
        // As the window does when files are added: the length decides the percentages.
        MediaInfo info;
        info.length = 0;
        if (!Probe(state.programFolder, path, info)) {
            std::cerr << "tarv-convert: cannot start the identify tool in "
                      << state.programFolder << "\n";
        }
        CliReporter::File& file = reporter.FileAt(i);
        file.duration = info.length > 0 ? static_cast<int>(info.length) : 0;
        file.firstEntry = state.EntryCount();
        std::cout << "[" << i + 1 << "/" << request.files.size() << "] " << file.name << ": "
                  << SizeText(FileSizeOf(path)) << ", " << FormatDuration(info.length)
                  << std::endl;
        state.AddFile(path, outputFolder);
    }

    ConvertWorker worker(state, reporter);
    worker.Start();
    const bool stopped = RunUntilDoneOrStopped(worker, state);

    if (stopped || reporter.AnyAborted()) {
        return kExitStopped;
    }
    return reporter.AnyFailed() ? kExitFailed : kExitDone;
}
