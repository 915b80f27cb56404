// The encoder's three steps, run as the program runs them, on files ffmpeg makes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "MediaFixtures.h"
#include "ProgressRecords.h"
#include "ToolCommands.h"

namespace tarv::tools::test {
namespace {

int Int(const std::string& text) {
    return std::atoi(text.c_str());
}

// The checksum of every decoded picture of the file's video, in order.
std::vector<std::string> PictureChecksums(const std::string& file) {
    const std::string text =
        RunProgram({"ffmpeg", "-v", "error", "-i", file, "-map", "0:v", "-f", "framemd5", "-"}).out;
    std::vector<std::string> sums;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(start, end - start);
        if (!line.empty() && line[0] != '#') {
            sums.push_back(line.substr(line.rfind(',') + 1));
        }
        start = end + 1;
    }
    return sums;
}

void ExpectOneLineFailure(const RunResult& r, const std::string& what) {
    EXPECT_NE(r.exitCode, 0) << what;
    EXPECT_FALSE(r.timedOut) << what;
    EXPECT_EQ(r.signal, 0) << what;
    ASSERT_FALSE(r.err.empty()) << what;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << what << ": " << r.err;
}

TEST(EncodeStep, EveryContainerBecomesAnXvidAviFromTimeZero) {
    // The program stream starts half a second in; unshifted it would gain five duplicated
    // frames at the start.
    for (const char* name : {"clip.mp4", "clip.avi", "clip.mpg", "clip.flv", "clip.wmv"}) {
        const std::string avi = NewFolder("containers") + "/clip.avi";
        const RunResult r = RunProgram(EncodeArgs(Fixture(name), avi));
        ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
        EXPECT_EQ(StreamField(avi, "v:0", "codec_name"), "mpeg4") << name;
        EXPECT_EQ(StreamField(avi, "v:0", "codec_tag_string"), "XVID") << name;
        EXPECT_EQ(StreamField(avi, "v:0", "width"), "176") << name;
        EXPECT_EQ(StreamField(avi, "v:0", "height"), "144") << name;
        EXPECT_EQ(StreamField(avi, "v:0", "r_frame_rate"), "10/1") << name;
        EXPECT_NEAR(Int(StreamField(avi, "v:0", "nb_frames")), 20, 1) << name;
        EXPECT_EQ(PictureTypes(avi).find('B'), std::string::npos) << name;
        EXPECT_EQ(StreamField(avi, "a:0", "codec_name"), "aac") << name;
        EXPECT_EQ(StreamField(avi, "a:0", "profile"), "LC") << name;
        EXPECT_EQ(StreamField(avi, "a:0", "sample_rate"), "22050") << name;
    }
}

TEST(EncodeStep, X264IsBaselineLevel12WithTheH264Tag) {
    const std::string avi = NewFolder("x264") + "/clip.avi";
    EncodeChoice c;
    c.x264 = true;
    c.scale = "";
    c.fps = "15";
    c.sampleRate = "48000";
    c.audioKbps = "96";
    c.videoKbps = "256";
    const RunResult r = RunProgram(EncodeArgs(Fixture("clip.mp4"), avi, c));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(StreamField(avi, "v:0", "codec_name"), "h264");
    EXPECT_EQ(StreamField(avi, "v:0", "codec_tag_string"), "H264");
    EXPECT_EQ(StreamField(avi, "v:0", "profile"), "Constrained Baseline");
    EXPECT_EQ(StreamField(avi, "v:0", "level"), "12");
    EXPECT_EQ(StreamField(avi, "v:0", "width"), "160");  // the input's own size
    EXPECT_EQ(StreamField(avi, "v:0", "r_frame_rate"), "15/1");
    EXPECT_EQ(PictureTypes(avi).find('B'), std::string::npos);
    EXPECT_EQ(StreamField(avi, "a:0", "sample_rate"), "48000");
}

TEST(EncodeStep, LevelsAdmitTheSizeRateAndBitrate) {
    struct Case {
        bool x264;
        std::string scale, fps, kbps, level;
        std::string buffer;  // the buffer limits x264 names in its settings record
    };
    // 320x240 at 25 fps is 7,500 macroblocks a second: past level 1.2's 6,000. 1200 kbit/s is
    // past level 1.3's 768. The smallest case would fit level 1.1, but never goes below the
    // 1.2 asked for. Xvid's Simple Profile: QCIF at 100 kbit/s is level 2; CIF-sized at 25 fps
    // and 800 kbit/s is level 4a.
    const Case cases[] = {
        {true, "320:240", "25", "256", "13", "vbv_maxrate=768 vbv_bufsize=2000"},
        {true, "176:144", "15", "1200", "20", "vbv_maxrate=2000 vbv_bufsize=2000"},
        {true, "176:144", "10", "100", "12", "vbv_maxrate=384 vbv_bufsize=1000"},
        {false, "176:144", "10", "100", "2", ""},
        {false, "320:240", "25", "800", "4", ""},
    };
    const std::string folder = NewFolder("levels");
    for (const Case& k : cases) {
        const std::string what =
            (k.x264 ? "x264 " : "xvid ") + k.scale + "@" + k.fps + " " + k.kbps;
        const std::string avi = folder + "/" + std::to_string(&k - cases) + ".avi";
        EncodeChoice c;
        c.x264 = k.x264;
        c.scale = k.scale;
        c.fps = k.fps;
        c.videoKbps = k.kbps;
        const RunResult r = RunProgram(EncodeArgs(Fixture("clip.mp4"), avi, c));
        ASSERT_EQ(r.exitCode, 0) << what << ": " << r.err;
        EXPECT_EQ(StreamField(avi, "v:0", "level"), k.level) << what;
        EXPECT_EQ(StreamField(avi, "v:0", "profile"),
                  k.x264 ? "Constrained Baseline" : "Simple Profile")
            << what;
        if (!k.buffer.empty()) {
            EXPECT_NE(ReadFile(avi).find(k.buffer), std::string::npos) << what;
        }
    }
}

// The most kilobits the file's video carries in any one second.
double BusiestSecondKbit(const std::string& file) {
    const std::string text =
        RunProgram({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                    "packet=pts_time,size", "-of", "csv=p=0", file})
            .out;
    std::vector<std::pair<double, double>> packets;  // time, bits
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(start, end - start);
        if (const size_t comma = line.find(','); comma != std::string::npos) {
            packets.emplace_back(std::atof(line.c_str()), 8 * std::atof(line.c_str() + comma + 1));
        }
        start = end + 1;
    }
    double busiest = 0;
    for (const auto& [from, bits] : packets) {
        double sum = 0;
        for (const auto& [at, size] : packets) {
            sum += at >= from - 1e-9 && at < from + 1 - 1e-9 ? size : 0;
        }
        busiest = std::max(busiest, sum);
    }
    return busiest / 1000;
}

