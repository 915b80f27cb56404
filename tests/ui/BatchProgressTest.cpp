#include "BatchProgress.h"

#include <gtest/gtest.h>

#include "ConvertWorker.h"

using namespace tarv;
using Kind = RowUpdate::Kind;

TEST(BatchProgress, EachCheckedRowGivesFiveEntriesAndReportsReachTheirRow) {
    // Two checked rows with an unchecked one between them.
    const std::vector<int> rows = EntryRowsOf({true, false, true});
    EXPECT_EQ(rows, (std::vector<int>{0, 0, 0, 0, 0, 2, 2, 2, 2, 2}));

    BatchProgress progress;
    progress.StartBatch(rows);
    const RowUpdate first = progress.OnReport(0, 50, StepType::Encode, 100);
    EXPECT_EQ(first.row, 0);
    EXPECT_TRUE(first.startBar);
    EXPECT_EQ(first.kind, Kind::Bar);
    EXPECT_EQ(first.value, 45);
    EXPECT_FALSE(progress.OnReport(1, 60, StepType::RawVideo, 100).startBar);
    EXPECT_EQ(progress.OnReport(4, kProgressFileDone, StepType::AudioMux, 100).kind, Kind::Done);
    EXPECT_EQ(progress.CurrentRow(), -1);

    const RowUpdate second = progress.OnReport(5, 10, StepType::Encode, 100);
    EXPECT_EQ(second.row, 2);
    EXPECT_TRUE(second.startBar);
    EXPECT_EQ(progress.OnReport(10, 10, StepType::Encode, 100).row, -1);
}

TEST(BatchProgress, StepsShareTheBarAndItNeverShowsAHundred) {
    BatchProgress progress;
    progress.StartBatch(EntryRowsOf({true}));
    EXPECT_EQ(progress.OnReport(0, 100, StepType::Encode, 100).value, 90);
    EXPECT_EQ(progress.OnReport(1, 99, StepType::RawVideo, 100).value, 92);
    EXPECT_EQ(progress.OnReport(4, 100, StepType::AudioMux, 100).value, 99);
    EXPECT_EQ(progress.OnReport(4, 150, StepType::AudioMux, 100).value, 99);
}

TEST(BatchProgress, AnUnknownLengthShowsTheStepsBaseValue) {
    BatchProgress progress;
    progress.StartBatch(EntryRowsOf({true}));
    EXPECT_EQ(progress.OnReport(0, 30, StepType::Encode, -1).value, 0);
    EXPECT_EQ(progress.OnReport(2, 31, StepType::RawAudio, 0).value, 93);
}

TEST(BatchProgress, ARepeatedValueIsIgnoredButTheEndsOfAFileAreNot) {
    BatchProgress progress;
    progress.StartBatch(EntryRowsOf({true, true}));
    EXPECT_EQ(progress.OnReport(0, 7, StepType::Encode, 10).kind, Kind::Bar);
    EXPECT_EQ(progress.OnReport(0, 7, StepType::Encode, 10).kind, Kind::Nothing);
    const RowUpdate failed = progress.OnReport(0, kProgressFailed, StepType::Encode, 10);
    EXPECT_EQ(failed.kind, Kind::Failed);
    EXPECT_EQ(failed.row, 0);
    const RowUpdate stopped = progress.OnReport(5, kProgressStopped, StepType::Encode, 10);
    EXPECT_EQ(stopped.kind, Kind::Abort);
    EXPECT_TRUE(stopped.startBar);
}

TEST(BatchProgress, AStopBeforeAnyPositionOfANewBatchStillShowsAbort) {
    BatchProgress progress;
    progress.StartBatch(EntryRowsOf({true}));
    // The first batch ends on a stop; the next batch is stopped before any position came.
    EXPECT_EQ(progress.OnReport(0, kProgressStopped, StepType::Encode, 10).kind, Kind::Abort);
    progress.StartBatch(EntryRowsOf({true}));
    EXPECT_EQ(progress.OnReport(0, kProgressStopped, StepType::Encode, 10).kind, Kind::Abort);
    // A position equal to the previous batch's last one counts in the new batch.
    progress.OnReport(0, 5, StepType::Encode, 10);
    progress.StartBatch(EntryRowsOf({true}));
    EXPECT_EQ(progress.OnReport(0, 5, StepType::Encode, 10).kind, Kind::Bar);
}
