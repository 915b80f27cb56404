#include "ConvertWorker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "FakeTools.h"

using namespace tarv;
using Report = RecordingSink::Report;

namespace {

class ConvertWorkerTest : public ::testing::Test {
protected:
    ConvertWorkerTest() : sink(state) {
        state.options = StartSelections();
        state.programFolder = tools.Folder();
    }

    std::string AddFile(const std::string& name) {
        const std::string source = input.Touch(name, "not really a video");
        state.AddFile(source, output.Path());
        return source;
    }

    void RunBatch() {
        ConvertWorker worker(state, sink);
        ASSERT_TRUE(worker.Start());
        worker.Wait();
        EXPECT_FALSE(state.busy);
    }

    std::vector<int> ValuesOf(int entry) const {
        std::vector<int> values;
        for (const Report& r : sink.Reports()) {
            if (r.entry == entry)
                values.push_back(r.value);
        }
        return values;
    }

    bool OutputHas(const std::string& name) const {
        return std::filesystem::exists(output.Path() + name);
    }

    std::vector<std::string> OutputEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(output.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    FakeTools tools;
    TempFolder input;
    TempFolder output;
    BatchState state;
    RecordingSink sink;
};

}  // namespace

TEST_F(ConvertWorkerTest, TwoFilesRunTenStepsAndEachReportNamesItsEntryAndStep) {
    tools.Script("default",
                 "touch\nwrite Pos:  3.4s   10f (5%) 1fps Trem: 0min 0mb A-V:0.000 [0:0]\\r\n");
    AddFile("one.mp4");
    AddFile("two.mp4");
    RunBatch();

    std::vector<Report> expected;
    for (int k = 0; k < 10; ++k) {
        expected.push_back({k, 3, StepTypeOf(k % 5)});
        if (k % 5 == 4)
            expected.push_back({k, kProgressFileDone, StepType::AudioMux});
    }
    EXPECT_EQ(sink.Reports(), expected);

    const auto calls = tools.Calls();
    ASSERT_EQ(calls.size(), 10u);
    const std::string base = output.Path() + "two";
    EXPECT_EQ(calls[5].back(), base + ".avi");
    EXPECT_EQ(calls[6], BuildStepCommand(1, tools.Folder(), "", base, state.options).arguments);
    EXPECT_EQ(calls[9][0], tools.Folder() + "tarv.patch5");
    // The intermediates went, the result stayed.
    EXPECT_TRUE(OutputHas("one.3gp"));
    EXPECT_TRUE(OutputHas("two.3gp"));
    for (const char* gone : {"one.avi", "one.m4v", "one.aac", "two.avi", "two.m4v", "two.aac"}) {
        EXPECT_FALSE(OutputHas(gone)) << gone;
    }
}

TEST_F(ConvertWorkerTest, ARecordSplitAcrossReadsIsDroppedAndTheNextOneUsed) {
    tools.Script("0",
                 "write Pos:  5.0s   1f (1%) 1fps \n"
                 "write Trem: 0min [0:0]\\r\n"
                 "write Pos:  7.9s   2f (2%) 1fps Trem: 0min [0:0]\\r\n");
    AddFile("clip.mp4");
    RunBatch();
    EXPECT_EQ(ValuesOf(0), std::vector<int>{7});
}

TEST_F(ConvertWorkerTest, OnlyTheBytesReadAreSearched) {
    // A full 1024-byte read holding a record at its very end, then a short read whose record
    // lacks its "]": stale bytes of the first read must not complete it.
    tools.Script("0",
                 "fill 1024 Pos: 1.0s 1f (1%) ]\n"
                 "write Pos: 2.0s 1f (1%)\n"
                 "write Pos: ??? [0:0]\\r\n");
    AddFile("clip.mp4");
    RunBatch();
    // The unparsable record repeats the last position.
    EXPECT_EQ(ValuesOf(0), (std::vector<int>{1, 1}));
}

TEST_F(ConvertWorkerTest, StopDuringTheSecondFilesEncodeKeepsItsIntermediates) {
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\n");
    tools.Script("5", "pid\ntouch\nwrite Pos: 2.0s 1f (1%) [0:0]\\r\nsleep 60000\n");
    AddFile("one.mp4");
    AddFile("two.mp4");
    AddFile("three.mp4");

    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(sink.WaitForEntry(5));
    worker.RequestStop();
    worker.Wait();

    EXPECT_FALSE(state.busy);
    EXPECT_EQ(ValuesOf(4), (std::vector<int>{1, kProgressFileDone}));
    EXPECT_EQ(ValuesOf(5), (std::vector<int>{2, kProgressStopped}));
    EXPECT_EQ(tools.Calls().size(), 6u);
    EXPECT_FALSE(tools.RunIsAlive(5));
    // The finished file and the stopped one's work stay; the names are let go.
    EXPECT_EQ(OutputEntries(), (std::vector<std::string>{"one.3gp", "two.avi"}));
}

TEST_F(ConvertWorkerTest, StopReachesAToolThatIgnoresTerminationAndPrintsNothing) {
    tools.Script("0", "pid\nignore-term\nsleep 60000\n");
    AddFile("clip.mp4");
    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    usleep(300000);
    worker.StopAndWait();
    EXPECT_FALSE(state.busy);
    EXPECT_FALSE(tools.RunIsAlive(0));
    EXPECT_EQ(ValuesOf(0), std::vector<int>{kProgressStopped});
}

TEST_F(ConvertWorkerTest, AFailingStepSkipsTheRestOfItsFileAndCleansUp) {
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\n");
    tools.Script(
        "1",
        "write Pos: 0.0s 1f (0%) [0:0]\\r\nwrite error: no video stream in input\\n\nexit 3\n");
    AddFile("one.mp4");
    AddFile("two.mp4");
    RunBatch();

    EXPECT_EQ(ValuesOf(1), (std::vector<int>{0, kProgressFailed}));
    EXPECT_EQ(sink.FailureOf(1), "error: no video stream in input");
    for (int k : {2, 3, 4}) {
        EXPECT_TRUE(ValuesOf(k).empty()) << k;
    }
    EXPECT_EQ(ValuesOf(9), (std::vector<int>{1, kProgressFileDone}));
    EXPECT_EQ(tools.Calls().size(), 7u);
    // The encode step's file went with the failure; nothing else of the file is left.
    EXPECT_EQ(OutputEntries(), std::vector<std::string>{"two.3gp"});
}

TEST_F(ConvertWorkerTest, AFileThatAppearsAtANameTheBatchHoldsIsNeitherUsedNorRemoved) {
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\n");
    AddFile("clip.mp4");
    // While the encode step runs, someone puts a file where the result will go.
    sink.onReport = [&](int entry, int value) {
        if (entry == 0 && value >= 0)
            output.Touch("clip.3gp", "the user's own video");
    };
    RunBatch();

    EXPECT_EQ(ValuesOf(1), std::vector<int>{kProgressFailed});
    EXPECT_EQ(sink.FailureOf(1),
              "another program put a file at " + output.Path() + "clip.3gp; it was left as it is");
    EXPECT_EQ(tools.Calls().size(), 1u);
    EXPECT_EQ(OutputEntries(), std::vector<std::string>{"clip.3gp"});
    std::ifstream kept(output.Path() + "clip.3gp");
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "the user's own video");
}

