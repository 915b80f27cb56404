// The five steps of one file, for both encoder families, as the program runs them, and the
// 3GPP file they leave checked with ffprobe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

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

// The four-character types of the file's top-level boxes, in order.
std::vector<std::string> TopLevelBoxes(const std::string& file) {
    const std::string bytes = ReadFile(file);
    std::vector<std::string> types;
    size_t at = 0;
    while (at + 8 <= bytes.size()) {
        uint64_t size = 0;
        for (int i = 0; i < 4; ++i) {
            size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        types.push_back(bytes.substr(at + 4, 4));
        if (size < 8) {
            break;  // a box to the end of the file, or a 64-bit size: not written here
        }
        at += size;
    }
    return types;
}

bool IndexComesFirst(const std::string& file) {
    const std::vector<std::string> boxes = TopLevelBoxes(file);
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    return moov != boxes.end() && std::find(boxes.begin(), moov, "mdat") == moov &&
           std::find(moov, boxes.end(), "mdat") != boxes.end();
}

// How many times the H.264 sequence parameter set appears in the file's video track, its
// sample description included.
int SequenceParameterSets(const std::string& file) {
    const RunResult r = RunProgram({"ffmpeg", "-v", "debug", "-i", file, "-map", "0:v", "-c",
                                    "copy", "-bsf:v", "trace_headers", "-f", "null", "-"});
    int count = 0;
    for (size_t at = r.err.find("Sequence Parameter Set"); at != std::string::npos;
         at = r.err.find("Sequence Parameter Set", at + 1)) {
        ++count;
    }
    return count;
}

// How many MPEG-4 sequence headers the video samples themselves carry.
int SequenceHeadersInSamples(const std::string& file) {
    const std::string samples = RunProgram({"ffmpeg", "-v", "error", "-i", file, "-map", "0:v",
                                            "-c", "copy", "-f", "rawvideo", "-"})
                                    .out;
    const std::string start("\0\0\1\xB0", 4);
    int count = 0;
    for (size_t at = samples.find(start); at != std::string::npos;
         at = samples.find(start, at + 1)) {
        ++count;
    }
    return count;
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
    // Playable while it downloads; the stream headers once, in the sample description.
    EXPECT_TRUE(IndexComesFirst(out));
    EXPECT_EQ(SequenceHeadersInSamples(out), 0);
    EXPECT_EQ(StreamField(out, "v:0", "level"), "2");
    EXPECT_NEAR(DisplayAspect(out), 4 / 3.0, 0.02);
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
    EXPECT_EQ(SequenceParameterSets(out), 1);
    EXPECT_TRUE(IndexComesFirst(out));
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

TEST(FiveSteps, SoundIsSteadyFromTheFirstSecondToTheLast) {
    const std::string folder = NewFolder("steady");
    const Steps steps{folder + "/tone", "m4v"};
    ASSERT_EQ(RunFiveSteps(Fixture("tone.mp4"), steps, {}), "");
    const DecodedSound sound = DecodeSound(steps.base + ".3gp");
    ASSERT_GT(sound.sampleRate, 0);
    // The loudness of every 100 ms of the picture's six seconds: fine enough to see the AAC
    // encoder finding its footing as well as the normaliser fading in and out.
    const size_t window = static_cast<size_t>(sound.sampleRate / 10) * sound.channels;
    std::vector<double> levels;
    for (size_t at = 0; at + window <= sound.samples.size() && levels.size() < 60; at += window) {
        double sum = 0;
        for (size_t i = at; i < at + window; ++i) {
            sum += static_cast<double>(sound.samples[i]) * sound.samples[i];
        }
        levels.push_back(10 * std::log10(sum / window + 1e-12));
    }
    ASSERT_EQ(levels.size(), 60u);
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const double middle = sorted[sorted.size() / 2];
    for (size_t i = 0; i < levels.size(); ++i) {
        EXPECT_NEAR(levels[i], middle, 1.0) << "at " << i * 100 << " ms";
    }
    // Evened out, not left as it was.
    EXPECT_GT(middle, -21.0 + 3);
}

TEST(FiveSteps, SoundEndsWithThePicture) {
    const std::string folder = NewFolder("sound ends");
    const Steps steps{folder + "/clip", "m4v"};
    ASSERT_EQ(RunFiveSteps(Fixture("long-sound.mp4"), steps, {}), "");
    const std::string out = steps.base + ".3gp";
    EXPECT_NEAR(StreamSeconds(out, "v:0"), 2.0, 0.001);
    EXPECT_LE(StreamSeconds(out, "a:0"), StreamSeconds(out, "v:0") + 1 / 22050.0 + 1e-6);
    EXPECT_GE(StreamSeconds(out, "a:0"), StreamSeconds(out, "v:0") - 1 / 22050.0 - 1e-6);
}

TEST(FiveSteps, SoundWellPastThePictureIsKeptUnderItsLastPicture) {
    // Two seconds of sound after the picture ends: cut off with the picture, they were lost.
    const std::string folder = NewFolder("sound goes on");
    for (const bool x264 : {false, true}) {
        SCOPED_TRACE(x264 ? "x264" : "Xvid");
        const Steps steps{folder + (x264 ? "/avc" : "/xvid"), x264 ? "264" : "m4v"};
        EncodeChoice c;
        c.x264 = x264;
        ASSERT_EQ(RunFiveSteps(Fixture("longer-sound.mp4"), steps, c), "");
        const std::string out = steps.base + ".3gp";
        EXPECT_NEAR(StreamSeconds(out, "v:0"), 4.0, 0.1);
        EXPECT_NEAR(StreamSeconds(out, "a:0"), 4.0, 0.05);
        // The tone goes on to the end, at the level it had while the picture ran.
        const DecodedSound sound = DecodeSound(out);
        ASSERT_GT(sound.sampleRate, 0);
        EXPECT_NEAR(RmsDb(sound, 3.0, 3.9), RmsDb(sound, 1.0, 1.9), 1.0);
    }
}

TEST(FiveSteps, AChosenSizeKeepsTheSourcesDisplayShape) {
    struct Case {
        const char* fixture;
        double shape;
    };
    // Square-pixelled 4:3, an anamorphic 16:9 DVD frame, and two phone clips turned upright:
    // one scaled down before it is turned, one turned before it is scaled up.
    const Case cases[] = {{"clip.mp4", 4 / 3.0},
                          {"wide.mp4", 16 / 9.0},
                          {"upright.mp4", 9 / 16.0},
                          {"rotated.mp4", 3 / 4.0}};
    for (const Case& k : cases) {
        const std::string folder = NewFolder("shape");
        const Steps steps{folder + "/clip", "264"};
        EncodeChoice c;
        c.x264 = true;
        ASSERT_EQ(RunFiveSteps(Fixture(k.fixture), steps, c), "") << k.fixture;
        const std::string out = steps.base + ".3gp";
        EXPECT_EQ(StreamField(out, "v:0", "width"), "176") << k.fixture;
        EXPECT_EQ(StreamField(out, "v:0", "height"), "144") << k.fixture;
        EXPECT_NEAR(DisplayAspect(out) / k.shape, 1.0, 0.02) << k.fixture;
    }
}

// The display width and height of the file's video track header, as a player that sizes the
// picture from the track header alone shows it; {0, 0} when there is none.
std::pair<double, double> TrackHeaderSize(const std::string& file) {
    const std::string bytes = ReadFile(file);
    auto fixed = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        return v / 65536.0;
    };
    for (size_t at = bytes.find("tkhd"); at != std::string::npos; at = bytes.find("tkhd", at + 1)) {
        // Type, version and flags, times, id and duration (longer in version 1), reserved,
        // layer, group, volume, reserved, matrix: then width and height in 16.16.
        const size_t size = at + (bytes[at + 4] == 0 ? 80 : 92);
        if (size + 8 <= bytes.size() && fixed(size) > 0) {
            return {fixed(size), fixed(size + 4)};
        }
    }
    return {0, 0};
}

TEST(FiveSteps, TheTrackHeaderCarriesTheDisplayShapeInBothFormats) {
    // 176x144 shown as 16:9 is 256 wide; an upright 9:16 phone clip is 81 wide.
    struct Case {
        const char* fixture;
        double width;
    };
    for (const Case& k : {Case{"wide.mp4", 256}, Case{"upright.mp4", 81}}) {
        for (const bool x264 : {false, true}) {
            const Steps steps{NewFolder("track header") + "/clip", x264 ? "264" : "m4v"};
            EncodeChoice c;
            c.x264 = x264;
            ASSERT_EQ(RunFiveSteps(Fixture(k.fixture), steps, c), "") << k.fixture;
            const auto [width, height] = TrackHeaderSize(steps.base + ".3gp");
            EXPECT_NEAR(width, k.width, 1.0) << k.fixture << (x264 ? " x264" : " xvid");
            EXPECT_EQ(height, 144) << k.fixture;
        }
    }
}

TEST(FiveSteps, OneFrameWithAFewHundredthsOfSoundConvertsInBothFormats) {
    // An ADTS track of one or two frames, too short for its kind to be guessed.
    for (const bool x264 : {false, true}) {
        const Steps steps{NewFolder("one frame") + "/clip", x264 ? "264" : "m4v"};
        EncodeChoice c;
        c.x264 = x264;
        ASSERT_EQ(RunFiveSteps(Fixture("short-sound.mp4"), steps, c), "") << x264;
        const std::string out = steps.base + ".3gp";
        EXPECT_EQ(StreamCount(out), 2) << x264;
        EXPECT_EQ(StreamField(out, "v:0", "nb_frames"), "1") << x264;
        EXPECT_GT(StreamSeconds(out, "a:0"), 0.0) << x264;
    }
}

// The program's two format presets: Xvid at 10 fps and 100 kbit/s with 32 kbit/s sound at
// 22.05 kHz, and H.264 at 15 fps and 256 kbit/s with 96 kbit/s sound at 48 kHz.
EncodeChoice Preset(bool x264) {
    EncodeChoice c;
    c.x264 = x264;
    if (x264) {
        c.fps = "15";
        c.videoKbps = "256";
        c.sampleRate = "48000";
        c.audioKbps = "96";
    }
    return c;
}

TEST(FiveSteps, SoundIsLoudAndItsTruePeaksStayUnderMinusOneDbInBothFormats) {
    struct Case {
        const char* fixture;
        double loudest;  // the integrated loudness it must reach, LUFS
    };
    // A loud tone after a quiet one is where the limiter and the AAC encoder are hardest
    // pressed; it only has to keep its peaks down.
    const Case cases[] = {
        {"speech.mp4", -14.0}, {"music.mp4", -12.0}, {"noise-quiet-loud.mp4", -99}};
    for (const Case& k : cases) {
        for (const bool x264 : {false, true}) {
            const std::string what = std::string(k.fixture) + (x264 ? " x264" : " xvid");
            const Steps steps{NewFolder("loudness") + "/clip", x264 ? "264" : "m4v"};
            ASSERT_EQ(RunFiveSteps(Fixture(k.fixture), steps, Preset(x264)), "") << what;
            const Loudness out = LoudnessOf(steps.base + ".3gp");
            EXPECT_GE(out.integrated, k.loudest) << what;
            EXPECT_LE(out.truePeak, -1.0) << what;
        }
    }
}

TEST(FiveSteps, HissIsLiftedByTenDecibelsAtMostAndNothingDipsBeforeALoudPassage) {
    const std::string source = Fixture("noise-quiet-loud.mp4");
    const DecodedSound in = DecodeSound(source);
    const Steps steps{NewFolder("no pumping") + "/clip", "m4v"};
    ASSERT_EQ(RunFiveSteps(source, steps, {}), "");
    const DecodedSound out = DecodeSound(steps.base + ".3gp");
    ASSERT_GT(out.sampleRate, 0);
    EXPECT_LE(RmsDb(out, 0.3, 1.7) - RmsDb(in, 0.3, 1.7), 10.5);
    // The quiet tone from 2 s to 5 s: its last second as loud, 100 ms by 100 ms, as the
    // stretch before it.
    const double quiet = RmsDb(out, 2.5, 3.9);
    for (double at = 3.9; at < 4.85; at += 0.1) {
        EXPECT_NEAR(RmsDb(out, at, at + 0.1), quiet, 1.5) << "at " << at << " s";
    }
}

// The average brightness (0 to 255) of the file's first picture.
double FirstPictureBrightness(const std::string& file) {
    const std::string gray = RunProgram({"ffmpeg", "-v", "error", "-i", file, "-frames:v", "1",
                                         "-f", "rawvideo", "-pix_fmt", "gray", "-"})
                                 .out;
    double sum = 0;
    for (const char c : gray) {
        sum += static_cast<unsigned char>(c);
    }
    return gray.empty() ? -1 : sum / static_cast<double>(gray.size());
}

TEST(FiveSteps, SoundWithoutVideoGetsAStillPictureAsLongAsTheSound) {
    struct Case {
        const char* fixture;
        bool bright;  // its cover art is white; without one the picture is black
    };
    for (const Case& k : {Case{"sound.m4a", false}, Case{"song.mp3", true}}) {
        for (const bool x264 : {false, true}) {
            const std::string what = std::string(k.fixture) + (x264 ? " x264" : " xvid");
            const EncodeChoice c = Preset(x264);
            const Steps steps{NewFolder("sound only") + "/clip", x264 ? "264" : "m4v"};
            ASSERT_EQ(RunFiveSteps(Fixture(k.fixture), steps, c), "") << what;
            const std::string out = steps.base + ".3gp";
            EXPECT_EQ(StreamCount(out), 2) << what;
            EXPECT_EQ(StreamField(out, "v:0", "width"), "176") << what;
            EXPECT_EQ(StreamField(out, "v:0", "height"), "144") << what;
            EXPECT_EQ(StreamField(out, "v:0", "r_frame_rate"), c.fps + "/1") << what;
            const double sound = StreamSeconds(out, "a:0");
            const double picture = StreamSeconds(out, "v:0");
            EXPECT_GT(sound, 1.9) << what;
            EXPECT_GE(picture, sound - 0.001) << what;
            EXPECT_LE(picture, sound + 1.0 / std::atoi(c.fps.c_str()) + 0.001) << what;
            if (k.bright) {
                EXPECT_GT(FirstPictureBrightness(out), 200) << what;
            } else {
                EXPECT_LT(FirstPictureBrightness(out), 20) << what;
            }
        }
    }
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
