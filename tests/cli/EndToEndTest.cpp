// Real clips through the real tools: once through the worker, once through tarv-convert.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "ChildProcess.h"
#include "ConvertWorker.h"
#include "MediaProbe.h"
#include "RunToEnd.h"
#include "TempFolder.h"

using namespace tarv;

namespace {

using Output = RunOutput;

Output RunProgram(const Arguments& arguments) {
    return RunToEnd(arguments);
}

// A short clip with moving pictures and a tone, made by ffmpeg.
std::string MakeClip(const TempFolder& folder, const std::string& name) {
    const std::string path = folder.Path() + name;
    const Output made = RunProgram({FFMPEG_PATH, "-v", "error", "-y", "-f", "lavfi", "-i",
                                    "testsrc=size=192x144:rate=25:duration=2", "-f", "lavfi", "-i",
                                    "sine=frequency=440:duration=2:sample_rate=44100", "-c:v",
                                    "mpeg4", "-c:a", "aac", "-shortest", path});
    EXPECT_TRUE(made.status.Succeeded()) << made.text;
    return path;
}

// ffprobe's view of a file: "video.codec_name" and so on, plus "format.duration".
std::map<std::string, std::string> ProbeWithFfprobe(const std::string& path) {
    const Output probed = RunProgram({FFPROBE_PATH, "-v", "error", "-show_entries",
                                      "stream=codec_type,codec_name,width,height:format=duration,"
                                      "format_name",
                                      "-of", "flat", path});
    // streams.stream.0.codec_name="mpeg4": gather each stream's fields, then name them by type.
    std::map<std::string, std::map<std::string, std::string>> streams;
    std::map<std::string, std::string> facts;
    std::istringstream lines(probed.text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"')
            value = value.substr(1, value.size() - 2);
        const std::string field = key.substr(key.rfind('.') + 1);
        if (key.starts_with("format.")) {
            facts["format." + field] = value;
        } else {
            const std::string stream = key.substr(0, key.rfind('.'));
            streams[stream][field] = value;
        }
    }
    for (auto& [stream, fields] : streams) {
        for (auto& [field, value] : fields) {
            facts[fields["codec_type"] + "." + field] = value;
        }
    }
    facts["streams"] = std::to_string(streams.size());
    return facts;
}

class Recorder : public ProgressSink {
public:
    void OnBatchReport(const BatchReport& report) override {
        reports.emplace_back(report.Entry(), report.Value());
        failure = report.text;
    }
    std::vector<std::pair<int, int>> reports;
    std::string failure;
};

}  // namespace

TEST(EndToEnd, TheWorkerTurnsAClipIntoA3gpWithEachEncoderFamily) {
    TempFolder input, output;
    const std::string clip = MakeClip(input, "holiday clip.mp4");
    MediaInfo info;
    ASSERT_TRUE(Probe(TARV_PROGRAM_DIR, clip, info));
    EXPECT_NEAR(info.length, 2.0, 0.1);

    for (int format : {0, 1}) {
        SCOPED_TRACE(format);
        BatchState state;
        state.options = StartSelections();
        state.options.format = format;
        ApplyFormatPreset(state.options);
        state.programFolder = TARV_PROGRAM_DIR;
        state.AddFile(clip, output.Path());
        Recorder recorder;
        ConvertWorker worker(state, recorder);
        ASSERT_TRUE(worker.Start());
        worker.Wait();

        ASSERT_FALSE(recorder.reports.empty());
        EXPECT_EQ(recorder.reports.back(), std::make_pair(4, kProgressFileDone))
            << recorder.failure;
        const std::string base = state.files[0].baseName;
        const auto facts = ProbeWithFfprobe(base + ".3gp");
        EXPECT_EQ(facts.at("video.codec_name"), format == 1 ? "h264" : "mpeg4");
        EXPECT_EQ(facts.at("audio.codec_name"), "aac");
        EXPECT_EQ(facts.at("streams"), "2");
        EXPECT_EQ(facts.at("video.width"), "176");
        EXPECT_EQ(facts.at("video.height"), "144");
        EXPECT_NEAR(std::stod(facts.at("format.duration")), 2.0, 0.25);
        for (const char* extension : {".avi", ".m4v", ".264", ".aac"}) {
            EXPECT_FALSE(std::filesystem::exists(base + extension)) << extension;
        }
    }
    // The second run found the first one's result and took a new name.
    int results = 0;
    for (const auto& entry : std::filesystem::directory_iterator(output.Path())) {
        results += entry.path().extension() == ".3gp";
    }
    EXPECT_EQ(results, 2);
}

