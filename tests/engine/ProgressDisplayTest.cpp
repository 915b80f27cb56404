#include "ProgressDisplay.h"

#include <gtest/gtest.h>

using namespace tarv;

TEST(ProgressDisplay, EachStepFillsItsShareOfTheBar) {
    EXPECT_EQ(ShownProgress(50, 100, StepType::Encode), 45);
    EXPECT_EQ(ShownProgress(100, 100, StepType::Encode), 90);
    EXPECT_EQ(ShownProgress(50, 100, StepType::RawVideo), 91);
    EXPECT_EQ(ShownProgress(100, 100, StepType::RawAudio), 95);
    EXPECT_EQ(ShownProgress(0, 100, StepType::VideoMux), 95);
    EXPECT_EQ(ShownProgress(100, 100, StepType::AudioMux), 99);
    // Integer steps truncate: 1 s of 3 s is 33 %, 33 * 90 / 100 is 29.
    EXPECT_EQ(ShownProgress(1, 3, StepType::Encode), 29);
}

TEST(ProgressDisplay, NeverReachesAHundredAndNeverDividesByZero) {
    EXPECT_EQ(ShownProgress(500, 100, StepType::AudioMux), 99);
    EXPECT_EQ(ShownProgress(500, 100, StepType::Encode), 99);
    EXPECT_EQ(ShownProgress(7, 0, StepType::Encode), 0);
    EXPECT_EQ(ShownProgress(7, -1, StepType::RawVideo), 90);
    EXPECT_EQ(ShownProgress(7, 0, StepType::RawAudio), 93);
    EXPECT_EQ(ShownProgress(7, 0, StepType::AudioMux), 97);
    EXPECT_EQ(ShownProgress(2147483647, 1, StepType::Encode), 99);
}
