// The identify tool, run as the program runs it, on files ffmpeg makes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MediaFixtures.h"

namespace tarv::tools::test {
namespace {

RunResult Identify(const std::string& file, const RunOptions& options = {}) {
    return RunProgram(
        {ToolPath(3), "-identify", file, "-nosound", "-vc", "dummy", "-vo", "null", "-ao", "dummy"},
        options);
}

// The value of "ID_key=" when its line ends with CR LF, as the program's probe requires.
std::string Value(const std::string& report, const std::string& key) {
    const std::string start = "ID_" + key + "=";
    const size_t at = report.find(start);
    if (at == std::string::npos || (at > 0 && report[at - 1] != '\n')) {
        return "<missing>";
    }
    const size_t end = report.find("\r\n", at);
    if (end == std::string::npos) {
        return "<no CR LF>";
    }
    return report.substr(at + start.size(), end - at - start.size());
}

TEST(IdentifyTool, ReportsLengthWithTwoDecimalsForEveryContainer) {
    for (const char* name :
         {"clip.mp4", "clip.avi", "clip.mpg", "clip.flv", "clip.wmv", "mute.mp4", "sound.m4a"}) {
        const std::string file = Fixture(name);
        ASSERT_FALSE(file.empty()) << name;
        const RunResult r = Identify(file);
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
        const std::string length = Value(r.out, "LENGTH");
        ASSERT_EQ(length.size(), 4u) << name << ": " << length;  // "2.00"
        EXPECT_EQ(length[1], '.');
        EXPECT_NEAR(std::atof(length.c_str()), 2.0, 0.1) << name;
    }
}

TEST(IdentifyTool, ReportsPictureAndSoundFacts) {
    const RunResult r = Identify(Fixture("clip.flv"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Value(r.out, "VIDEO_WIDTH"), "160");
    EXPECT_EQ(Value(r.out, "VIDEO_HEIGHT"), "120");
    EXPECT_EQ(Value(r.out, "VIDEO_FPS"), "25.000");
    EXPECT_EQ(Value(r.out, "VIDEO_CODEC"), "flv1");
    EXPECT_EQ(Value(r.out, "AUDIO_CODEC"), "mp3");
    EXPECT_EQ(Value(r.out, "AUDIO_RATE"), "44100");
    EXPECT_EQ(Value(r.out, "AUDIO_NCH"), "2");
}

TEST(IdentifyTool, ReportsThePhonesTurn) {
    const RunResult r = Identify(Fixture("rotated.mp4"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Value(r.out, "VIDEO_ROTATION"), "90");
}

TEST(IdentifyTool, UnreadableFilesGiveOneLineAndStatusOne) {
    const std::string folder = NewFolder("identify-bad");
    const std::string text = folder + "/notes.mp4";
    WriteFile(text, "These are not pictures.\n");
    const std::string clip = ReadFile(Fixture("clip.mp4"));
    const std::string truncated = folder + "/truncated.mp4";
    WriteFile(truncated, clip.substr(0, clip.size() / 2));
    const std::string empty = folder + "/empty.avi";
    WriteFile(empty, "");
    for (const std::string& file : {folder + "/missing.avi", text, truncated, empty, folder}) {
        const RunResult r = Identify(file);
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_EQ(r.out.find("ID_LENGTH="), std::string::npos) << file;
        ASSERT_FALSE(r.err.empty()) << file;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST(IdentifyTool, ReadsNamesWithSpacesQuotesLettersAndLeadingDash) {
    const std::string folder = NewFolder("identify names");
    const std::string name = "-my \"clip\" \xC3\xBC\xC3\x9F.mp4";
    WriteFile(folder + "/" + name, ReadFile(Fixture("clip.mp4")));
    RunOptions inFolder;
    inFolder.workingFolder = folder;
    for (const RunResult& r : {Identify(folder + "/" + name), Identify(name, inFolder)}) {
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Value(r.out, "LENGTH"), "2.00");
    }
}

TEST(IdentifyTool, UnknownOptionIsAUsageError) {
    const RunResult r = RunProgram({ToolPath(3), "-identify", Fixture("clip.mp4"), "-frames", "1"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("-frames"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tarv::tools::test
