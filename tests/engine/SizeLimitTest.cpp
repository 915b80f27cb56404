#include "SizeLimit.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarv;

namespace {

constexpr int64_t k300KB = 300 * 1024;
constexpr int64_t k1MB = 1024 * 1024;

ConvertOptions Format(int format) {
    ConvertOptions options = StartSelections();
    options.format = format;
    ApplyFormatPreset(options);
    return options;
}

// The kilobits a second the streams of a plan may take together.
double BudgetKbps(const SizePlan& plan, double seconds) {
    return plan.streamBytes * 8.0 / seconds / 1000.0;
}

}  // namespace

TEST(SizeLimit, ThirtySecondsAt300KbGiveTheVideoWhatTheChosenSoundLeaves) {
    const SizePlan plan = PlanForSize(Format(0), k300KB, 30);
    ASSERT_TRUE(plan.fits) << plan.reason;
    // 98.5 % of the limit, less the file's own boxes for 300 pictures and 650 AAC frames.
    const int64_t container = ContainerBytes(30, 10, 22050);
    EXPECT_EQ(plan.streamBytes, static_cast<int64_t>(std::floor(k300KB * 0.985)) - container);
    EXPECT_GT(container, 7000);
    EXPECT_LT(container, 10000);
    EXPECT_EQ(plan.audioKbps, 32);
    EXPECT_EQ(plan.sampleRate, 22050);
    EXPECT_FALSE(plan.mono);
    EXPECT_EQ(plan.videoKbps, static_cast<int>(std::floor(BudgetKbps(plan, 30) - 32)));
    EXPECT_EQ(plan.videoKbps, 46);
    EXPECT_EQ(PlanText(plan, k300KB), "To fit 300 KB: video 46 kbps, audio 32 kbps");
}

TEST(SizeLimit, NoChosenBitrateIsEverExceeded) {
    // 10 s fit 16 MB many times over: the chosen bitrates stand.
    for (int format = 0; format < 3; ++format) {
        const ConvertOptions options = Format(format);
        const SizePlan plan = PlanForSize(options, 16 * k1MB, 10);
        ASSERT_TRUE(plan.fits);
        EXPECT_EQ(std::to_string(plan.videoKbps),
                  ValueOf(OptionList::VideoBitrate, options.videoBitrate));
        EXPECT_EQ(std::to_string(plan.audioKbps),
                  ValueOf(OptionList::AudioBitrate, options.audioBitrate));
        EXPECT_EQ(std::to_string(plan.sampleRate),
                  ValueOf(OptionList::SampleRate, options.sampleRate));
        EXPECT_FALSE(plan.mono);
    }
}

TEST(SizeLimit, TheSoundIsLoweredToOneChannelWhenTheBudgetIsSmall) {
    // Format 1 asks for 96 kbps at 48 kHz: more than half of what 30 s at 300 KB leave.
    SizePlan plan = PlanForSize(Format(1), k300KB, 30);
    ASSERT_TRUE(plan.fits) << plan.reason;
    EXPECT_TRUE(plan.mono);
    EXPECT_EQ(plan.sampleRate, 22050);
    EXPECT_LT(plan.audioKbps, 96);
    EXPECT_LE(plan.audioKbps, BudgetKbps(plan, 30) / 2);
    EXPECT_GE(plan.videoKbps, VideoFloorKbps(Format(1)));
    EXPECT_LE(plan.videoKbps + plan.audioKbps, BudgetKbps(plan, 30));
    EXPECT_TRUE(PlanText(plan, k300KB).ends_with(", mono at 22050 Hz")) << PlanText(plan, k300KB);

    // A minute at 300 KB: the sound goes down to what the video's floor leaves, but not below
    // the floor for speech.
    plan = PlanForSize(Format(0), k300KB, 60);
    ASSERT_TRUE(plan.fits) << plan.reason;
    EXPECT_TRUE(plan.mono);
    EXPECT_GE(plan.audioKbps, kAudioFloorKbps);
    EXPECT_LT(plan.audioKbps, 32);
    EXPECT_GE(plan.videoKbps, VideoFloorKbps(Format(0)));
    EXPECT_LE(plan.videoKbps + plan.audioKbps, BudgetKbps(plan, 60));

    // Lowered, one channel takes at most 64 kbit/s, however much there is: 192 kbit/s asked
    // for, 10 s at 300 KB leave about 240 for both.
    ConvertOptions rich = Format(0);
    rich.audioBitrate = 8;   // 192 kbps
    rich.videoBitrate = 10;  // 1200 kbps
    plan = PlanForSize(rich, k300KB, 10);
    ASSERT_TRUE(plan.fits);
    EXPECT_TRUE(plan.mono);
    EXPECT_EQ(plan.audioKbps, kLoweredMostKbps);
    EXPECT_EQ(plan.videoKbps, static_cast<int>(std::floor(BudgetKbps(plan, 10) - 64)));
}