TEST(EndToEnd, TarvConvertConvertsARealClip) {
    TempFolder input, output;
    const std::string clip = MakeClip(input, "clip.mp4");
    const Output run = RunProgram({TARV_PROGRAM_DIR "tarv-convert", "--format", "1", "--resolution",
                                   "0", "-o", output.Path(), clip});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_NE(run.text.find("[1/1] " + clip + ": Done"), std::string::npos) << run.text;
    EXPECT_NE(run.text.find("encoding"), std::string::npos);
    const auto facts = ProbeWithFfprobe(output.Path() + "clip.3gp");
    EXPECT_EQ(facts.at("video.codec_name"), "h264");
    EXPECT_EQ(facts.at("video.width"), "192");  // "Original as input"
    EXPECT_EQ(facts.at("audio.codec_name"), "aac");
}

TEST(EndToEnd, ADamagedClipIsConvertedAndTarvConvertSaysWhatItSkipped) {
    TempFolder input, output;
    const std::string clip = MakeClip(input, "scratched.mp4");
    // Every 500th byte of the pictures and sound changed, as a bad copy leaves them.
    std::string bytes;
    {
        std::ifstream in(clip, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const size_t box = bytes.find("mdat") - 4;
    ASSERT_LT(box, bytes.size());
    size_t end = 0;
    for (int i = 0; i < 4; ++i) {
        end = end << 8 | static_cast<unsigned char>(bytes[box + i]);
    }
    for (size_t at = box + 8 + 250; at < box + end; at += 500) {
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    }
    std::ofstream(clip, std::ios::binary | std::ios::trunc) << bytes;

    const Output run = RunProgram({TARV_PROGRAM_DIR "tarv-convert", "-o", output.Path(), clip});
    EXPECT_EQ(run.status.code, 0) << run.text;
    const std::string done = "[1/1] " + clip + ": Done (";
    const size_t at = run.text.find(done);
    ASSERT_NE(at, std::string::npos) << run.text;
    const int skipped = std::atoi(run.text.c_str() + at + done.size());
    EXPECT_GT(skipped, 0) << run.text;
    EXPECT_NE(run.text.find(" damaged frame", at), std::string::npos) << run.text;
    const auto facts = ProbeWithFfprobe(output.Path() + "scratched.3gp");
    EXPECT_EQ(facts.at("streams"), "2");
    EXPECT_NEAR(std::stod(facts.at("format.duration")), 2.0, 0.25);

    // The same count, as a number, in the file's end record.
    TempFolder again;
    const Output json =
        RunProgram({TARV_PROGRAM_DIR "tarv-convert", "--progress=json", "-o", again.Path(), clip});
    EXPECT_EQ(json.status.code, 0) << json.text;
    EXPECT_NE(json.text.find("\"status\":\"done\",\"damaged_frames\":" + std::to_string(skipped)),
              std::string::npos)
        << json.text;
}

TEST(EndToEnd, AFileThatIsNotMediaFailsWithTheToolsReason) {
    TempFolder input, output;
    const std::string bogus = input.Touch("notes.avi", "this is not a video at all");
    const Output run = RunProgram({TARV_PROGRAM_DIR "tarv-convert", "-o", output.Path(), bogus});
    EXPECT_EQ(run.status.code, 1) << run.text;
    EXPECT_NE(run.text.find("[1/1] " + bogus + ": 0.0 MB, --:--:--"), std::string::npos)
        << run.text;
    EXPECT_NE(run.text.find(": Failed: "), std::string::npos) << run.text;
    EXPECT_TRUE(std::filesystem::is_empty(output.Path()));
}

namespace {

// Asks the batch to stop at the first position the encoder reports.
class StopAtFirstPosition : public ProgressSink {
public:
    void OnBatchReport(const BatchReport& report) override {
        const int value = report.Value();
        reports.emplace_back(report.Entry(), value);
        if (value >= 0 && worker) {
            worker->RequestStop();
        }
    }
    ConvertWorker* worker = nullptr;
    std::vector<std::pair<int, int>> reports;
};

}  // namespace

TEST(EndToEnd, StoppingTheEncoderLeavesNoHalfWrittenFile) {
    TempFolder input, output;
    const std::string clip = input.Path() + "long.mp4";
    const Output made = RunProgram({FFMPEG_PATH, "-v", "error", "-f", "lavfi", "-i",
                                    "testsrc2=size=640x480:rate=30:duration=30", "-f", "lavfi",
                                    "-i", "sine=duration=30", "-c:v", "mpeg4", "-q:v", "8", "-c:a",
                                    "aac", "-shortest", clip});
    ASSERT_TRUE(made.status.Succeeded()) << made.text;

    BatchState state;
    state.options = StartSelections();
    state.options.format = 1;
    ApplyFormatPreset(state.options);
    state.options.resolution = 0;
    state.programFolder = TARV_PROGRAM_DIR;
    state.AddFile(clip, output.Path());
    StopAtFirstPosition sink;
    ConvertWorker worker(state, sink);
    sink.worker = &worker;
    ASSERT_TRUE(worker.Start());
    worker.Wait();

    ASSERT_FALSE(sink.reports.empty());
    ASSERT_EQ(sink.reports.back(), std::make_pair(0, kProgressStopped))
        << "the encode step finished before it could be stopped";
    // Nothing under the output's name, and no temporary file beside it.
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(output.Path())) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_TRUE(left.empty()) << left.front();
}

namespace {

// A clip long enough that its encode can be interfered with while it runs, made once. The
// encoder drops frames before it scales, so decoding sets the pace: a large, long picture keeps
// the encode running for seconds and several progress records even on a fast, idle machine.
const std::string& LongClip() {
    static TempFolder folder;
    static const std::string clip = [] {
        const std::string path = folder.Path() + "long.mp4";
        const Output made = RunProgram({FFMPEG_PATH, "-v", "error", "-f", "lavfi", "-i",
                                        "testsrc2=size=1280x720:rate=30:duration=60", "-f", "lavfi",
                                        "-i", "sine=duration=60", "-c:v", "mpeg4", "-q:v", "10",
                                        "-c:a", "aac", "-shortest", path});
        EXPECT_TRUE(made.status.Succeeded()) << made.text;
        return path;
    }();
    return clip;
}

// The processes whose command line names the folder, with the first word of each.
std::map<int, std::string> ProcessesWritingTo(const std::string& folder) {
    std::map<int, std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "cmdline");
        const std::string line((std::istreambuf_iterator<char>(file)), {});
        if (line.find(folder) != std::string::npos &&
            line.find("tarv.patch") != std::string::npos) {
            found[std::stoi(name)] = line.substr(0, line.find('\0'));
        }
    }
    return found;
}