TEST(EncodeStep, BusyXvidVideoStaysWithinItsLevelInEverySecond) {
    // Moving pictures under fresh noise in every frame: more than 100 kbit/s can carry at any
    // quantiser. Simple Profile level 2 lets no second carry more than 128 kbit.
    const std::string folder = NewFolder("busy");
    const std::string busy = folder + "/busy.mp4";
    ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i",
                        "testsrc2=size=320x240:rate=25:duration=4,noise=alls=40:allf=t", "-c:v",
                        "mpeg4", "-q:v", "2", busy}));
    const std::string avi = folder + "/clip.avi";
    const RunResult r = RunProgram(EncodeArgs(busy, avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(StreamField(avi, "v:0", "level"), "2");
    EXPECT_LE(BusiestSecondKbit(avi), 128.0);
    EXPECT_EQ(Int(StreamField(avi, "v:0", "nb_frames")), 40);
}

TEST(EncodeStep, AClipShorterThanOneOutputFrameGivesOneFrame) {
    // One picture lasts 40 ms, less than half of a 10 fps frame.
    for (const char* name : {"one-frame.mp4", "still.png"}) {
        const std::string avi = NewFolder("one frame") + "/clip.avi";
        const RunResult r = RunProgram(EncodeArgs(Fixture(name), avi));
        ASSERT_EQ(r.exitCode, 0) << name << ": " << r.err;
        EXPECT_EQ(StreamField(avi, "v:0", "nb_frames"), "1") << name;
    }
}

TEST(EncodeStep, OriginalSizeOfAnOddPictureIsMadeEven) {
    const std::string avi = NewFolder("odd") + "/clip.avi";
    EncodeChoice c;
    c.scale = "";
    const RunResult r = RunProgram(EncodeArgs(Fixture("odd.avi"), avi, c));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(StreamField(avi, "v:0", "width"), "160");
    EXPECT_EQ(StreamField(avi, "v:0", "height"), "120");
}

TEST(EncodeStep, VideoWithoutSoundGetsASilentTrackOfItsLength) {
    const std::string avi = NewFolder("mute") + "/clip.avi";
    const RunResult r = RunProgram(EncodeArgs(Fixture("mute.mp4"), avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(StreamField(avi, "a:0", "codec_name"), "aac");
    // AVI keeps the encoder's priming frame; the track may be one AAC frame longer.
    const double audio = Int(StreamField(avi, "a:0", "nb_frames")) * 1024 / 22050.0;
    EXPECT_GE(audio, 2.0);
    EXPECT_LE(audio, 2.0 + 2 * 1024 / 22050.0);
}

TEST(EncodeStep, SoundAtOneSampleASecondKeepsItsWholeLength) {
    // Each packet of it grows 22050-fold on its way to the encoder, so it goes in pieces.
    const int samples = 300;
    std::string wav = "RIFF";
    const auto add = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    add(36 + 2 * samples, 4);
    wav += "WAVEfmt ";
    add(16, 4), add(1, 2), add(1, 2), add(1, 4), add(2, 4), add(2, 2), add(16, 2);
    wav += "data";
    add(2 * samples, 4);
    for (int i = 0; i < samples; ++i)
        add(i % 2 ? 0x2000 : 0xE000, 2);
    const std::string folder = NewFolder("one hertz");
    WriteFile(folder + "/slow.wav", wav);
    const std::string avi = folder + "/slow.avi";
    const RunResult r = RunProgram(EncodeArgs(folder + "/slow.wav", avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const double audio = Int(StreamField(avi, "a:0", "nb_frames")) * 1024 / 22050.0;
    EXPECT_GE(audio, samples);
    EXPECT_LE(audio, samples + 2 * 1024 / 22050.0);
}

TEST(EncodeStep, LoudSurroundSoundKeepsTwoChannelsAndPeaksBelowMinusOneDb) {
    const std::string avi = NewFolder("surround") + "/clip.avi";
    const RunResult r = RunProgram(EncodeArgs(Fixture("surround.mp4"), avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(StreamField(avi, "a:0", "channels"), "2");
    const DecodedSound sound = DecodeSound(avi);
    ASSERT_GT(sound.samples.size(), 22050u);
    float peak = 0;
    for (const float v : sound.samples) {
        peak = std::max(peak, std::fabs(v));
    }
    EXPECT_LE(20 * std::log10(peak), -1.0);
}

TEST(EncodeStep, TurnedPhoneVideoStandsUpright) {
    // The fixture is red on the left, blue on the right, and marked as turned a quarter
    // clockwise: upright, red is on top.
    const std::string folder = NewFolder("rotated");
    const std::string avi = folder + "/clip.avi";
    EncodeChoice c;
    c.scale = "";
    const RunResult r = RunProgram(EncodeArgs(Fixture("rotated.mp4"), avi, c));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(StreamField(avi, "v:0", "width"), "48");
    EXPECT_EQ(StreamField(avi, "v:0", "height"), "64");
    const std::string rgb = folder + "/frame.rgb";
    ASSERT_TRUE(Ffmpeg({"-i", avi, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", rgb}));
    const std::string pixels = ReadFile(rgb);
    ASSERT_EQ(pixels.size(), 48u * 64 * 3);
    auto at = [&](int x, int y, int channel) {
        return static_cast<unsigned char>(pixels[(y * 48 + x) * 3 + channel]);
    };
    EXPECT_GT(at(24, 8, 0), 180);  // red above
    EXPECT_LT(at(24, 8, 2), 80);
    EXPECT_GT(at(24, 56, 2), 180);  // blue below
    EXPECT_LT(at(24, 56, 0), 80);
}

// Each source through each family at `scale`, and a picture from half a second in, read back
// by ffmpeg as `pixelFormat` through `filter`, handed to `check`.
void ForEachEncodedPicture(const std::vector<std::string>& sources, const std::string& folder,
                           const std::string& scale, const std::string& filter,
                           const std::string& pixelFormat,
                           const std::function<void(const std::string&)>& check) {
    for (const bool x264 : {false, true}) {
        for (const std::string& source : sources) {
            SCOPED_TRACE(source + (x264 ? " through x264" : " through Xvid"));
            const std::string avi = folder + "/out.avi";
            const std::string picture = folder + "/frame.raw";
            EncodeChoice c;
            c.x264 = x264;
            c.scale = scale;
            const RunResult r = RunProgram(EncodeArgs(source, avi, c));
            ASSERT_EQ(r.exitCode, 0) << r.err;
            ASSERT_TRUE(Ffmpeg({"-ss", "0.5", "-i", avi, "-frames:v", "1", "-vf", filter, "-f",
                                "rawvideo", "-pix_fmt", pixelFormat, picture}));
            check(ReadFile(picture));
        }
    }
}

TEST(EncodeStep, HighDefinitionColoursLookTheSameOnThePhone) {
    // A 1280x720 field of one green coded in BT.709, once marked so and once unmarked (as many
    // cameras leave it). A small picture is decoded as BT.601: carried over unconverted, this
    // green came out as 54,226,68.
    const std::string folder = NewFolder("hd-colours");
    const std::string marked = folder + "/marked.mp4";
    const std::string unmarked = folder + "/unmarked.mp4";
    ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i",
                        "color=c=0x28C83C:s=1280x720:d=1:r=25,format=rgb24,"
                        "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
                        "-colorspace", "bt709", "-c:v", "libx264", "-crf", "0", marked}));
    ASSERT_TRUE(Ffmpeg(
        {"-i", marked, "-c", "copy", "-bsf:v", "h264_metadata=matrix_coefficients=2", unmarked}));
    ASSERT_EQ(StreamField(unmarked, "v:0", "color_space"), "unknown");
    ForEachEncodedPicture({marked, unmarked}, folder, "176:144", "scale=in_color_matrix=bt601",
                          "rgb24", [](const std::string& pixels) {
                              ASSERT_EQ(pixels.size(), 176u * 144 * 3);
                              const size_t middle = (72 * 176 + 88) * 3;
                              EXPECT_NEAR(static_cast<unsigned char>(pixels[middle]), 40, 6);
                              EXPECT_NEAR(static_cast<unsigned char>(pixels[middle + 1]), 200, 6);
                              EXPECT_NEAR(static_cast<unsigned char>(pixels[middle + 2]), 60, 6);
                          });
}

TEST(EncodeStep, SmallPicturesMadeLargeTakeTheLargeMatrix) {
    // The same green in a full-range BT.601 320x240 picture, enlarged to 1280x720, which players
    // decode as BT.709. Converted before the enlarging scaler, the picture reached it in RGB and
    // was coded in BT.601 after all: the green came out as 28,175,55.
    const std::string folder = NewFolder("sd-to-hd");
    const std::string source = folder + "/small.mp4";
    ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i",
                        "color=c=0x28C83C:s=320x240:d=1:r=25,format=rgb24,"
                        "scale=out_color_matrix=bt601:out_range=pc,format=yuvj420p",
                        "-c:v", "libx264", "-crf", "0", source}));
    ForEachEncodedPicture({source}, folder, "1280:720", "scale=in_color_matrix=bt709", "rgb24",
                          [](const std::string& pixels) {
                              ASSERT_EQ(pixels.size(), 1280u * 720 * 3);
                              const size_t middle = (360 * 1280 + 640) * 3;
                              EXPECT_NEAR(static_cast<unsigned char>(pixels[middle]), 40, 6);
                              EXPECT_NEAR(static_cast<unsigned char>(pixels[middle + 1]), 200, 6);
                              EXPECT_NEAR(static_cast<unsigned char>(pixels[middle + 2]), 60, 6);
                          });
}

TEST(EncodeStep, HighDefinitionBlackWhiteAndGreysKeepTheirLevels) {
    // 1920x1080 BT.709 ramps from black to white in eight steps: ten bits in limited range, and
    // eight bits in full range as some phones record. Converted to the small picture's matrix
    // by the scaler's own YUV-to-YUV path, white came out at 233 and the greys up to two steps
    // dark.
    const std::string folder = NewFolder("hd-levels");
    const std::string limited10 = folder + "/limited10.mp4";
    const std::string full8 = folder + "/full8.mp4";
    ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i",
                        "color=c=black:s=1920x1080:d=1:r=25,format=yuv420p10le,"
                        "geq=lum='64+trunc(X/240)*(940-64)/7':cb=512:cr=512",
                        "-colorspace", "bt709", "-c:v", "libx264", "-qp", "0", limited10}));
    ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i",
                        "color=c=black:s=1920x1080:d=1:r=25,format=yuvj420p,"
                        "geq=lum='trunc(X/240)*255/7':cb=128:cr=128",
                        "-colorspace", "bt709", "-color_range", "pc", "-c:v", "libx264", "-qp", "0",
                        full8}));
    ForEachEncodedPicture(
        {limited10, full8}, folder, "176:144", "scale=in_range=tv:out_range=tv", "gray",
        [](const std::string& pixels) {
            ASSERT_EQ(pixels.size(), 176u * 144);
            for (int step = 0; step < 8; ++step) {
                const int x = (2 * step + 1) * 176 / 16;
                const int expected = 16 + (235 - 16) * step / 7;
                EXPECT_NEAR(static_cast<unsigned char>(pixels[72 * 176 + x]), expected, 1)
                    << "step " << step;
            }
        });
}

