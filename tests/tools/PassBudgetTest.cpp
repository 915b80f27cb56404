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
    MeasuredPass first;
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
    MeasuredPass first;
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

TEST(PassBudget, AFinalPassOverItsBoundRunsAgainForLess) {
    const EncodeSettings settings = Bounded(VideoFamily::kXvid, 300000);
    MeasuredPass last;
    last.askedKbps = 50;
    last.audioBytes = 100000;
    last.videoBytes = 220000;  // 20000 over, the video 10 % over what it could have had
    last.seconds = 30;
    // Scaled to the 200000 the sound leaves, and a little under that.
    EXPECT_NEAR(NextFinalKbps(settings, last, 0).value(), 50 * 200000 / 220000.0 * 0.97, 0.01);
    // Over by a hair, still a step down.
    last.videoBytes = 200001;
    EXPECT_LT(NextFinalKbps(settings, last, 0).value(), 50 * 0.98);
    // Sound that takes the whole bound leaves the video a trickle.
    last.audioBytes = 320000;
    EXPECT_DOUBLE_EQ(NextFinalKbps(settings, last, 0).value(), 1);
}

TEST(PassBudget, AFinalPassWellShortRunsAgainForMoreWhileThatGainsSomething) {
    const EncodeSettings settings = Bounded(VideoFamily::kX264, 300000);
    MeasuredPass last;
    last.askedKbps = 50;
    last.audioBytes = 100000;
    last.videoBytes = 150000;  // a quarter short of its aim: 83 % of the bound
    last.seconds = 30;
    EXPECT_NEAR(NextFinalKbps(settings, last, 0).value(), 50 * 200000 / 150000.0 * 0.97, 0.01);
    // Never above the video's own bitrate, and not at all when that is the aim already.
    last.askedKbps = 90;
    EXPECT_DOUBLE_EQ(NextFinalKbps(settings, last, 0).value(), 100);
    last.askedKbps = 100;
    EXPECT_FALSE(NextFinalKbps(settings, last, 0));
    // Full enough, or no fuller than the file already kept: as good as it gets.
    last.askedKbps = 50;
    last.videoBytes = 186000;  // 95.3 %
    EXPECT_FALSE(NextFinalKbps(settings, last, 0));
    last.videoBytes = 150000;
    EXPECT_FALSE(NextFinalKbps(settings, last, 250000));
    // Within the bound without one.
    EXPECT_FALSE(NextFinalKbps(Bounded(VideoFamily::kX264, 0), last, 0));
}

}  // namespace
}  // namespace tarv::tools