bool WaitUntilNoToolWritesTo(const std::string& folder) {
    for (int i = 0; i < 200 && !ProcessesWritingTo(folder).empty(); ++i) {
        usleep(50000);
    }
    return ProcessesWritingTo(folder).empty();
}

void FillState(BatchState& state, const std::string& clip, const std::string& folder) {
    state.options = StartSelections();
    state.programFolder = TARV_PROGRAM_DIR;
    state.AddFile(clip, folder);
}

// Calls the action once, at the encoder's first position report.
class AtFirstPosition : public ProgressSink {
public:
    explicit AtFirstPosition(std::function<void()> action) : m_action(std::move(action)) {}
    void OnBatchReport(const BatchReport& report) override {
        const int entry = report.Entry(), value = report.Value();
        reports.emplace_back(entry, value);
        failure = report.text;
        if (entry == 0 && value >= 0 && m_action) {
            std::exchange(m_action, nullptr)();
        }
    }
    std::vector<std::pair<int, int>> reports;
    std::string failure;  // of the last report

private:
    std::function<void()> m_action;
};

}  // namespace

TEST(EndToEnd, TwoRunsAtOnceIntoOneFolderMakeTwoWholeFiles) {
    TempFolder input, output;
    const std::string clip = MakeClip(input, "clip.mp4");
    const Arguments command = {TARV_PROGRAM_DIR "tarv-convert", "-o", output.Path(), clip};
    std::string error;
    auto first = ChildProcess::Launch(command, &error);
    auto second = ChildProcess::Launch(command, &error);
    ASSERT_TRUE(first && second) << error;
    for (ChildProcess* run : {first.get(), second.get()}) {
        std::string text;
        char chunk[ChildProcess::kMaxRead];
        while (const size_t count = run->Read(chunk, sizeof chunk, 120000)) {
            text.append(chunk, count);
        }
        EXPECT_EQ(run->Wait().code, 0) << text;
    }
    const std::vector<std::string> made = output.Entries();
    ASSERT_EQ(made.size(), 2u) << (made.empty() ? "nothing" : made.front());
    for (const std::string& name : made) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(name.ends_with(".3gp"));
        EXPECT_EQ(ProbeWithFfprobe(output.Path() + name).at("streams"), "2");
    }
}

