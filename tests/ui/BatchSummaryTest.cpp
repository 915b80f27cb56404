#include "BatchSummary.h"

#include <gtest/gtest.h>

using namespace tarv;
using State = FileProgress::State;

TEST(BatchSummary, FilesWeighByTheirLengthAndUnknownOnesByTheAverage) {
    // 60 s done, a third of 60 s running, one unknown (weighs the average 80), 120 s waiting:
    // 79.8 of 320.
    const std::vector<FileProgress> files = {{60, 0, State::Done},
                                             {60, 33, State::Running},
                                             {-1, 0, State::Pending},
                                             {120, 0, State::Pending}};
    const BatchEstimate estimate = EstimateBatch(files, 80);
    EXPECT_EQ(estimate.fileNumber, 2);
    EXPECT_EQ(estimate.fileCount, 4);
    EXPECT_EQ(estimate.percent, 24);
    ASSERT_TRUE(estimate.secondsLeft);
    EXPECT_EQ(*estimate.secondsLeft, 241);  // 80 s for a quarter: about three times as long
    EXPECT_EQ(ProgressText(estimate), "Converting 2 of 4 files \u00b7 24% \u00b7 about 4:01 left");

    // Nothing known at all: every file weighs the same.
    const BatchEstimate alike =
        EstimateBatch({{0, 50, State::Running}, {-1, 0, State::Pending}}, 30);
    EXPECT_EQ(alike.percent, 25);
}

TEST(BatchSummary, TheFirstMomentsAreOnlyEstimating) {
    const std::vector<FileProgress> files = {{100, 1, State::Running}, {100, 0, State::Pending}};
    EXPECT_FALSE(EstimateBatch(files, 10).secondsLeft);                       // half a percent done
    EXPECT_FALSE(EstimateBatch({{100, 50, State::Running}}, 1).secondsLeft);  // one second in
    EXPECT_EQ(ProgressText(EstimateBatch(files, 10)),
              "Converting 1 of 2 files \u00b7 0% \u00b7 estimating...");
    // Between files the next one is named.
    EXPECT_EQ(EstimateBatch({{10, 0, State::Done}, {10, 0, State::Pending}}, 5).fileNumber, 2);
}

TEST(BatchSummary, TheEndSaysWhatHappened) {
    EXPECT_EQ(SummaryText({{10, 0, State::Done}, {10, 0, State::Done}}, false),
              "2 files converted");
    EXPECT_EQ(SummaryText({{10, 0, State::Done}}, false), "1 file converted");
    EXPECT_EQ(SummaryText({{10, 0, State::Done}, {10, 0, State::Failed}}, false),
              "1 converted, 1 failed");
    EXPECT_EQ(SummaryText({{10, 0, State::Done}, {10, 0, State::Stopped}}, true), "Stopped");
    const BatchEstimate finished = EstimateBatch({{10, 0, State::Done}, {0, 0, State::Failed}}, 9);
    EXPECT_EQ(finished.percent, 100);
    EXPECT_EQ(*finished.secondsLeft, 0);
    EXPECT_EQ(ClockText(80), "1:20");
    EXPECT_EQ(ClockText(3725), "1:02:05");
}