TEST_F(ConvertWorkerTest, AFailureWithoutWordsIsDescribedByItsExitStatus) {
    tools.Script("default", "exit 2\n");
    AddFile("clip.mp4");
    RunBatch();
    EXPECT_EQ(ValuesOf(0), std::vector<int>{kProgressFailed});
    EXPECT_EQ(sink.FailureOf(0), "tarv.patch4 ended with exit status 2");
}

TEST_F(ConvertWorkerTest, AToolThatCannotStartFailsEachFileAndTheBatchGoesOn) {
    state.programFolder = output.Path() + "nowhere/";
    AddFile("one.mp4");
    AddFile("two.mp4");
    RunBatch();
    EXPECT_EQ(sink.Reports(), (std::vector<Report>{{0, kProgressFailed, StepType::Encode},
                                                   {5, kProgressFailed, StepType::Encode}}));
    EXPECT_NE(sink.FailureOf(5).find("cannot start"), std::string::npos);
}

TEST_F(ConvertWorkerTest, AnEmptyBatchRunsNothingAndEnds) {
    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    worker.Wait();
    EXPECT_FALSE(state.busy);
    EXPECT_TRUE(sink.Reports().empty());
    EXPECT_TRUE(tools.Calls().empty());
    // The end is announced once, with the state already free for the next batch.
    EXPECT_EQ(sink.Endings(), 1);
    EXPECT_FALSE(sink.BusyAtEnd());
}

TEST_F(ConvertWorkerTest, ASecondBatchCannotStartWhileTheFirstRuns) {
    tools.Script("default", "sleep 500\n");
    AddFile("clip.mp4");
    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    // Busy from the moment Start returns (an empty batch may already have ended by then).
    EXPECT_TRUE(state.busy);
    EXPECT_FALSE(worker.Start());
    worker.StopAndWait();
    EXPECT_TRUE(worker.Start());  // the state is free again once the worker has finished
    worker.StopAndWait();
}

