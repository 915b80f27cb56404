// Every kind of file the converter promises to read, made by ffmpeg with that kind's own
// codecs, identified and converted through the five steps by the tools of this build: the
// static FFmpeg build must keep every decoder and reader these need.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MediaFixtures.h"
#include "ToolCommands.h"

namespace tarv::tools::test {
namespace {

struct Format {
    const char* file;
    const char* videoCodec;  // as ffprobe names what the file holds
    const char* audioCodec;
    // ffmpeg arguments after the picture and sound inputs; "VIDEO" stands for the first
    // encoder of `encoders` that this ffmpeg has.
    std::vector<std::string> recipe;
    std::vector<std::string> encoders = {};
    const char* sound = "sine=frequency=440:sample_rate=44100:duration=1";
};

const std::vector<Format>& Formats() {
    static const std::vector<Format> formats = {
        {"divx3.avi",
         "msmpeg4v3",
         "mp3",
         {"-c:v", "msmpeg4", "-vtag", "DIV3", "-c:a", "libmp3lame"}},
        {"xvid.avi", "mpeg4", "mp3", {"-c:v", "libxvid", "-vtag", "XVID", "-c:a", "libmp3lame"}},
        {"clip.flv", "flv1", "mp3", {"-c:v", "flv", "-c:a", "libmp3lame"}},
        {"vcd.mpg", "mpeg1video", "mp2", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
        {"dvd.vob", "mpeg2video", "ac3", {"-c:v", "mpeg2video", "-c:a", "ac3", "-f", "vob"}},
        {"clip.mp4", "h264", "aac", {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}},
        {"camera.mov", "mjpeg", "pcm_s16le", {"-c:v", "mjpeg", "-c:a", "pcm_s16le"}},
        // RealAudio's own 14.4 kbit/s codec does not survive ffmpeg's RealMedia writer; AC-3 is
        // what RealMedia calls "dnet".
        {"clip.rm", "rv20", "ac3", {"-c:v", "rv20", "-c:a", "ac3"}},
        {"clip.wmv", "wmv2", "wmav2", {"-c:v", "wmv2", "-c:a", "wmav2"}},
        {"clip.webm",
         "vp9",
         "opus",
         {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-c:a", "libopus"},
         {},
         "sine=frequency=440:sample_rate=48000:duration=1"},
        {"hevc.mkv", "hevc", "ac3", {"-c:v", "VIDEO", "-c:a", "ac3"}, {"libx265"}},
        {"av1.mp4",
         "av1",
         "aac",
         {"-c:v", "VIDEO", "-c:a", "aac"},
         {"libaom-av1", "libsvtav1", "librav1e"}},
    };
    return formats;
}

std::string FirstEncoder(const std::vector<std::string>& candidates) {
    static const std::string listed = RunProgram({"ffmpeg", "-hide_banner", "-encoders"}).out;
    for (const std::string& name : candidates) {
        if (listed.find(" " + name + " ") != std::string::npos) {
            return name;
        }
    }
    return {};
}

// The fastest settings of the slow modern encoders: a second of 160x120 is all a clip needs.
std::vector<std::string> FastSettings(const std::string& encoder) {
    if (encoder == "libx265") {
        return {"-preset", "ultrafast", "-x265-params", "log-level=error"};
    }
    if (encoder == "libaom-av1") {
        return {"-cpu-used", "8", "-usage", "realtime"};
    }
    if (encoder == "libsvtav1") {
        return {"-preset", "12"};
    }
    if (encoder == "librav1e") {
        return {"-speed", "10"};
    }
    return {};
}

// Makes the format's one-second clip; empty when it cannot.
std::string MakeClip(const Format& f, const std::string& folder) {
    std::vector<std::string> args = {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1",
                                     "-f", "lavfi", "-i", f.sound};
    for (const std::string& arg : f.recipe) {
        if (arg == "VIDEO") {
            const std::string encoder = FirstEncoder(f.encoders);
            args.push_back(encoder);
            for (const std::string& setting : FastSettings(encoder)) {
                args.push_back(setting);
            }
        } else {
            args.push_back(arg);
        }
    }
    const std::string path = folder + "/" + f.file;
    args.push_back(path);
    return Ffmpeg(args) ? path : std::string();
}

std::string IdentifiedLength(const std::string& file) {
    const RunResult r = RunProgram({ToolPath(3), "-identify", file, "-nosound", "-vc", "dummy",
                                    "-vo", "null", "-ao", "dummy"});
    const std::string key = "\nID_LENGTH=";
    const size_t at = r.out.find(key);
    if (r.exitCode != 0 || at == std::string::npos) {
        return "<none>";
    }
    const size_t start = at + key.size();
    return r.out.substr(start, r.out.find('\r', start) - start);
}

// The five steps with the program's start selections; the first failing step's words, or
// empty.
std::string Convert(const std::string& input, const std::string& base) {
    const EncodeChoice choice;
    const std::vector<std::vector<std::string>> steps = {
        EncodeArgs(input, base + ".avi", choice),
        RawVideoArgs(base + ".avi", base + ".m4v"),
        RawAudioArgs(base + ".avi", base + ".aac"),
        VideoMuxArgs(base + ".m4v", choice.fps, base + ".3gp"),
        AudioMuxArgs(base + ".aac", base + ".3gp"),
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        const RunResult r = RunProgram(steps[i]);
        if (r.exitCode != 0) {
            return "step " + std::to_string(i + 1) + ": " + r.err;
        }
    }
    return {};
}

class EveryFormat : public testing::TestWithParam<Format> {};

TEST_P(EveryFormat, IsIdentifiedAndConvertedWhole) {
    const Format& f = GetParam();
    if (!f.encoders.empty() && FirstEncoder(f.encoders).empty()) {
        GTEST_SKIP() << "this ffmpeg cannot make " << f.file;
    }
    const std::string folder = NewFolder(f.file);
    const std::string clip = MakeClip(f, folder);
    ASSERT_FALSE(clip.empty()) << "ffmpeg could not make " << f.file;
    // The clip holds what it stands for, or the conversion below proves nothing.
    ASSERT_EQ(StreamField(clip, "v:0", "codec_name"), f.videoCodec);
    ASSERT_EQ(StreamField(clip, "a:0", "codec_name"), f.audioCodec);

    EXPECT_NEAR(std::atof(IdentifiedLength(clip).c_str()), 1.0, 0.1);
    const std::string base = folder + "/out";
    ASSERT_EQ(Convert(clip, base), "");
    const std::string out = base + ".3gp";
    EXPECT_EQ(StreamCount(out), 2);
    EXPECT_EQ(StreamField(out, "v:0", "codec_name"), "mpeg4");
    EXPECT_EQ(StreamField(out, "a:0", "codec_name"), "aac");
    EXPECT_NEAR(StreamSeconds(out, "v:0"), 1.0, 0.15);
    EXPECT_NEAR(StreamSeconds(out, "a:0"), 1.0, 0.15);
}

std::string FormatName(const testing::TestParamInfo<Format>& info) {
    std::string name = info.param.file;
    for (char& c : name) {
        if (c == '.') {
            c = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Tools, EveryFormat, testing::ValuesIn(Formats()), FormatName);

}  // namespace
}  // namespace tarv::tools::test