TEST(EndToEnd, AFileThatAppearsWhereTheEncoderWritesIsLeftAsItIs) {
    TempFolder output;
    BatchState state;
    FillState(state, LongClip(), output.Path());
    const std::string avi = output.Path() + "long.avi";
    AtFirstPosition sink([&] { std::ofstream(avi) << "the user's own video"; });
    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    worker.Wait();

    ASSERT_FALSE(sink.reports.empty());
    EXPECT_EQ(sink.reports.back(), std::make_pair(0, kProgressFailed));
    EXPECT_NE(sink.failure.find("another program put a file there meanwhile"), std::string::npos)
        << sink.failure;
    EXPECT_EQ(output.Entries(), std::vector<std::string>{"long.avi"});
    std::ifstream kept(avi);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "the user's own video");
}

TEST(EndToEnd, AKilledEncoderLeavesNoStagedFileEvenUnderALongName) {
    TempFolder input, output;
    // 251 bytes with its extension: the 3GPP name fits, the staged name has to be fitted.
    const std::string clip = input.Path() + std::string(247, 'k') + ".mp4";
    std::filesystem::copy_file(LongClip(), clip);
    BatchState state;
    FillState(state, clip, output.Path());
    AtFirstPosition sink([&] {
        for (const auto& [pid, program] : ProcessesWritingTo(output.Path())) {
            if (program.ends_with("tarv.patch4"))
                kill(pid, SIGKILL);
        }
    });
    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    worker.Wait();

    ASSERT_FALSE(sink.reports.empty());
    EXPECT_EQ(sink.reports.back(), std::make_pair(0, kProgressFailed));
    EXPECT_EQ(sink.failure, "tarv.patch4 ended with killed by signal 9 (Killed)");
    EXPECT_EQ(output.Entries(), std::vector<std::string>{});
}

TEST(EndToEnd, ANameNearTheSystemsLimitConverts) {
    TempFolder input, output;
    const std::string clip = MakeClip(input, std::string(247, 'n') + ".mp4");
    const Output run = RunProgram({TARV_PROGRAM_DIR "tarv-convert", "-o", output.Path(), clip});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_EQ(output.Entries(), std::vector<std::string>{std::string(247, 'n') + ".3gp"});
}

TEST(EndToEnd, KillingTheCommandEndsItsEncoderAndLeavesNoAvi) {
    TempFolder output;
    const Output run = RunToEnd({TARV_PROGRAM_DIR "tarv-convert", "-o", output.Path(), LongClip()},
                                120000, [&](ChildProcess& child, const std::string& text) {
                                    if (text.find("encoding") != std::string::npos)
                                        kill(child.Id(), SIGKILL);
                                });
    EXPECT_EQ(run.status.code, SIGKILL) << run.text;
    EXPECT_TRUE(WaitUntilNoToolWritesTo(output.Path()));
    // Only the hidden marker of the claim is left; the next run takes it over.
    EXPECT_EQ(output.Entries(), std::vector<std::string>{".long.tarvclaim"});
}

