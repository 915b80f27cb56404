#include "BatchProgress.h"

#include <gtest/gtest.h>

using namespace tarv;
using Kind = RowUpdate::Kind;

namespace {

// A report about the row `key` at `step` (0 to 4), a position or one of the ends.
BatchReport At(uint64_t key, int step, int seconds,
               BatchReport::Kind kind = BatchReport::Kind::Position) {
    BatchReport report;
    report.key = key;
    report.step = step;
    report.seconds = seconds;
    report.kind = kind;
    return report;
}

BatchReport End(uint64_t key, BatchReport::Kind kind) {
    return At(key, kind == BatchReport::Kind::FileDone ? 4 : 0, 0, kind);
}

}  // namespace

TEST(BatchProgress, EachFilesReportsReachItsRowAndTheFirstStartsABar) {
    BatchProgress progress;
    progress.StartBatch();
    const RowUpdate first = progress.OnReport(At(7, 0, 50), 100);
    EXPECT_TRUE(first.startBar);
    EXPECT_EQ(first.kind, Kind::Bar);
    EXPECT_EQ(first.value, 45);
    EXPECT_EQ(progress.CurrentRow(), 7u);
    EXPECT_FALSE(progress.OnReport(At(7, 1, 60), 100).startBar);
    EXPECT_EQ(progress.OnReport(End(7, BatchReport::Kind::FileDone), 100).kind, Kind::Done);
    EXPECT_EQ(progress.CurrentRow(), 0u);

    const RowUpdate second = progress.OnReport(At(9, 0, 10), 100);
    EXPECT_TRUE(second.startBar);
    EXPECT_EQ(progress.CurrentRow(), 9u);
}

TEST(BatchProgress, StepsShareTheBarAndItNeverShowsAHundred) {
    BatchProgress progress;
    progress.StartBatch();
    EXPECT_EQ(progress.OnReport(At(1, 0, 100), 100).value, 90);
    EXPECT_EQ(progress.OnReport(At(1, 1, 99), 100).value, 92);
    EXPECT_EQ(progress.OnReport(At(1, 4, 100), 100).value, 99);
    EXPECT_EQ(progress.OnReport(At(1, 4, 150), 100).value, 99);
}

TEST(BatchProgress, AnUnknownLengthShowsTheStepsBaseValue) {
    BatchProgress progress;
    progress.StartBatch();
    EXPECT_EQ(progress.OnReport(At(1, 0, 30), -1).value, 0);
    EXPECT_EQ(progress.OnReport(At(1, 2, 31), 0).value, 93);
}

TEST(BatchProgress, ARepeatedValueIsIgnoredButTheEndsOfAFileAreNot) {
    BatchProgress progress;
    progress.StartBatch();
    EXPECT_EQ(progress.OnReport(At(1, 0, 7), 10).kind, Kind::Bar);
    EXPECT_EQ(progress.OnReport(At(1, 0, 7), 10).kind, Kind::Nothing);
    EXPECT_EQ(progress.OnReport(End(1, BatchReport::Kind::Failed), 10).kind, Kind::Failed);
    const RowUpdate stopped = progress.OnReport(End(2, BatchReport::Kind::Stopped), 10);
    EXPECT_EQ(stopped.kind, Kind::Abort);
    EXPECT_TRUE(stopped.startBar);
}

TEST(BatchProgress, AStopBeforeAnyPositionOfANewBatchStillShowsAbort) {
    BatchProgress progress;
    progress.StartBatch();
    // The first batch ends on a stop; the next batch is stopped before any position came.
    EXPECT_EQ(progress.OnReport(End(1, BatchReport::Kind::Stopped), 10).kind, Kind::Abort);
    progress.StartBatch();
    EXPECT_EQ(progress.OnReport(End(1, BatchReport::Kind::Stopped), 10).kind, Kind::Abort);
    // A position equal to the previous batch's last one counts in the new batch.
    progress.OnReport(At(1, 0, 5), 10);
    progress.StartBatch();
    EXPECT_EQ(progress.OnReport(At(1, 0, 5), 10).kind, Kind::Bar);
}
