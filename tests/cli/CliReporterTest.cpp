#include "CliReporter.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tarv;

namespace {

struct Batch {
    Batch(bool live) : reporter(state, out, live) {
        reporter.AddFile({"a.mp4", 100, 0});
        reporter.AddFile({"b.mp4", 0, 5});
        state.entries.resize(10);
    }
    void Report(int entry, int value) {
        state.currentStepType = static_cast<int32_t>(StepTypeOf(entry % 5));
        reporter.OnConvertProgress(entry, value);
    }
    BatchState state;
    std::ostringstream out;
    CliReporter reporter;
};

}  // namespace

TEST(CliReporter, PrintsALinePerStepAndTenPercentWithTheBarsValue) {
    Batch batch(false);
    batch.Report(0, 5);    // 4 %
    batch.Report(0, 8);    // 7 %: same step, same band, nothing printed
    batch.Report(0, 50);   // 45 %
    batch.Report(1, 100);  // raw video at its end: 93 %
    batch.Report(4, kProgressFileDone);
    batch.Report(5, 30);   // unknown length: the step's base value
    batch.state.entries[6].failure = "cannot read\nthe input";
    batch.Report(6, kProgressFailed);
    EXPECT_EQ(batch.out.str(),
              "[1/2] a.mp4: encoding 4%\n"
              "[1/2] a.mp4: encoding 45%\n"
              "[1/2] a.mp4: extracting video 93%\n"
              "[1/2] a.mp4: Done\n"
              "[2/2] b.mp4: encoding 0%\n"
              "[2/2] b.mp4: Failed: cannot read the input\n");
    EXPECT_TRUE(batch.reporter.AnyFailed());
    EXPECT_FALSE(batch.reporter.AnyAborted());
}

TEST(CliReporter, ATerminalSeesThePercentageRewrittenInPlace) {
    Batch batch(true);
    batch.Report(0, 5);
    batch.Report(0, 8);
    batch.Report(0, 8);  // unchanged value: nothing
    batch.Report(1, 0);
    batch.Report(1, kProgressStopped);
    EXPECT_EQ(batch.out.str(),
              "[1/2] a.mp4: encoding 4%\r[1/2] a.mp4: encoding 7%\n"
              "[1/2] a.mp4: extracting video 90%\n"
              "[1/2] a.mp4: Abort\n");
    EXPECT_TRUE(batch.reporter.AnyAborted());
}
