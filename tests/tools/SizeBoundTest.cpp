// The encode step under a bound on what its two streams take together: two passes over the
// input, the video given what the sound leaves, run as the program runs the encoder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <sstream>

#include "MediaFixtures.h"
#include "ProgressRecords.h"
#include "ToolCommands.h"

namespace tarv::tools::test {
namespace {

// The size of every packet of one stream of the file.
std::vector<int64_t> PacketSizes(const std::string& file, const std::string& stream) {
    std::istringstream lines(RunProgram({"ffprobe", "-v", "error", "-select_streams", stream,
                                         "-show_entries", "packet=size", "-of", "csv=p=0", file})
                                 .out);
    std::vector<int64_t> sizes;
    for (int64_t size = 0; lines >> size;) {
        sizes.push_back(size);
    }
    return sizes;
}

int64_t StreamBytes(const std::string& file, const std::string& stream) {
    const std::vector<int64_t> sizes = PacketSizes(file, stream);
    return std::accumulate(sizes.begin(), sizes.end(), int64_t{0});
}

// Moving pictures under fresh noise, and a voice with pauses, which costs the AAC encoder
// well under its bitrate.
std::string Clip(const std::string& name, int seconds, const std::string& size) {
    const std::string path = NewFolder("clips " + name) + "/" + name + ".mp4";
    const std::string d = std::to_string(seconds);
    EXPECT_TRUE(
        Ffmpeg({"-f", "lavfi", "-i",
                "testsrc2=size=" + size + ":rate=25:duration=" + d + ",noise=alls=12:allf=t", "-f",
                "lavfi", "-i",
                "aevalsrc='0.2*(sin(2*PI*130*t)+0.6*sin(2*PI*260*t)+0.45*sin(2*PI*390*t)+"
                "0.1*sin(2*PI*2340*t)+0.08*(random(0)-0.5))*pow(abs(sin(2*PI*3.1*t)),3)*"
                "gt(sin(2*PI*0.37*t)+0.5,0)':s=44100:d=" +
                    d,
                "-c:v", "mpeg4", "-q:v", "3", "-c:a", "aac", "-b:a", "128k", path}));
    return path;
}

std::vector<std::string> Bounded(const std::string& input, const std::string& avi, bool x264,
                                 int64_t bytes, const std::string& videoKbps = "300") {
    EncodeChoice choice;
    choice.x264 = x264;
    choice.videoKbps = videoKbps;
    std::vector<std::string> args = EncodeArgs(input, avi, choice);
    const std::string options = x264 ? "-x264encopts" : "-xvidencopts";
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == options) {
            args[i + 1] += ":size=" + std::to_string(bytes);
        }
    }
    return args;
}

// Every test runs the encoder with its temporary files in a folder of its own.
class SizeBound : public ::testing::Test {
protected:
    void SetUp() override {
        temporary = NewFolder("temporary");
        setenv("TMPDIR", temporary.c_str(), 1);
    }
    void TearDown() override {
        // The first pass's statistics leave with the encoder, whatever became of it.
        EXPECT_TRUE(FolderEntries(temporary).empty());
        unsetenv("TMPDIR");
    }
    std::string temporary;
};

TEST_F(SizeBound, BothEncodersFillTheirBoundInTwoPassesWhateverTheSoundCost) {
    const std::string clip = Clip("voice", 8, "320x240");
    for (const bool x264 : {false, true}) {
        SCOPED_TRACE(x264 ? "x264" : "xvid");
        const std::string avi = NewFolder("bounded") + "/clip.avi";
        // 80 kbit/s for both: 48 for the video if the sound took its 32, but this sound takes
        // less, and the video gets the rest.
        const int64_t bound = 80000;
        const RunResult r = RunProgram(Bounded(clip, avi, x264, bound));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const int64_t video = StreamBytes(avi, "v:0");
        const int64_t sound = StreamBytes(avi, "a:0");
        EXPECT_LT(sound, 32000);  // under 32 kbit/s over its 8 s
        EXPECT_LE(video + sound, bound);
        EXPECT_GE(video + sound, bound * 95 / 100);
        EXPECT_EQ(StreamField(avi, "v:0", "nb_frames"), "80");

        // The records run once from the start to the end over both passes: the first pass
        // ends half way.
        const std::vector<float> positions = RecordPositions(r.out);
        ASSERT_GE(positions.size(), 2u) << r.out;
        for (size_t i = 1; i < positions.size(); ++i) {
            EXPECT_GE(positions[i], positions[i - 1]) << r.out;
        }
        EXPECT_NE(std::find(positions.begin(), positions.end(), 4.0f), positions.end()) << r.out;
        EXPECT_FLOAT_EQ(positions.back(), 8.0f);
    }
}

