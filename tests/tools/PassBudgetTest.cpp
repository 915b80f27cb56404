#include "PassBudget.h"

#include <gtest/gtest.h>

namespace tarv::tools {
namespace {

EncodeSettings Bounded(VideoFamily family, int64_t bytes) {
    EncodeSettings settings;
    settings.family = family;
    settings.videoKbps = 100;
    settings.audioKbps = 32;
    settings.streamBytes = bytes;
    return settings;
}

TEST(PassBudget, TheFirstPassGuessesFromTheSoundsBitrate) {
    // 300000 bytes over 30 s are 80 kbit/s, of which the sound is expected to take 32.
    EXPECT_DOUBLE_EQ(FirstPassKbps(Bounded(VideoFamily::kX264, 300000), 30), 48);
    // Never above the video's own bitrate, never below a trickle, and without a length or a
    // bound just the bitrate.
    EXPECT_DOUBLE_EQ(FirstPassKbps(Bounded(VideoFamily::kX264, 30000000), 30), 100);
    EXPECT_DOUBLE_EQ(FirstPassKbps(Bounded(VideoFamily::kX264, 30000), 30), 1);
    EXPECT_DOUBLE_EQ(FirstPassKbps(Bounded(VideoFamily::kX264, 300000), 0), 100);
    EXPECT_DOUBLE_EQ(FirstPassKbps(Bounded(VideoFamily::kX264, 0), 30), 100);
}

TEST(PassBudget, TheSecondPassGivesTheVideoWhatTheSoundLeft) {
    FirstPass first;
    first.askedKbps = 48;
    first.videoBytes = 180000;  // exactly what was asked for
    first.audioBytes = 100000;  // the sound came out under its 32 kbit/s
    first.seconds = 30;
    // (300000 - 100000) bytes over 30 s.
    EXPECT_NEAR(SecondPassKbps(Bounded(VideoFamily::kX264, 300000), first), 53.33, 0.01);
    EXPECT_NEAR(SecondPassKbps(Bounded(VideoFamily::kXvid, 300000), first), 53.33, 0.01);
    // Sound that took more leaves less.
    first.audioBytes = 150000;
    EXPECT_NEAR(SecondPassKbps(Bounded(VideoFamily::kX264, 300000), first), 40, 0.01);
    // Never more than the video's bitrate, however much is left.
    EXPECT_DOUBLE_EQ(SecondPassKbps(Bounded(VideoFamily::kX264, 3000000), first), 100);
}

TEST(PassBudget, XvidsAimIsCorrectedByWhatItsFirstPassMissedBy) {
    FirstPass first;
    first.askedKbps = 40;
    first.audioBytes = 150000;
    first.seconds = 30;
    first.videoBytes = 165000;  // 44 kbit/s: 10 % over
    EXPECT_NEAR(SecondPassKbps(Bounded(VideoFamily::kXvid, 300000), first), 40 * 40 / 44.0, 0.01);
    // x264's own second pass needs no correction.
    EXPECT_NEAR(SecondPassKbps(Bounded(VideoFamily::kX264, 300000), first), 40, 0.01);
    // Under its aim it is moved up only a little: the pictures may have been too plain.
    first.videoBytes = 75000;  // 20 kbit/s
    EXPECT_NEAR(SecondPassKbps(Bounded(VideoFamily::kXvid, 300000), first), 40 * 1.03, 0.01);
    // Far over, down by a fifth at most.
    first.videoBytes = 450000;
    EXPECT_NEAR(SecondPassKbps(Bounded(VideoFamily::kXvid, 300000), first), 32, 0.01);
}

}  // namespace
}  // namespace tarv::tools
