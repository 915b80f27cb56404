#include "ProgressReport.h"

#include <gtest/gtest.h>

#include "ProgressRecords.h"

namespace tarv::tools {
namespace {

using test::RecordPositions;

TEST(ProgressRecord, HasTheShapeTheWorkerReads) {
    ProgressSnapshot s;
    s.positionSeconds = 12.34;
    s.durationSeconds = 123.4;
    s.frames = 123;
    s.elapsedSeconds = 3;
    s.outputBytes = 1 << 20;
    const std::string record = FormatProgressRecord(s);
    EXPECT_EQ(record, "Pos:  12.3s    123f (10%)  41.00fps Trem:   0min   1mb  A-V:0.000 [0:0]\r");
    EXPECT_EQ(RecordPositions(record), std::vector<float>{12.3f});
}

TEST(ProgressRecord, StaysReadableAtTheExtremes) {
    for (const double position : {0.0, 0.04, 99999.9, -3.0}) {
        for (const double duration : {0.0, 1.0, 50000.0}) {
            ProgressSnapshot s;
            s.positionSeconds = position;
            s.durationSeconds = duration;
            s.frames = 3000000;
            const std::string record = FormatProgressRecord(s);
            const std::vector<float> read = RecordPositions(record);
            ASSERT_EQ(read.size(), 1u);
            EXPECT_GE(read[0], 0.0f) << record;
            EXPECT_NE(record.find(duration > 0 && position > duration ? "(100%)" : "%)"),
                      std::string::npos);
        }
    }
}

TEST(ProgressPrinter, PrintsAClosingRecordAndPacesTheRest) {
    // A temporary file rather than a memory stream, which Windows' C runtime lacks.
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        ProgressPrinter printer(out, 10, std::chrono::hours(1));
        for (int i = 0; i < 100; ++i) {
            printer.Update(i * 0.1, i, 0);
        }
        printer.Finish(10, 100, 0);
    }
    std::string text;
    std::rewind(out);
    for (int c; (c = std::fgetc(out)) != EOF;) {
        text += static_cast<char>(c);
    }
    std::fclose(out);
    // With an hour between records only the closing one is printed.
    EXPECT_EQ(RecordPositions(text), std::vector<float>{10.0f});
    EXPECT_NE(text.find("(100%)"), std::string::npos);
}

}  // namespace
}  // namespace tarv::tools

namespace tarv::tools {
namespace {

// The records of one pass of several, paced to print every update.
std::vector<float> PassRecords(int index, int count, double duration) {
    // A temporary file, as above: Windows' C runtime has no memory stream.
    std::FILE* out = std::tmpfile();
    if (!out) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    {
        ProgressPrinter printer(out, duration, index, count, std::chrono::milliseconds(0));
        for (int second = 0; second <= 10; second += 5) {
            printer.Update(second, second * 10, 0);
        }
        printer.Finish(10, 100, 0);
    }
    std::string text;
    std::rewind(out);
    for (int c; (c = std::fgetc(out)) != EOF;) {
        text += static_cast<char>(c);
    }
    std::fclose(out);
    return test::RecordPositions(text);
}

TEST(ProgressPrinter, TwoPassesShareTheInputsLengthOneAfterTheOther) {
    EXPECT_EQ(PassRecords(0, 2, 10), (std::vector<float>{0.0f, 2.5f, 5.0f, 5.0f}));
    EXPECT_EQ(PassRecords(1, 2, 10), (std::vector<float>{5.0f, 7.5f, 10.0f, 10.0f}));
    // One pass is as it always was.
    EXPECT_EQ(PassRecords(0, 1, 10), (std::vector<float>{0.0f, 5.0f, 10.0f, 10.0f}));
}

}  // namespace
}  // namespace tarv::tools