TEST(EncodeStep, PrintsRecordsTheWorkerReads) {
    const std::string avi = NewFolder("records") + "/clip.avi";
    const RunResult r = RunProgram(EncodeArgs(Fixture("clip.mp4"), avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<float> positions = RecordPositions(r.out + r.err);
    ASSERT_FALSE(positions.empty()) << r.out;
    for (const float p : positions) {
        EXPECT_GE(p, 0.0f) << r.out;
    }
    EXPECT_NEAR(positions.back(), 2.0, 0.05);
    EXPECT_NE(r.out.find("]\r"), std::string::npos);
}

TEST(EncodeStep, InputWithoutVideoOrSoundFailsClearly) {
    // Sound alone converts with a still picture; a file of subtitles alone has nothing to show.
    const std::string folder = NewFolder("subtitles only");
    WriteFile(folder + "/words.srt", "1\n00:00:00,000 --> 00:00:01,000\nHello\n");
    const std::string subtitles = folder + "/words.mkv";
    ASSERT_TRUE(Ffmpeg({"-i", folder + "/words.srt", subtitles}));
    const std::string out = NewFolder("subtitles out");
    const RunResult r = RunProgram(EncodeArgs(subtitles, out + "/clip.avi"));
    ExpectOneLineFailure(r, "subtitles only");
    EXPECT_NE(r.err.find("no video or sound"), std::string::npos) << r.err;
    EXPECT_TRUE(FolderEntries(out).empty());
}

TEST(EncodeStep, BadInputsFailWithOneLineAndLeaveNothing) {
    const std::string folder = NewFolder("bad inputs");
    const std::string text = folder + "/notes.avi";
    WriteFile(text, std::string(5000, 'x'));
    const std::string clip = ReadFile(Fixture("clip.mp4"));
    const std::string truncated = folder + "/truncated.mp4";
    WriteFile(truncated, clip.substr(0, clip.size() / 3));
    const std::string out = NewFolder("bad outputs");
    for (const std::string& input : {folder + "/missing.mp4", text, truncated, folder}) {
        ExpectOneLineFailure(RunProgram(EncodeArgs(input, out + "/clip.avi")), input);
    }
    EXPECT_TRUE(FolderEntries(out).empty());
}

TEST(EncodeStep, ADeviceOrPipeGivenAsInputIsNamedForWhatItIs) {
    const std::string folder = NewFolder("special inputs");
    const std::string pipe = folder + "/clip.mp4";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string out = NewFolder("special outputs");
    // Nothing writes to the pipe: a tool that opened it for reading would wait for ever.
    for (const std::string& input : {pipe, std::string("/dev/zero"), std::string("/dev/urandom")}) {
        const RunResult r = RunProgram(EncodeArgs(input, out + "/clip.avi"));
        ExpectOneLineFailure(r, input);
        EXPECT_NE(r.err.find(input + ": it is a device or a pipe"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(FolderEntries(out).empty());
}

TEST(EncodeStep, ATinyFileClaimingAHugePictureIsRefusedNamingItsSize) {
    const std::string folder = NewFolder("huge picture");
    // A few bytes whose header says 9000x9000: 120 MB a picture, per decoding thread.
    const std::string header = folder + "/huge.y4m";
    WriteFile(header, "YUV4MPEG2 W9000 H9000 F25:1 C420jpeg\nFRAME\n" + std::string(5000, '\0'));
    // 64 KB whose size only the decoder reads.
    const std::string picture = folder + "/huge.png";
    ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "color=size=8200x8200", "-frames:v", "1", "-pix_fmt",
                        "gray", picture}));
    const std::string out = NewFolder("huge picture out");
    for (const auto& [input, size] : {std::pair{header, std::string("9000x9000")},
                                      std::pair{picture, std::string("8200x8200")}}) {
        const RunResult encoded = RunProgram(EncodeArgs(input, out + "/clip.avi"));
        ExpectOneLineFailure(encoded, input);
        EXPECT_NE(encoded.err.find(": its pictures are " + size + ", more than the 67 million"),
                  std::string::npos)
            << encoded.err;
        const RunResult identified = RunProgram({ToolPath(3), "-identify", input});
        EXPECT_EQ(identified.exitCode, 1);
        EXPECT_NE(identified.err.find(size), std::string::npos) << identified.err;
    }
    EXPECT_TRUE(FolderEntries(out).empty());
}

TEST(EncodeStep, UnwritableOrFullOutputFailsWithOneLineAndLeavesNothing) {
    const std::string folder = NewFolder("full");
    WriteFile(folder + "/file", "");
    ExpectOneLineFailure(RunProgram(EncodeArgs(Fixture("clip.mp4"), folder + "/file/clip.avi")),
                         "folder is a file");
    ExpectOneLineFailure(RunProgram(EncodeArgs(Fixture("clip.mp4"), folder + "/none/clip.avi")),
                         "no such folder");
    // A file-size limit stands in for a full disk: writes fail part way through.
    RunOptions full;
    full.fileSizeLimit = 8000;
    const RunResult r = RunProgram(EncodeArgs(Fixture("clip.mp4"), folder + "/clip.avi"), full);
    ExpectOneLineFailure(r, "full disk");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"file"});
}