TEST_F(ConvertWorkerTest, ExistingOutputMovesTheWholeFileToASuffixedName) {
    tools.Script("default", "touch\n");
    AddFile("clip.mp4");
    output.Touch("clip.3gp", "an earlier result");
    output.Touch("clip.avi", "the user's own video");
    RunBatch();

    const auto calls = tools.Calls();
    ASSERT_EQ(calls.size(), 5u);
    const std::string renamed = calls[0].back();
    ASSERT_NE(renamed, output.Path() + "clip.avi");
    const std::string base = renamed.substr(0, renamed.size() - 4);
    EXPECT_EQ(base.rfind(output.Path() + "clip_", 0), 0u);
    EXPECT_EQ(calls[4].back(), base + ".3gp");
    EXPECT_EQ(state.files[0].baseName, base);
    std::ifstream original(output.Path() + "clip.avi");
    std::string text;
    std::getline(original, text);
    EXPECT_EQ(text, "the user's own video");
}

TEST_F(ConvertWorkerTest, TwoJobsConvertTwoFilesAtOnceEachInStepOrder) {
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\nsleep 100\n");
    AddFile("one.mp4");
    AddFile("two.mp4");
    AddFile("three.mp4");
    state.jobs = 2;
    RunBatch();

    const auto reports = sink.Reports();
    std::map<int, std::vector<Report>> byFile;
    for (const Report& r : reports) {
        // Whatever the other file runs, each report comes with its own entry's step.
        EXPECT_EQ(r.step, StepTypeOf(r.entry % 5)) << r.entry;
        byFile[r.entry / 5].push_back(r);
    }
    for (const auto& [file, steps] : byFile) {
        std::vector<int> entries;
        for (const Report& r : steps)
            entries.push_back(r.entry);
        EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end())) << file;
        EXPECT_EQ(steps.back().value, kProgressFileDone) << file;
    }
    // The second file started before the first had ended.
    const auto firstOfTwo = std::find_if(reports.begin(), reports.end(),
                                         [](const Report& r) { return r.entry / 5 == 1; });
    const auto endOfOne =
        std::find(reports.begin(), reports.end(), Report{4, kProgressFileDone, StepType::AudioMux});
    EXPECT_LT(firstOfTwo, endOfOne);
    EXPECT_EQ(OutputEntries(), (std::vector<std::string>{"one.3gp", "three.3gp", "two.3gp"}));
}

TEST_F(ConvertWorkerTest, StopDuringTheLastStepsLeavesNoResultButKeepsTheIntermediates) {
    // The video track is in the result when the audio step is stopped: a file that looks
    // finished and is not.
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\n");
    tools.Script("4", "pid\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\nsleep 60000\n");
    AddFile("clip.mp4");
    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(sink.WaitForEntry(4));
    worker.RequestStop();
    worker.Wait();

    EXPECT_EQ(ValuesOf(4), (std::vector<int>{1, kProgressStopped}));
    EXPECT_EQ(OutputEntries(), (std::vector<std::string>{"clip.aac", "clip.avi", "clip.m4v"}));
}

TEST_F(ConvertWorkerTest, AStopBetweenTwoStepsEndsTheFileAsStopped) {
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\n");
    // The video track's tool has said all it will say when the stop comes, and ends well.
    tools.Script("3", "touch\nclose-output\npid\nsleep 300\n");
    AddFile("clip.mp4");
    ConvertWorker worker(state, sink);
    ASSERT_TRUE(worker.Start());
    for (int i = 0; i < 1000 && !std::filesystem::exists(tools.Folder() + "pid.3"); ++i) {
        usleep(10000);
    }
    state.stop = true;
    worker.Wait();
    EXPECT_EQ(ValuesOf(4), std::vector<int>{kProgressStopped});
    EXPECT_EQ(tools.Calls().size(), 4u);
    EXPECT_EQ(OutputEntries(), (std::vector<std::string>{"clip.aac", "clip.avi", "clip.m4v"}));
}

TEST_F(ConvertWorkerTest, AWithdrawnFileIsSkippedAndOneThatStartedCannotBeWithdrawn) {
    tools.Script("default", "touch\n");
    tools.Script("0", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\nsleep 300\n");
    state.AddFile(input.Touch("one.mp4", "x"), output.Path(), 11);
    state.AddFile(input.Touch("two.mp4", "x"), output.Path(), 22);
    state.AddFile(input.Touch("three.mp4", "x"), output.Path(), 33);
    bool withdrawnRunning = true, withdrawnWaiting = false;
    sink.onReport = [&](int entry, int) {
        if (entry == 0) {
            withdrawnRunning = state.Withdraw(11);
            withdrawnWaiting = state.Withdraw(22);
        }
    };
    RunBatch();
    EXPECT_FALSE(withdrawnRunning);
    EXPECT_TRUE(withdrawnWaiting);
    EXPECT_EQ(OutputEntries(), (std::vector<std::string>{"one.3gp", "three.3gp"}));
    for (const BatchReport& report : sink.FullReports()) {
        EXPECT_NE(report.key, 22u);
        EXPECT_EQ(report.key, report.file == 0 ? 11u : 33u);
    }
    EXPECT_FALSE(state.Withdraw(44));
}

TEST_F(ConvertWorkerTest, EveryReportAndEndCarriesItsBatchsTicketAndTheClaimedResult) {
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\n");
    AddFile("clip.mp4");
    output.Touch("clip.3gp", "an earlier result");
    RunBatch();
    state.files.clear();
    AddFile("other.mp4");
    RunBatch();

    const auto reports = sink.FullReports();
    ASSERT_EQ(reports.size(), 12u);
    const uint64_t first = reports.front().batch;
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].batch, i < 6 ? first : first + 1) << i;
    }
    EXPECT_EQ(sink.EndedBatches(), (std::vector<uint64_t>{first, first + 1}));
    // The result's name as claimed, suffix and all.
    EXPECT_EQ(reports[5].output.rfind(output.Path() + "clip_", 0), 0u) << reports[5].output;
    EXPECT_EQ(reports[11].output, output.Path() + "other.3gp");
}