TEST(EndToEnd, TwoSourcesWithOneTitleConvertSideBySideAndOverwriteNothing) {
    TempFolder first, second, output;
    const std::string one = MakeClip(first, "clip.mp4");
    const std::string other = second.Path() + "clip.mp4";
    const Output longer =
        RunProgram({FFMPEG_PATH, "-v", "error", "-f", "lavfi", "-i",
                    "testsrc=size=192x144:rate=25:duration=3", "-f", "lavfi", "-i",
                    "sine=duration=3", "-c:v", "mpeg4", "-c:a", "aac", "-shortest", other});
    ASSERT_TRUE(longer.status.Succeeded()) << longer.text;
    // Both names are taken by the user's own file, so both files claim a suffixed name at the
    // same moment, from the same tick count.
    output.Touch("clip.aac", "the user's own sound");
    const Output run = RunProgram(
        {TARV_PROGRAM_DIR "tarv-convert", "--jobs", "2", "-o", output.Path(), one, other});
    EXPECT_EQ(run.status.code, 0) << run.text;
    std::vector<std::string> made = output.Entries();
    ASSERT_EQ(made.size(), 3u) << run.text;
    EXPECT_EQ(made[0], "clip.aac");
    std::ifstream kept(output.Path() + "clip.aac");
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "the user's own sound");
    // Two whole files, one of each source: their lengths tell them apart.
    std::set<long> lengths;
    for (const std::string& name : {made[1], made[2]}) {
        EXPECT_TRUE(name.starts_with("clip_") && name.ends_with(".3gp")) << name;
        const auto facts = ProbeWithFfprobe(output.Path() + name);
        EXPECT_EQ(facts.at("streams"), "2") << name;
        lengths.insert(std::lround(std::stod(facts.at("format.duration"))));
    }
    EXPECT_EQ(lengths, (std::set<long>{2, 3}));
}

TEST(EndToEnd, TheParallelRecipeConvertsAFolderHereAndOnAnotherMachine) {
    TempFolder videos, output, otherHome;
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"}) {
        MakeClip(videos, name);
    }
    output.Touch("a.3gp", "an earlier result");
    const auto recipe = [&](const std::vector<std::string>& settings,
                            const std::vector<std::string>& options) {
        // A batch started from cron or CI has no SHELL; the recipe must not depend on one.
        Arguments command = {"/usr/bin/env", "-u", "SHELL"};
        command.insert(command.end(), settings.begin(), settings.end());
        command.insert(command.end(), {"/bin/bash", "-c", "cd \"$0\" && exec \"$@\"", videos.Path(),
                                       TARV_PROGRAM_DIR "tarv-parallel"});
        command.insert(command.end(), options.begin(), options.end());
        command.insert(command.end(), {"-o", output.Path(), "a.mp4", "b.mp4", "c.mp4"});
        return RunProgram(command);
    };

    // This machine, two jobs at a time.
    Output run = recipe({}, {"-j", "2"});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_EQ(output.Entries(), (std::vector<std::string>{"a.3gp", "a_1.3gp", "b.3gp", "c.3gp"}))
        << run.text;
    EXPECT_EQ(ProbeWithFfprobe(output.Path() + "b.3gp").at("streams"), "2");

    // Another machine: a stand-in for ssh runs its commands, rsync's too, in a home of its own.
    const std::string ssh = otherHome.Touch(
        "ssh",
        "#!/bin/sh\n"
        "while [ $# -gt 0 ]; do case \"$1\" in -l|-p|-o|-i|-F|-S) shift 2;; --) shift; break;;"
        " -*) shift;; *) break;; esac; done\n"
        "shift\n"
        "[ \"$1\" = \"--\" ] && shift\n"
        "mkdir -p \"$0.home\" && cd \"$0.home\" && HOME=\"$PWD\" exec /bin/sh -c \"$*\"\n");
    std::filesystem::permissions(ssh, std::filesystem::perms::owner_all);
    run = recipe({"PARALLEL_SSH=" + ssh}, {"-S", "2/elsewhere"});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_EQ(output.Entries(), (std::vector<std::string>{"a.3gp", "a_1.3gp", "a_2.3gp", "b.3gp",
                                                          "b_1.3gp", "c.3gp", "c_1.3gp"}))
        << run.text;
    EXPECT_EQ(ProbeWithFfprobe(output.Path() + "c_1.3gp").at("streams"), "2");
    // The other machine's copies are cleaned up, and nothing is left in the videos' folder.
    EXPECT_TRUE(std::filesystem::is_empty(ssh + ".home")) << run.text;
    EXPECT_EQ(videos.Entries(), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
}
