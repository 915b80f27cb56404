// tarv-convert: the converter's engine without a window, for scripts and servers.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>

#include "CliReporter.h"
#include "CommandLine.h"
#include "ConvertWorker.h"
#include "FileSystem.h"
#include "MediaProbe.h"
#include "Messages.h"
#include "OutputFolderCheck.h"
#include "PathUtils.h"
#include "ProgramArguments.h"
#include "StopSignals.h"
#include "ToolSet.h"

using namespace tarv;

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStopped = 130;

// The reason an output folder cannot be used, in the command's words.
std::string OutputFolderProblem(const OutputFolderCheck& check) {
    switch (check.problem) {
        case OutputFolderCheck::Problem::Empty:
            return _("no folder was given");
        case OutputFolderCheck::Problem::NotAFolder:
            return _("it is not a folder");
        case OutputFolderCheck::Problem::CannotCreate:
        case OutputFolderCheck::Problem::NotWritable:
        case OutputFolderCheck::Problem::None:
            break;
    }
    return check.reason;
}

// Why a name given as a file to convert cannot be one; empty when it can. path receives the
// absolute path.
std::string InputProblem(const std::string& name, std::string* path) {
    if (name.empty()) {
        return _("the file name is empty");
    }
    std::error_code error;
    *path = Utf8Path(std::filesystem::absolute(FileSystemPath(name), error));
    if (error) {
        return error.message();
    }
    const PathStatus status = StatusOf(*path, true);
    switch (status.kind) {
        case PathStatus::Kind::Absent:
            return _("no such file");
        case PathStatus::Kind::Unknown:
            return status.error;
        case PathStatus::Kind::Folder:
            return _("it is a folder, not a file");
        default:
            return {};
    }
}

// What a file will be converted with: the chosen bitrates, or those that fit it to the size
// limit (none when it cannot fit).
CliReporter::Bitrates BitratesOf(const BatchState& state, const BatchFile& file) {
    CliReporter::Bitrates bitrates;
    const auto number = [&](OptionList list) {
        return std::atoi(std::string(ValueOf(list, state.options[list])).c_str());
    };
    const std::optional<SizePlan> plan = state.PlanFor(file);
    if (!plan) {
        bitrates.videoKbps = number(OptionList::VideoBitrate);
        bitrates.audioKbps = number(OptionList::AudioBitrate);
        bitrates.sampleRate = number(OptionList::SampleRate);
    } else if (plan->fits) {
        bitrates.videoKbps = plan->videoKbps;
        bitrates.audioKbps = plan->audioKbps;
        bitrates.sampleRate = plan->sampleRate;
        // It follows the length: "...; to fit 300 KB: ...".
        bitrates.note = Printf(_("to fit %s: video %d kbps, audio %d kbps"),
                               SizeText(state.sizeLimit).c_str(), plan->videoKbps, plan->audioKbps);
        if (plan->mono) {
            bitrates.note += Printf(_(", mono at %d Hz"), plan->sampleRate);
        }
    }
    return bitrates;
}

// Checks and probes each file and enters it into the batch, unless the probing is cancelled.
void ProbeFiles(const CliRequest& request, const std::string& outputFolder, BatchState& state,
                CliReporter& reporter, ProbeCancel& cancel) {
    for (size_t i = 0; i < request.files.size() && !cancel.Cancelled(); ++i) {
        std::string path;
        if (const std::string problem = InputProblem(request.files[i], &path); !problem.empty()) {
            reporter.Fail(i, problem);
            continue;
        }
        MediaInfo info;
        info.length = 0;
        if (!Probe(state.programFolder, path, info, 30000, &cancel)) {
            if (cancel.Cancelled()) {
                break;
            }
            std::cerr << "tarv-convert: "
                      << Printf(_("cannot start the identify tool in %s"),
                                state.programFolder.c_str())
                      << "\n";
        }
        state.AddFile(path, outputFolder, i, info.length);
        reporter.Probed(i, FileSizeOf(path), info.length, BitratesOf(state, state.files.back()));
    }
}