TEST(EncodeStep, UnknownOptionIsExitTwoNamingIt) {
    std::vector<std::string> args = EncodeArgs(Fixture("clip.mp4"), NewFolder("usage") + "/c.avi");
    args.insert(args.begin() + 1, {"-vop", "expand"});
    const RunResult r = RunProgram(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("-vop"), std::string::npos) << r.err;
}

class CopySteps : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = new std::string(NewFolder("copy"));
        EncodeChoice x264;
        x264.x264 = true;
        ASSERT_EQ(RunProgram(EncodeArgs(Fixture("clip.mp4"), Xvid())).exitCode, 0);
        ASSERT_EQ(RunProgram(EncodeArgs(Fixture("clip.mp4"), H264(), x264)).exitCode, 0);
    }
    static void TearDownTestSuite() {
        delete s_folder;
        s_folder = nullptr;
    }
    static std::string Xvid() { return *s_folder + "/xvid.avi"; }
    static std::string H264() { return *s_folder + "/h264.avi"; }
    static std::string In(const std::string& name) { return *s_folder + "/" + name; }

    static std::string* s_folder;
};
std::string* CopySteps::s_folder = nullptr;

TEST_F(CopySteps, RawVideoIsTheAvisVideoUnchanged) {
    const RunResult m4v = RunProgram(RawVideoArgs(Xvid(), In("clip.m4v")));
    ASSERT_EQ(m4v.exitCode, 0) << m4v.err;
    EXPECT_EQ(StreamField(In("clip.m4v"), "v:0", "codec_name"), "mpeg4");
    const RunResult annexB = RunProgram(RawVideoArgs(H264(), In("clip.264")));
    ASSERT_EQ(annexB.exitCode, 0) << annexB.err;
    // Annex B, beginning with a start code and a sequence parameter set.
    const std::string bytes = ReadFile(In("clip.264"));
    ASSERT_GT(bytes.size(), 5u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\0\0\0\1", 4));
    EXPECT_EQ(bytes[4] & 0x1f, 7);
    // The same pictures as the AVI's, frame by frame.
    const std::vector<std::string> h264 = PictureChecksums(H264());
    EXPECT_EQ(h264.size(), 20u);
    EXPECT_EQ(PictureChecksums(In("clip.264")), h264);
    const std::vector<std::string> xvid = PictureChecksums(Xvid());
    EXPECT_EQ(xvid.size(), 20u);
    EXPECT_EQ(PictureChecksums(In("clip.m4v")), xvid);
}

TEST_F(CopySteps, RawAudioIsAdtsAacWithEveryFrame) {
    const RunResult r = RunProgram(RawAudioArgs(Xvid(), In("clip.aac")));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = ReadFile(In("clip.aac"));
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]) & 0xF0, 0xF0);
    EXPECT_EQ(StreamField(In("clip.aac"), "a:0", "profile"), "LC");
    const std::string count = "-count_packets";
    const auto packets = [&](const std::string& f) {
        return RunProgram({"ffprobe", "-v", "error", "-select_streams", "a:0", count,
                           "-show_entries", "stream=nb_read_packets", "-of", "default=nw=1:nk=1",
                           f})
            .out;
    };
    EXPECT_EQ(packets(In("clip.aac")), packets(Xvid()));
}

TEST_F(CopySteps, PrintRecordsTheWorkerReads) {
    const RunResult r = RunProgram(RawVideoArgs(Xvid(), In("records.m4v")));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<float> positions = RecordPositions(r.out);
    ASSERT_FALSE(positions.empty());
    EXPECT_GE(positions.back(), 1.5f);
}

TEST_F(CopySteps, WrongOrMissingStreamsFailClearly) {
    // An AVI made by ffmpeg with MPEG-1 video and MP3 sound has nothing to copy out.
    const std::string other = In("other.avi");
    ASSERT_TRUE(Ffmpeg({"-i", Fixture("clip.avi"), "-c:v", "mpeg1video", "-c:a", "copy", other}));
    ExpectOneLineFailure(RunProgram(RawVideoArgs(other, In("x.m4v"))), "mpeg1 video");
    ExpectOneLineFailure(RunProgram(RawAudioArgs(other, In("x.aac"))), "mp3 audio");
    ExpectOneLineFailure(RunProgram(RawAudioArgs(In("missing.avi"), In("y.aac"))), "missing");
    EXPECT_FALSE(FileExists(In("x.m4v")));
    EXPECT_FALSE(FileExists(In("x.aac")));
}

}  // namespace
}  // namespace tarv::tools::test
