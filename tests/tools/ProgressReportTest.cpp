#include "ProgressReport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#ifdef TARV_HAVE_ENGINE_PARSER
#include "ProgressRecord.h"
#endif

namespace tarv::tools {
namespace {

// The worker's reading of a record: the text from "Pos:" through the first "]", read with
// its scanf format.
struct WorkerReading {
    bool ok = false;
    float position = 0;
    int frames = 0;
    int percent = 0;
};

WorkerReading ReadAsTheWorkerDoes(const std::string& chunk) {
    WorkerReading r;
    const size_t start = chunk.find("Pos:");
    const size_t end = start == std::string::npos ? start : chunk.find(']', start + 1);
    if (end == std::string::npos) {
        return r;
    }
    const std::string record = chunk.substr(start, end - start + 1);
    char word[1024] = {};
    r.ok = std::sscanf(record.c_str(), "Pos:\t%fs\t%df (%d%%)%s", &r.position, &r.frames,
                       &r.percent, word) == 4;
#ifdef TARV_HAVE_ENGINE_PARSER
    const auto engine = tarv::ParseProgressRecord(chunk);
    EXPECT_TRUE(engine.has_value()) << chunk;
    if (engine) {
        EXPECT_FLOAT_EQ(*engine, r.position);
    }
#endif
    return r;
}

TEST(ProgressRecord, HasTheShapeTheWorkerReads) {
    ProgressSnapshot s;
    s.positionSeconds = 12.34;
    s.durationSeconds = 123.4;
    s.frames = 123;
    s.elapsedSeconds = 3;
    s.outputBytes = 1 << 20;
    const std::string record = FormatProgressRecord(s);
    EXPECT_EQ(record, "Pos:  12.3s    123f (10%)  41.00fps Trem:   0min   1mb  A-V:0.000 [0:0]\r");
    const WorkerReading r = ReadAsTheWorkerDoes(record);
    ASSERT_TRUE(r.ok);
    EXPECT_FLOAT_EQ(r.position, 12.3f);
    EXPECT_EQ(r.frames, 123);
    EXPECT_EQ(r.percent, 10);
}

TEST(ProgressRecord, StaysReadableAtTheExtremes) {
    for (const double position : {0.0, 0.04, 99999.9, -3.0}) {
        for (const double duration : {0.0, 1.0, 50000.0}) {
            ProgressSnapshot s;
            s.positionSeconds = position;
            s.durationSeconds = duration;
            s.frames = 3000000;
            const WorkerReading r = ReadAsTheWorkerDoes(FormatProgressRecord(s));
            ASSERT_TRUE(r.ok) << position << " of " << duration;
            EXPECT_GE(r.position, 0.0f);
            EXPECT_GE(r.percent, 0);
            EXPECT_LE(r.percent, 100);
        }
    }
}

TEST(ProgressPrinter, PrintsAClosingRecordAndPacesTheRest) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    ASSERT_NE(out, nullptr);
    {
        ProgressPrinter printer(out, 10, std::chrono::hours(1));
        for (int i = 0; i < 100; ++i) {
            printer.Update(i * 0.1, i, 0);
        }
        printer.Finish(10, 100, 0);
    }
    std::fclose(out);
    const std::string text(buffer, size);
    std::free(buffer);
    // With an hour between records only the closing one is printed.
    EXPECT_EQ(text.find("Pos:"), text.rfind("Pos:"));
    const WorkerReading r = ReadAsTheWorkerDoes(text);
    ASSERT_TRUE(r.ok) << text;
    EXPECT_FLOAT_EQ(r.position, 10.0f);
    EXPECT_EQ(r.percent, 100);
}

}  // namespace
}  // namespace tarv::tools
