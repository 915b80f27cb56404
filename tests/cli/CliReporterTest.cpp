#include "CliReporter.h"

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace tarv;

namespace {

struct Batch {
    Batch(CliReporter::Style style) : reporter(out, style) {
        reporter.AddFile({"a.mp4", 100, true});
        reporter.AddFile({"b.mp4", 0, true});
    }
    // The report of the integer protocol's entry and value, with the failure's words or the
    // done file's count of damaged frames.
    void Report(int entry, int value, std::string failure = {}, int damagedFrames = 0) {
        BatchReport report;
        report.file = entry / 5;
        report.key = static_cast<uint64_t>(entry / 5);
        report.step = entry % 5;
        report.kind = value == kProgressFileDone  ? BatchReport::Kind::FileDone
                      : value == kProgressFailed  ? BatchReport::Kind::Failed
                      : value == kProgressStopped ? BatchReport::Kind::Stopped
                                                  : BatchReport::Kind::Position;
        report.seconds = value >= 0 ? value : 0;
        report.text = std::move(failure);
        report.damagedFrames = damagedFrames;
        reporter.OnBatchReport(report);
    }
    std::ostringstream out;
    CliReporter reporter;
};

}  // namespace

TEST(CliReporter, PrintsALinePerStepAndTenPercentWithTheBarsValue) {
    Batch batch(CliReporter::Style::Lines);
    batch.Report(0, 5);    // 4 %
    batch.Report(0, 8);    // 7 %: same step, same band, nothing printed
    batch.Report(0, 50);   // 45 %
    batch.Report(1, 100);  // raw video at its end: 93 %
    batch.Report(4, kProgressFileDone);
    batch.Report(5, 30);  // unknown length: the step's base value
    batch.Report(6, kProgressFailed, "cannot read\nthe input");
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
    Batch batch(CliReporter::Style::Live);
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

TEST(CliReporter, FilesConvertingAtOnceKeepTheirOwnStepsAndBands) {
    Batch batch(CliReporter::Style::Lines);
    batch.Report(0, 5);   // a: encoding 4 %
    batch.Report(5, 0);   // b: encoding 0 %
    batch.Report(0, 8);   // a: 7 %, same band as a's last line: nothing
    batch.Report(6, 0);   // b's next step, while a still encodes
    batch.Report(0, 50);  // a: 45 %
    EXPECT_EQ(batch.out.str(),
              "[1/2] a.mp4: encoding 4%\n"
              "[2/2] b.mp4: encoding 0%\n"
              "[2/2] b.mp4: extracting video 90%\n"
              "[1/2] a.mp4: encoding 45%\n");
}

TEST(CliReporter, JsonLinesParseAndEveryFileEndsWithOneStatus) {
    Batch batch(CliReporter::Style::Json);
    batch.reporter.AddFile({"c \"odd\"\nname\xff.mp4"});
    batch.reporter.Probed(0, 2048, 100.0);
    batch.reporter.Probed(1, 0, -1);
    batch.reporter.Fail(2, "no such file");
    batch.Report(0, 50);
    batch.Report(0, 50);  // unchanged: no line
    batch.Report(4, kProgressFileDone);
    batch.Report(5, kProgressFailed, "cannot read\nthe input");
    batch.reporter.Finish();

    std::vector<nlohmann::json> records;
    std::istringstream lines(batch.out.str());
    std::string line;
    while (std::getline(lines, line)) {
        records.push_back(nlohmann::json::parse(line));  // throws, and fails the test, if invalid
    }
    ASSERT_EQ(records.size(), 6u) << batch.out.str();
    EXPECT_EQ(records[0], nlohmann::json::parse(R"({"file":1,"files":3,"source":"a.mp4",
        "event":"probed","bytes":2048,"seconds":100.0,"video_kbps":null,"audio_kbps":null,
        "sample_rate":null})"));
    EXPECT_TRUE(records[1]["seconds"].is_null());
    EXPECT_EQ(records[2]["source"], "c \"odd\"\nname\xef\xbf\xbd.mp4");
    EXPECT_EQ(records[2]["status"], "failed");
    EXPECT_EQ(records[3], nlohmann::json::parse(R"({"file":1,"files":3,"source":"a.mp4",
        "event":"progress","step":"encoding","percent":45})"));
    EXPECT_EQ(records[4]["status"], "done");
    EXPECT_EQ(records[5]["reason"], "cannot read\nthe input");
    // One end per file, and nothing after it.
    std::map<int, int> ends;
    for (size_t i = 0; i < records.size(); ++i) {
        const int file = records[i]["file"];
        EXPECT_EQ(ends.count(file), 0u) << "a record after file " << file << "'s end";
        if (records[i]["event"] == "end")
            ends[file] = static_cast<int>(i);
    }
    EXPECT_EQ(ends.size(), 3u);
}

TEST(CliReporter, DamageSkippedInADoneFileFollowsItsDoneInTextAndIsCountedInJson) {
    Batch lines(CliReporter::Style::Lines);
    lines.Report(4, kProgressFileDone, {}, 12);
    lines.Report(9, kProgressFileDone, {}, 1);
    EXPECT_EQ(lines.out.str(),
              "[1/2] a.mp4: Done (12 damaged frames skipped)\n"
              "[2/2] b.mp4: Done (1 damaged frame skipped)\n");

    Batch json(CliReporter::Style::Json);
    json.Report(4, kProgressFileDone, {}, 12);
    json.Report(9, kProgressFileDone);
    std::istringstream records(json.out.str());
    std::string line;
    std::vector<nlohmann::json> ends;
    while (std::getline(records, line)) {
        ends.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0]["status"], "done");
    EXPECT_EQ(ends[0]["damaged_frames"], 12);
    EXPECT_EQ(ends[1]["damaged_frames"], 0);
}

TEST(CliReporter, TheProbedReportCarriesTheBitratesEachFileIsConvertedWith) {
    CliReporter::Bitrates fitted;
    fitted.videoKbps = 46;
    fitted.audioKbps = 32;
    fitted.sampleRate = 22050;
    fitted.note = "to fit 300 KB: video 46 kbps, audio 32 kbps";

    Batch json(CliReporter::Style::Json);
    json.reporter.Probed(0, 1048576, 30.0, fitted);
    json.reporter.Probed(1, 1048576, 600.0);  // too long to fit: no bitrates
    std::istringstream lines(json.out.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(nlohmann::json::parse(line), nlohmann::json::parse(R"({"file":1,"files":2,
        "source":"a.mp4","event":"probed","bytes":1048576,"seconds":30.0,"video_kbps":46,
        "audio_kbps":32,"sample_rate":22050})"));
    std::getline(lines, line);
    EXPECT_TRUE(nlohmann::json::parse(line)["video_kbps"].is_null());

    Batch text(CliReporter::Style::Lines);
    text.reporter.Probed(0, 1048576, 30.0, fitted);
    text.reporter.Probed(1, 1048576, 30.0);
    EXPECT_EQ(text.out.str(),
              "[1/2] a.mp4: 1.0 MB, 00:00:30; to fit 300 KB: video 46 kbps, audio 32 kbps\n"
              "[2/2] b.mp4: 1.0 MB, 00:00:30\n");
}