TEST_F(ConvertWorkerTest, TheEncodersCountOfSkippedDamageEndsUpInItsFilesDoneReport) {
    tools.Script("default", "touch\nwrite Pos: 1.0s 1f (1%) [0:0]\\r\n");
    // The count arrives in two reads, after the last record.
    tools.Script("0",
                 "touch\nwrite Pos: 6.0s 60f (100%) [0:0]\\r\\n1\nwrite 2 damaged frames "
                 "skipped\\n\n");
    // Only the encode step reads the source: a copy step's words about damage do not count.
    tools.Script("6", "touch\nwrite 3 damaged frames skipped\\n\n");
    AddFile("damaged.avi");
    AddFile("whole.avi");
    RunBatch();

    std::map<int, int> damaged;  // file -> count in its done report
    for (const BatchReport& r : sink.FullReports()) {
        if (r.kind == BatchReport::Kind::FileDone) {
            damaged[r.file] = r.damagedFrames;
        } else {
            EXPECT_EQ(r.damagedFrames, 0) << "entry " << r.Entry();
        }
    }
    EXPECT_EQ(damaged, (std::map<int, int>{{0, 12}, {1, 0}}));
}

TEST_F(ConvertWorkerTest, UnderASizeLimitATooLongFileFailsBeforeAnyToolAndTheRestConvert) {
    tools.Script("default", "touch\n");
    state.sizeLimit = 300 * 1024;
    const std::string longOne = input.Touch("long.mp4", "x");
    const std::string shortOne = input.Touch("short.mp4", "x");
    state.AddFile(longOne, output.Path(), 0, 600);
    state.AddFile(shortOne, output.Path(), 1, 30);
    RunBatch();

    const SizePlan tooLong = PlanForSize(state.options, state.sizeLimit, 600);
    EXPECT_EQ(ValuesOf(0), std::vector<int>{kProgressFailed});
    EXPECT_EQ(sink.FailureOf(0), "Too long for 300 KB: at most " +
                                     LengthText(tooLong.longestSeconds) +
                                     " fits at the lowest quality.");
    // Nothing ran for it and no name was taken; the next file went on, its encode step bound
    // to the plan and the other steps as ever.
    const auto calls = tools.Calls();
    ASSERT_EQ(calls.size(), 5u);
    const SizePlan plan = PlanForSize(state.options, state.sizeLimit, 30);
    const std::string base = output.Path() + "short";
    EXPECT_EQ(calls[0],
              BuildStepCommand(0, tools.Folder(), shortOne, base, state.options, &plan).arguments);
    EXPECT_NE(std::find(calls[0].begin(), calls[0].end(),
                        "bitrate=100:max_bframes=0:size=" + std::to_string(plan.streamBytes)),
              calls[0].end());
    for (int step = 1; step < kStepsPerFile; ++step) {
        EXPECT_EQ(calls[step],
                  BuildStepCommand(step, tools.Folder(), shortOne, base, state.options).arguments);
    }
    EXPECT_EQ(ValuesOf(9), std::vector<int>{kProgressFileDone});
    EXPECT_EQ(OutputEntries(), std::vector<std::string>{"short.3gp"});
}

TEST_F(ConvertWorkerTest, UnderASizeLimitAFileOfUnknownLengthFailsWithItsReason) {
    state.sizeLimit = 1024 * 1024;
    state.AddFile(input.Touch("stream.ts", "x"), output.Path(), 0, -1);
    RunBatch();
    EXPECT_EQ(ValuesOf(0), std::vector<int>{kProgressFailed});
    EXPECT_EQ(sink.FailureOf(0),
              "Its playing time is unknown, so no bitrates can be chosen to fit 1 MB.");
    EXPECT_TRUE(tools.Calls().empty());
}