TEST_F(SizeBound, NoBoundIsOnePassAtTheBitrate) {
    const std::string avi = NewFolder("unbounded") + "/clip.avi";
    const RunResult r = RunProgram(EncodeArgs(Fixture("clip.mp4"), avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // One run from the start to the end: no record stops half way.
    const std::vector<float> positions = RecordPositions(r.out);
    EXPECT_EQ(std::count(positions.begin(), positions.end(), positions.back()), 1) << r.out;
    EXPECT_FLOAT_EQ(positions.back(), 2.0f);
}

TEST_F(SizeBound, XvidKeepsABoundBelowItsCoarsestQuantiserByRepeatingPictures) {
    // Noisy 320x240 pictures at 25 fps cost about 110 kbit/s at quantiser 31; the bound leaves
    // the video about 60.
    const std::string clip = Clip("noise", 6, "320x240");
    const std::string avi = NewFolder("starved") + "/clip.avi";
    EncodeChoice choice;
    choice.scale = "320:240";
    choice.fps = "25";
    choice.videoKbps = "300";
    std::vector<std::string> args = EncodeArgs(clip, avi, choice);
    const int64_t bound = (60 + 32) * 1000 / 8 * 6;
    for (std::string& arg : args) {
        if (arg.starts_with("bitrate=")) {
            arg += ":size=" + std::to_string(bound);
        }
    }
    const RunResult r = RunProgram(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const int64_t total = StreamBytes(avi, "v:0") + StreamBytes(avi, "a:0");
    EXPECT_LE(total, bound);
    EXPECT_GE(total, bound * 9 / 10);
    // Every picture is there, many of them repeats of the one before, which cost next to
    // nothing.
    EXPECT_EQ(StreamField(avi, "v:0", "nb_frames"), "150");
    const std::vector<int64_t> sizes = PacketSizes(avi, "v:0");
    EXPECT_GT(std::count_if(sizes.begin(), sizes.end(), [](int64_t size) { return size < 100; }),
              20);
}

// The bytes of both streams of an AVI.
int64_t BothStreams(const std::string& avi) {
    return StreamBytes(avi, "v:0") + StreamBytes(avi, "a:0");
}

// Pictures of the given source with a steady tone, which takes the AAC encoder's whole bitrate.
std::string ToneClip(const std::string& name, const std::string& video, int seconds) {
    const std::string path = NewFolder("clips " + name) + "/" + name + ".mp4";
    const std::string d = std::to_string(seconds);
    EXPECT_TRUE(
        Ffmpeg({"-f", "lavfi", "-i", video, "-f", "lavfi", "-i", "sine=frequency=440:duration=" + d,
                "-t", d, "-c:v", "mpeg4", "-q:v", "2", "-c:a", "aac", path}));
    return path;
}

TEST_F(SizeBound, ARateControlThatMissesItsAimRunsTheFinalPassAgain) {
    // Four still seconds, then four of heavy noise: Xvid's average, saved on the still half,
    // overflows on the noisy one; one pass over the bound is 4 % over.
    const std::string burst =
        ToneClip("burst",
                 "color=c=gray:size=320x240:rate=25:d=4[a];testsrc2=size=320x240:rate=25:d=4,"
                 "noise=alls=40:allf=t[b];[a][b]concat",
                 8);
    EncodeChoice choice;
    choice.videoKbps = "1200";
    std::vector<std::string> args = EncodeArgs(burst, NewFolder("burst") + "/clip.avi", choice);
    args[args.size() - 4] += ":size=90000";
    RunResult r = RunProgram(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_LE(BothStreams(args.back()), 90000);
    EXPECT_GE(BothStreams(args.back()), 90000 * 9 / 10);

    // Noise whose colours turn: x264's second pass ends a quarter short of its aim, the whole
    // about 87 % of the bound.
    const std::string turning = ToneClip(
        "turning", "testsrc2=size=320x240:rate=25:d=10,noise=alls=20:allf=t+p,hue=H=t*40", 10);
    choice.x264 = true;
    choice.videoKbps = "256";
    choice.audioKbps = "96";
    choice.sampleRate = "48000";
    choice.fps = "15";
    args = EncodeArgs(turning, NewFolder("turning") + "/clip.avi", choice);
    args[args.size() - 4] += ":size=270000";
    r = RunProgram(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_LE(BothStreams(args.back()), 270000);
    EXPECT_GE(BothStreams(args.back()), 270000 * 9 / 10);
    // The passes run again print nothing until their end: the records never run backwards.
    const std::vector<float> positions = RecordPositions(r.out);
    for (size_t i = 1; i < positions.size(); ++i) {
        EXPECT_GE(positions[i], positions[i - 1]) << r.out;
    }
    EXPECT_FLOAT_EQ(positions.back(), 10.0f);
}

TEST_F(SizeBound, StreamsThatCannotKeepTheirBoundFailTheStepAndLeaveNoFile) {
    // The sound alone, 32 kbit/s over 8 s, takes more than the bound: no video bitrate can
    // make up for it.
    const std::string clip = ToneClip("loud", "testsrc2=size=176x144:rate=10:d=8", 8);
    const std::string out = NewFolder("unbound");
    std::vector<std::string> args = EncodeArgs(clip, out + "/clip.avi");
    args[args.size() - 4] += ":size=20000";
    const RunResult r = RunProgram(args);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("more than the 20000 they may"), std::string::npos) << r.err;
    EXPECT_TRUE(FolderEntries(out).empty());
}

TEST_F(SizeBound, AStopDuringTheTwoPassesLeavesNeitherStatisticsNorAHalfFile) {
    const std::string clip = Clip("long", 20, "640x480");
    const std::string out = NewFolder("stopped");
    EncodeChoice choice;
    choice.x264 = true;
    choice.scale = "";
    std::vector<std::string> args = EncodeArgs(clip, out + "/clip.avi", choice);
    args[args.size() - 4] += ":size=400000";
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    // Stopped at its first record: the statistics are being written then.
    std::string seen;
    char chunk[256];
    ssize_t count = 0;
    while (seen.find("Pos:") == std::string::npos &&
           (count = read(pipeEnds[0], chunk, sizeof chunk)) > 0) {
        seen.append(chunk, static_cast<size_t>(count));
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    close(pipeEnds[0]);
    ASSERT_NE(seen.find("Pos:"), std::string::npos);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_TRUE(FolderEntries(out).empty());
}

}  // namespace
}  // namespace tarv::tools::test
