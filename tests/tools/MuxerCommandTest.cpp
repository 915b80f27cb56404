#include "MuxerCommand.h"

#include <gtest/gtest.h>

namespace tarv::tools {
namespace {

TEST(MuxerCommand, VideoMuxLineGivesTrackRateAndTarget) {
    MuxJob job;
    ASSERT_TRUE(ParseMuxerCommand(
        std::vector<std::string>{"-c", "/o/clip.m4v", "-rate=15", "/o/clip.3gp"}, job));
    EXPECT_EQ(job.tracks, std::vector<std::string>{"/o/clip.m4v"});
    EXPECT_EQ(job.frameRate, std::make_pair(15, 1));
    EXPECT_EQ(job.target, "/o/clip.3gp");
}

TEST(MuxerCommand, TargetIsTheLastArgumentEvenWithALeadingDash) {
    MuxJob job;
    ASSERT_TRUE(ParseMuxerCommand(std::vector<std::string>{"-c", "-clip.aac", "-clip.3gp"}, job));
    EXPECT_EQ(job.tracks, std::vector<std::string>{"-clip.aac"});
    EXPECT_EQ(job.target, "-clip.3gp");
}

TEST(MuxerCommand, WrongLinesAreUsageErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"/o/clip.3gp"},
             {"-c", "/o/clip.m4v"},
             {"-c", "/o/clip.m4v", "-rate=fast", "/o/clip.3gp"},
             {"-c", "/o/clip.m4v", "-fps=10", "/o/clip.3gp"},
             {"-c", "/o/clip.m4v", "/o/stray", "/o/clip.3gp"},
         }) {
        MuxJob job;
        EXPECT_EQ(ParseMuxerCommand(args, job).ExitCode(), kExitUsage)
            << (args.empty() ? "" : args.back());
    }
}

}  // namespace
}  // namespace tarv::tools