// Hands the reports to the reporter and says when the batch has ended.
class BatchSink : public ProgressSink {
public:
    BatchSink(CliReporter& reporter, EndNotice& ended) : m_reporter(reporter), m_ended(ended) {}
    void OnBatchReport(const BatchReport& report) override { m_reporter.OnBatchReport(report); }
    void OnBatchEnded(uint64_t) override { m_ended.Notify(); }

private:
    CliReporter& m_reporter;
    EndNotice& m_ended;
};

int Run(const std::vector<std::string>& arguments) {
    UseDesktopLanguageForCommand(ProgramFolder());
    const auto parsed = ParseCommandLine(arguments);
    if (const auto* error = std::get_if<CliError>(&parsed)) {
        std::cerr << "tarv-convert: " << error->message << "\n\n" << UsageText();
        return kExitUsage;
    }
    const CliRequest& request = std::get<CliRequest>(parsed);
    if (request.help) {
        std::cout << UsageText();
        return kExitDone;
    }
    if (request.version) {
        std::cout << VersionText() << "\n";
        return kExitDone;
    }
    if (request.listOptions) {
        std::cout << OptionListing();
        return kExitDone;
    }

    const OutputFolderCheck outputFolder = PrepareOutputFolder(request.outputFolder);
    if (!outputFolder) {
        // TRANSLATORS: %1$s is the folder, %2$s the reason it cannot be used.
        std::cerr << "tarv-convert: "
                  << Printf(_("cannot use the output folder %s: %s"),
                            DisplayName(request.outputFolder).c_str(),
                            OutputFolderProblem(outputFolder).c_str())
                  << "\n";
        return kExitUsage;
    }

    std::string error;
    EndNotice probed, ended;
    if (!InstallStopSignals(&error) || !probed.Valid() || !ended.Valid()) {
        std::cerr << "tarv-convert: " << _("cannot set up signal handling") << "\n";
        return kExitFailed;
    }

    BatchState state;
    state.options = request.options;
    state.sizeLimit = request.maxSize;
    state.programFolder = ProgramFolder();
    state.jobs = request.jobs > 0
                     ? request.jobs
                     : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    // Lines of several files at once cannot share one line rewritten in place.
    const CliReporter::Style style =
        request.progress == CliRequest::Progress::Json ? CliReporter::Style::Json
        : isatty(STDOUT_FILENO) && state.jobs == 1     ? CliReporter::Style::Live
                                                       : CliReporter::Style::Lines;
    CliReporter reporter(std::cout, style);
    for (const std::string& name : request.files) {
        reporter.AddFile({name});
    }

    // The files are probed on a thread of their own, so a stop ends the probing at once.
    ProbeCancel cancel;
    bool probingFailed = false;
    std::thread prober([&] {
        try {
            ProbeFiles(request, outputFolder.path, state, reporter, cancel);
        } catch (const std::exception& exception) {
            std::cerr << "tarv-convert: " << exception.what() << "\n";
            probingFailed = true;
        }
        probed.Notify();
    });
    const bool stoppedWhileProbing = WaitForEnd(probed, [&] { cancel.Cancel(); });
    prober.join();
    if (stoppedWhileProbing) {
        reporter.Finish();
        return kExitStopped;
    }
    if (probingFailed) {
        return kExitFailed;
    }

    BatchSink sink(reporter, ended);
    ConvertWorker worker(state, sink);
    worker.Start();
    const bool stopped = WaitForEnd(ended, [&] { worker.RequestStop(); });
    worker.Wait();
    reporter.Finish();

    if (stopped || reporter.AnyAborted()) {
        return kExitStopped;
    }
    return reporter.AnyFailed() ? kExitFailed : kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing may end the command by an exception: that would leave its tool running.
    try {
        return Run(ProgramArguments(argc, argv));
    } catch (const std::exception& exception) {
        std::cerr << "tarv-convert: " << exception.what() << "\n";
    } catch (...) {
        std::cerr << "tarv-convert: " << _("unexpected error") << "\n";
    }
    return kExitFailed;
}
