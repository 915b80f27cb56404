// The five steps of one file, for both encoder families, as the program runs them, and the
// 3GPP file they leave checked with ffprobe.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MediaFixtures.h"
#include "ToolCommands.h"

namespace tarv::tools::test {
namespace {

struct Steps {
    std::string base;  // output folder and file title, no extension
    std::string rawExtension;
};

// Runs the five steps; returns the first failing step's stderr, or empty on success.
std::string RunFiveSteps(const std::string& input, const Steps& s, const EncodeChoice& c) {
    const std::string avi = s.base + ".avi";
    const std::string raw = s.base + "." + s.rawExtension;
    const std::vector<std::vector<std::string>> steps = {
        EncodeArgs(input, avi, c),
        RawVideoArgs(avi, raw),
        RawAudioArgs(avi, s.base + ".aac"),
        VideoMuxArgs(raw, c.fps, s.base + ".3gp"),
        AudioMuxArgs(s.base + ".aac", s.base + ".3gp"),
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        const RunResult r = RunProgram(steps[i]);
        if (r.exitCode != 0) {
            return "step " + std::to_string(i) + ": " + r.err;
        }
    }
    return {};
}

// Whether the H.264 stream's picture parameter sets choose CABAC, as the bitstream says.
std::string EntropyCodingFlag(const std::string& file) {
    const RunResult r = RunProgram({"ffmpeg", "-v", "debug", "-i", file, "-map", "0:v", "-c",
                                    "copy", "-bsf:v", "trace_headers", "-f", "null", "-"});
    const std::string key = "entropy_coding_mode_flag";
    const size_t at = r.err.find(key);
    if (at == std::string::npos) {
        return "<missing>";
    }
    const size_t eol = r.err.find('\n', at);
    return r.err.substr(eol - 1, 1);
}

TEST(FiveSteps, XvidGivesA3gp4FileMatchingTheInput) {
    const std::string folder = NewFolder("xvid");
    const Steps steps{folder + "/clip", "m4v"};
    ASSERT_EQ(RunFiveSteps(Fixture("clip.mp4"), steps, {}), "");
    const std::string out = steps.base + ".3gp";
    EXPECT_EQ(Brand(out), "3gp4");
    EXPECT_EQ(StreamCount(out), 2);
    EXPECT_EQ(StreamField(out, "v:0", "codec_name"), "mpeg4");
    EXPECT_EQ(StreamField(out, "v:0", "width"), "176");
    EXPECT_EQ(StreamField(out, "v:0", "height"), "144");
    EXPECT_EQ(StreamField(out, "v:0", "r_frame_rate"), "10/1");
    EXPECT_EQ(PictureTypes(out).find('B'), std::string::npos);
    EXPECT_EQ(StreamField(out, "a:0", "codec_name"), "aac");
    EXPECT_EQ(StreamField(out, "a:0", "profile"), "LC");
    EXPECT_EQ(StreamField(out, "a:0", "sample_rate"), "22050");
    EXPECT_NEAR(StreamSeconds(out, "v:0"), 2.0, 0.1);
    // Without the priming delay moved back the sound would run about 46 ms long.
    EXPECT_EQ(StreamField(out, "a:0", "start_time"), "0.000000");
    EXPECT_NEAR(StreamSeconds(out, "a:0"), 2.0, 0.02);
}

TEST(FiveSteps, X264OriginalSizeGivesA3gp6BaselineFile) {
    const std::string folder = NewFolder("x264");
    const Steps steps{folder + "/clip", "264"};
    EncodeChoice c;
    c.x264 = true;
    c.scale = "";
    c.fps = "15";
    c.sampleRate = "48000";
    c.audioKbps = "96";
    c.videoKbps = "256";
    // A program stream: it starts half a second in, and its sound is MPEG audio.
    ASSERT_EQ(RunFiveSteps(Fixture("clip.mpg"), steps, c), "");
    const std::string out = steps.base + ".3gp";
    EXPECT_EQ(Brand(out), "3gp6");
    EXPECT_EQ(StreamCount(out), 2);
    EXPECT_EQ(StreamField(out, "v:0", "codec_name"), "h264");
    EXPECT_EQ(StreamField(out, "v:0", "profile"), "Constrained Baseline");
    EXPECT_EQ(StreamField(out, "v:0", "level"), "12");
    EXPECT_EQ(EntropyCodingFlag(out), "0");
    EXPECT_EQ(StreamField(out, "v:0", "has_b_frames"), "0");
    EXPECT_EQ(PictureTypes(out).find('B'), std::string::npos);
    EXPECT_EQ(StreamField(out, "v:0", "width"), "160");
    EXPECT_EQ(StreamField(out, "v:0", "height"), "120");
    EXPECT_EQ(StreamField(out, "v:0", "r_frame_rate"), "15/1");
    EXPECT_EQ(StreamField(out, "a:0", "profile"), "LC");
    EXPECT_EQ(StreamField(out, "a:0", "sample_rate"), "48000");
    EXPECT_NEAR(StreamSeconds(out, "v:0"), 2.0, 0.07);
    EXPECT_EQ(StreamField(out, "a:0", "start_time"), "0.000000");
    // The input's MPEG audio frames run a little past its last picture.
    EXPECT_NEAR(StreamSeconds(out, "a:0"), 2.0, 0.04);
}

TEST(FiveSteps, WorkWithSpacesQuotesLettersAndLeadingDashes) {
    const std::string folder = NewFolder("-odd \"names\" \xC3\xA4\xC3\xB6");
    const std::string input = folder + "/-my 'clip' \xE6\x97\xA5\xE6\x9C\xAC.mp4";
    WriteFile(input, ReadFile(Fixture("mute.mp4")));
    const Steps steps{folder + "/-my 'clip' \xE6\x97\xA5\xE6\x9C\xAC", "m4v"};
    ASSERT_EQ(RunFiveSteps(input, steps, {}), "");
    const std::string out = steps.base + ".3gp";
    EXPECT_EQ(StreamCount(out), 2);
    // Input without sound still gets a sound track as long as its picture.
    EXPECT_NEAR(StreamSeconds(out, "a:0"), StreamSeconds(out, "v:0"), 0.02);
}

}  // namespace
}  // namespace tarv::tools::test
