// The muxer, run as the program runs it, on raw tracks the encoder makes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MediaFixtures.h"
#include "ProgressRecords.h"
#include "ToolCommands.h"

namespace tarv::tools::test {
namespace {

class Muxer : public ::testing::Test {
protected:
    // One encode and its raw tracks serve every case.
    static void SetUpTestSuite() {
        s_tracks = new std::string(NewFolder("tracks"));
        const std::string avi = *s_tracks + "/clip.avi";
        ASSERT_EQ(RunProgram(EncodeArgs(Fixture("clip.mp4"), avi)).exitCode, 0);
        ASSERT_EQ(RunProgram(RawVideoArgs(avi, Track("clip.m4v"))).exitCode, 0);
        ASSERT_EQ(RunProgram(RawAudioArgs(avi, Track("clip.aac"))).exitCode, 0);
    }
    static void TearDownTestSuite() {
        delete s_tracks;
        s_tracks = nullptr;
    }
    static std::string Track(const std::string& name) { return *s_tracks + "/" + name; }

    // A 3GPP file holding the video track, in a folder of its own.
    static std::string VideoOnlyTarget(const std::string& folderName) {
        const std::string target = NewFolder(folderName) + "/clip.3gp";
        EXPECT_EQ(RunProgram(VideoMuxArgs(Track("clip.m4v"), "10", target)).exitCode, 0);
        return target;
    }

    static void ExpectOneLineFailure(const RunResult& r, const std::string& what) {
        EXPECT_NE(r.exitCode, 0) << what;
        EXPECT_EQ(r.signal, 0) << what;
        EXPECT_FALSE(r.timedOut) << what;
        ASSERT_FALSE(r.err.empty()) << what;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }

    static std::string* s_tracks;
};
std::string* Muxer::s_tracks = nullptr;

TEST_F(Muxer, VideoTrackCreatesA3gp4FileAtTheGivenRate) {
    const std::string target = NewFolder("rate") + "/clip.3gp";
    const RunResult r = RunProgram(VideoMuxArgs(Track("clip.m4v"), "12", target));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Brand(target), "3gp4");
    EXPECT_EQ(StreamCount(target), 1);
    EXPECT_EQ(StreamField(target, "v:0", "r_frame_rate"), "12/1");
    // Twenty frames at 12 per second, each stamped n / 12.
    EXPECT_NEAR(StreamSeconds(target, "v:0"), 20 / 12.0, 0.01);
}

TEST_F(Muxer, AddingATrackKeepsTheOnesThereInEitherOrder) {
    const std::string videoFirst = VideoOnlyTarget("video first");
    ASSERT_EQ(RunProgram(AudioMuxArgs(Track("clip.aac"), videoFirst)).exitCode, 0);
    const std::string audioFirst = NewFolder("audio first") + "/clip.3gp";
    ASSERT_EQ(RunProgram(AudioMuxArgs(Track("clip.aac"), audioFirst)).exitCode, 0);
    const RunResult r = RunProgram(VideoMuxArgs(Track("clip.m4v"), "10", audioFirst));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& target : {videoFirst, audioFirst}) {
        EXPECT_EQ(StreamCount(target), 2) << target;
        EXPECT_EQ(StreamField(target, "v:0", "codec_name"), "mpeg4");
        EXPECT_EQ(StreamField(target, "a:0", "codec_name"), "aac");
        EXPECT_NEAR(StreamSeconds(target, "v:0"), 2.0, 0.01);
        // The encoder's 1024 priming samples are moved before time zero again.
        EXPECT_EQ(StreamField(target, "a:0", "start_time"), "0.000000");
    }
    // In the program's order the padding of the last AAC frame is cut where the picture ends;
    // added first, the sound keeps it, at most one frame.
    EXPECT_NEAR(StreamSeconds(videoFirst, "a:0"), 2.0, 0.005);
    EXPECT_GE(StreamSeconds(audioFirst, "a:0"), 2.0);
    EXPECT_LE(StreamSeconds(audioFirst, "a:0"), 2.0 + 1024 / 22050.0 + 0.001);
}

TEST_F(Muxer, FailureLeavesTheTargetAsItWasAndNoTemporaryFile) {
    const std::string target = VideoOnlyTarget("failure");
    const std::string folder = target.substr(0, target.rfind('/'));
    const std::string before = ReadFile(target);
    WriteFile(folder + "/garbage.aac", std::string(4000, '\x17'));

    ExpectOneLineFailure(RunProgram(AudioMuxArgs(folder + "/garbage.aac", target)),
                         "garbage track");
    ExpectOneLineFailure(RunProgram(AudioMuxArgs(folder + "/missing.aac", target)),
                         "missing track");
    RunOptions full;
    full.fileSizeLimit = static_cast<long>(before.size()) / 2;
    ExpectOneLineFailure(RunProgram(AudioMuxArgs(Track("clip.aac"), target), full), "full disk");

    EXPECT_EQ(ReadFile(target), before);
    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"clip.3gp", "garbage.aac"}));
}

TEST_F(Muxer, ADamagedTargetIsNotReplaced) {
    const std::string folder = NewFolder("damaged");
    const std::string target = folder + "/clip.3gp";
    WriteFile(target, "not a 3GPP file");
    ExpectOneLineFailure(RunProgram(AudioMuxArgs(Track("clip.aac"), target)), "damaged target");
    EXPECT_EQ(ReadFile(target), "not a 3GPP file");
}

TEST_F(Muxer, UnwritableFolderFailsClearly) {
    const std::string folder = NewFolder("unwritable");
    WriteFile(folder + "/file", "");
    ExpectOneLineFailure(RunProgram(VideoMuxArgs(Track("clip.m4v"), "10", folder + "/file/c.3gp")),
                         "folder is a file");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"file"});
}

TEST_F(Muxer, PrintsRecordsTheWorkerReads) {
    const std::string target = NewFolder("records") + "/clip.3gp";
    const RunResult r = RunProgram(VideoMuxArgs(Track("clip.m4v"), "10", target));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<float> positions = RecordPositions(r.out);
    ASSERT_FALSE(positions.empty());
    EXPECT_NEAR(positions.back(), 1.9, 0.11);
}

}  // namespace
}  // namespace tarv::tools::test
