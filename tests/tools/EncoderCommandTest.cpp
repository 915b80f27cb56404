#include "EncoderCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tarv::tools {
namespace {

const std::vector<std::string> kXvidEncode = {"-af",          "volnorm",
                                              "-srate",       "22050",
                                              "-vf-add",      "scale=176:144,harddup",
                                              "-ofps",        "10",
                                              "-oac",         "faac",
                                              "-faacopts",    "br=32:mpeg=4:object=2",
                                              "-ovc",         "xvid",
                                              "-xvidencopts", "bitrate=100:max_bframes=0",
                                              "/in/clip.mp4", "-o",
                                              "/out/clip.avi"};

const std::vector<std::string> kX264Encode = {
    "-af",          "volnorm",      "-srate",
    "48000",        "-vf-add",      "scale=,harddup",
    "-ofps",        "15",           "-oac",
    "faac",         "-faacopts",    "br=96:mpeg=4:object=2",
    "-ovc",         "x264",         "-ffourcc",
    "H264",         "-x264encopts", "bitrate=256:level_idc=12:nocabac:bframes=0",
    "/in/clip.mpg", "-o",           "/out/clip.avi"};

const auto kNothingExists = [](const std::string&) { return false; };

EncoderJob MustParse(const std::vector<std::string>& args) {
    EncoderJob job;
    const Status s = ParseEncoderCommand(args, kNothingExists, job);
    EXPECT_TRUE(s) << s.Message();
    return job;
}

Status ParseStatus(const std::vector<std::string>& args) {
    EncoderJob job;
    return ParseEncoderCommand(args, kNothingExists, job);
}

std::vector<std::string> Replaced(std::vector<std::string> args, const std::string& from,
                                  const std::string& to) {
    std::replace(args.begin(), args.end(), from, to);
    return args;
}

TEST(EncoderCommand, XvidEncodeLineGivesEveryValue) {
    const EncoderJob job = MustParse(kXvidEncode);
    EXPECT_EQ(job.mode, EncoderMode::kEncode);
    EXPECT_EQ(job.input, "/in/clip.mp4");
    EXPECT_EQ(job.output, "/out/clip.avi");
    const EncodeSettings& e = job.encode;
    EXPECT_EQ(e.family, VideoFamily::kXvid);
    EXPECT_EQ(e.videoKbps, 100);
    EXPECT_EQ(e.audioKbps, 32);
    EXPECT_EQ(e.sampleRate, 22050);
    EXPECT_EQ(e.frameRate, std::make_pair(10, 1));
    EXPECT_EQ(e.scale, std::make_pair(176, 144));
    EXPECT_TRUE(e.normaliseVolume);
}

TEST(EncoderCommand, X264EncodeLineWithEmptyScaleKeepsTheInputSize) {
    const EncoderJob job = MustParse(kX264Encode);
    const EncodeSettings& e = job.encode;
    EXPECT_EQ(e.family, VideoFamily::kX264);
    EXPECT_FALSE(e.scale.has_value());
    EXPECT_EQ(e.levelIdc, 12);
    EXPECT_FALSE(e.cabac);
    EXPECT_EQ(e.bFrames, 0);
    EXPECT_EQ(e.fourcc, "H264");
    EXPECT_EQ(e.videoKbps, 256);
}

TEST(EncoderCommand, OptionOrderDoesNotMatter) {
    // Shuffle the option pairs; the operand stays an operand wherever it lands.
    std::vector<std::vector<std::string>> pairs;
    for (size_t i = 0; i + 1 < kX264Encode.size(); i += 2) {
        if (kX264Encode[i] == "/in/clip.mpg") {
            pairs.push_back({kX264Encode[i]});
            --i;
        } else {
            pairs.push_back({kX264Encode[i], kX264Encode[i + 1]});
        }
    }
    std::mt19937 random(7);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(pairs.begin(), pairs.end(), random);
        std::vector<std::string> args;
        for (const auto& p : pairs) {
            args.insert(args.end(), p.begin(), p.end());
        }
        const EncoderJob job = MustParse(args);
        EXPECT_EQ(job.input, "/in/clip.mpg");
        EXPECT_EQ(job.encode.videoKbps, 256);
        EXPECT_EQ(job.encode.sampleRate, 48000);
    }
}