TEST(SizeLimit, AFileTooLongSaysHowLongAFileMayBe) {
    const SizePlan plan = PlanForSize(Format(0), k300KB, 120);
    EXPECT_FALSE(plan.fits);
    EXPECT_EQ(plan.reason, "Too long for 300 KB: at most " + LengthText(plan.longestSeconds) +
                               " fits at the lowest quality.");
    // The length is computed: what it names fits, a second more does not.
    EXPECT_TRUE(PlanForSize(Format(0), k300KB, plan.longestSeconds).fits);
    EXPECT_FALSE(PlanForSize(Format(0), k300KB, plan.longestSeconds + 1).fits);
    // At the lowest quality the streams take the floors: a little over a minute here.
    EXPECT_GT(plan.longestSeconds, 60);
    EXPECT_LT(plan.longestSeconds, 80);

    // More pictures a second and a larger picture raise the floor, so less fits.
    ConvertOptions busy = Format(0);
    busy.frameRate = 5;    // 25 fps
    busy.resolution = 10;  // 320x240
    const SizePlan busier = PlanForSize(busy, k300KB, 120);
    EXPECT_FALSE(busier.fits);
    EXPECT_LT(busier.longestSeconds, plan.longestSeconds / 3);
    // A bigger limit takes proportionally longer files.
    EXPECT_NEAR(PlanForSize(Format(0), k1MB, 1e5).longestSeconds,
                plan.longestSeconds * k1MB / k300KB, 8);
}

TEST(SizeLimit, ALimitTooSmallForASecondIsNamedAsSuch) {
    // 5 KB hold less than a second at the lowest quality: no length is worth naming, and even
    // a file shorter than a second would leave the encoder less than it can work with.
    for (const double seconds : {30.0, 0.4}) {
        const SizePlan plan = PlanForSize(Format(0), 5 * 1024, seconds);
        EXPECT_FALSE(plan.fits);
        EXPECT_EQ(plan.reason, "5 KB is too small: not even a second fits at the lowest quality.");
    }
    // 8 KB hold a second or two; what fits leaves the encoder at least what it takes.
    const SizePlan plan = PlanForSize(Format(0), 8 * 1024, 1);
    ASSERT_TRUE(plan.fits) << plan.reason;
    EXPECT_GE(plan.streamBytes, kLeastStreamBytes);
    EXPECT_GE(plan.longestSeconds, 1);
}

TEST(SizeLimit, AFileOfUnknownLengthCannotBePlannedFor) {
    for (double seconds : {-1.0, 0.0}) {
        const SizePlan plan = PlanForSize(Format(0), k1MB, seconds);
        EXPECT_FALSE(plan.fits);
        EXPECT_EQ(plan.reason,
                  "Its playing time is unknown, so no bitrates can be chosen to fit 1 MB.");
    }
}

TEST(SizeLimit, TheVideoFloorFollowsPictureSizeAndRate) {
    ConvertOptions options = Format(0);  // 176x144 at 10 fps: the least floor
    EXPECT_EQ(VideoFloorKbps(options), 16);
    options.resolution = 17;  // 640x480
    options.frameRate = 5;    // 25 fps
    EXPECT_EQ(VideoFloorKbps(options), 384);
    options.resolution = 0;  // the original size counts as 320x240
    EXPECT_EQ(VideoFloorKbps(options), 96);
}

TEST(SizeLimit, ContainerBytesGrowWithEverySampleAndChunk) {
    EXPECT_LT(ContainerBytes(10, 10, 22050), ContainerBytes(20, 10, 22050));
    // Twice the pictures, and twice the sound frames, each cost at least a size entry.
    EXPECT_GE(ContainerBytes(30, 20, 22050) - ContainerBytes(30, 10, 22050), 300 * 4);
    EXPECT_GE(ContainerBytes(30, 10, 44100) - ContainerBytes(30, 10, 22050), 646 * 4);
    // Long files are foreseen rather than walked through: two seconds more cost two seconds'
    // share there too, with no jump where the one way gives over to the other.
    const double perSecond = (ContainerBytes(60, 25, 48000) - ContainerBytes(0, 25, 48000)) / 60.0;
    EXPECT_NEAR(ContainerBytes(601, 25, 48000) - ContainerBytes(599, 25, 48000), 2 * perSecond,
                perSecond / 4);
    // Nothing to tell: only the fixed boxes.
    EXPECT_EQ(ContainerBytes(0, 10, 22050), ContainerBytes(-1, 10, 22050));
}

TEST(SizeLimit, SizesAndLengthsReadAsPeopleWriteThem) {
    EXPECT_EQ(SizeText(307200), "300 KB");
    EXPECT_EQ(SizeText(1048576), "1 MB");
    EXPECT_EQ(SizeText(3670016), "3.5 MB");
    EXPECT_EQ(SizeText(500000), "488.3 KB");
    EXPECT_EQ(SizeText(512), "512 bytes");
    EXPECT_EQ(LengthText(48.9), "0:48");
    EXPECT_EQ(LengthText(725), "12:05");
    EXPECT_EQ(LengthText(3725), "1:02:05");
    EXPECT_EQ(LengthText(-3), "0:00");
}