TEST(EncoderCommand, CopyLinesSelectTheRawSteps) {
    EXPECT_EQ(
        MustParse({"-ovc", "copy", "-nosound", "-of", "rawvideo", "/o/c.avi", "-o", "/o/c.m4v"})
            .mode,
        EncoderMode::kRawVideo);
    const EncoderJob audio = MustParse(
        {"-ovc", "frameno", "-oac", "copy", "-of", "rawaudio", "/o/c.avi", "-o", "/o/c.aac"});
    EXPECT_EQ(audio.mode, EncoderMode::kRawAudio);
    EXPECT_EQ(audio.input, "/o/c.avi");
    EXPECT_EQ(audio.output, "/o/c.aac");
}

TEST(EncoderCommand, UnknownOptionsAndSubOptionsAreNamed) {
    auto expectUsage = [](const std::vector<std::string>& args, const std::string& named) {
        const Status s = ParseStatus(args);
        EXPECT_EQ(s.ExitCode(), kExitUsage) << named;
        EXPECT_NE(s.Message().find(named), std::string::npos) << s.Message();
    };
    std::vector<std::string> withUnknown = kXvidEncode;
    withUnknown.insert(withUnknown.begin(), "-vop");
    expectUsage(withUnknown, "-vop");
    expectUsage(Replaced(kXvidEncode, "bitrate=100:max_bframes=0", "bitrate=100:turbo"), "turbo");
    expectUsage(Replaced(kXvidEncode, "scale=176:144,harddup", "scale=176:144,eq2"), "eq2");
    expectUsage(Replaced(kXvidEncode, "volnorm", "volume"), "volume");
    expectUsage(Replaced(kXvidEncode, "xvid", "lavc"), "lavc");
}

TEST(EncoderCommand, BadValuesAreUsageErrors) {
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"22050", "lots"},
             {"10", "0"},
             {"br=32:mpeg=4:object=2", "br=32:mpeg=4:object=5"},
             {"bitrate=100:max_bframes=0", "bitrate=100:max_bframes=2"},
             {"scale=176:144,harddup", "scale=176,harddup"},
             {"/out/clip.avi", ""},
         }) {
        EXPECT_EQ(ParseStatus(Replaced(kXvidEncode, from, to)).ExitCode(), kExitUsage) << to;
    }
}

TEST(EncoderCommand, InputWithLeadingDashIsReadWhenItExists) {
    std::vector<std::string> args = Replaced(kXvidEncode, "/in/clip.mp4", "-clip.mp4");
    EncoderJob job;
    EXPECT_FALSE(ParseEncoderCommand(args, kNothingExists, job));
    const auto exists = [](const std::string& p) { return p == "-clip.mp4"; };
    ASSERT_TRUE(ParseEncoderCommand(args, exists, job));
    EXPECT_EQ(job.input, "-clip.mp4");
}

}  // namespace
}  // namespace tarv::tools

namespace tarv::tools {
namespace {

TEST(EncoderCommand, ASizeBoundAndOneChannelAreTakenByBothEncoders) {
    std::vector<std::string> xvid =
        Replaced(kXvidEncode, "bitrate=100:max_bframes=0", "bitrate=100:max_bframes=0:size=280000");
    xvid.insert(xvid.begin() + 4, {"-channels", "1"});
    EncoderJob job = MustParse(xvid);
    EXPECT_EQ(job.encode.streamBytes, 280000);
    EXPECT_EQ(job.encode.channels, 1);
    EXPECT_EQ(job.encode.videoKbps, 100);
    job = MustParse(Replaced(kX264Encode, "bitrate=256:level_idc=12:nocabac:bframes=0",
                             "size=1000000:bitrate=256:level_idc=12:nocabac:bframes=0"));
    EXPECT_EQ(job.encode.streamBytes, 1000000);
    EXPECT_EQ(job.encode.channels, 0);
    // Without them: no bound, and the channels as the input has them (two at most).
    EXPECT_EQ(MustParse(kXvidEncode).encode.streamBytes, 0);
}

TEST(EncoderCommand, ABoundOrChannelCountThatMakesNoSenseIsNamed) {
    for (const char* size : {"size=", "size=-5", "size=1k", "size=100"}) {
        const Status s = ParseStatus(
            Replaced(kXvidEncode, "bitrate=100:max_bframes=0", std::string("bitrate=100:") + size));
        EXPECT_FALSE(s) << size;
        EXPECT_NE(s.Message().find("size"), std::string::npos) << s.Message();
    }
    std::vector<std::string> args = kX264Encode;
    args.insert(args.begin(), {"-channels", "6"});
    const Status s = ParseStatus(args);
    EXPECT_FALSE(s);
    EXPECT_NE(s.Message().find("-channels"), std::string::npos) << s.Message();
}

}  // namespace
}  // namespace tarv::tools
