// Damaged copies of clips ffmpeg makes, through the encoder and the identify tool: bytes of the
// streams replaced by others at places a fixed seed picks, as a scratched disc or a bad copy
// leaves them. What decodes is converted, at full length and with the sound in step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>

#include "MediaFixtures.h"
#include "ToolCommands.h"

namespace tarv::tools::test {
namespace {

constexpr double kClipSeconds = 6;
constexpr double kMarks[] = {1, 3, 5};  // a white picture and a loud beep start at each
constexpr double kMarkSeconds = 0.48;   // and last this long

// Moving pictures and a quiet tone, with the marks; `codecs` name the encoders and format.
std::string MarkedClip(const std::string& name, const std::vector<std::string>& codecs) {
    const std::string path = NewFolder("marked") + "/" + name;
    std::string marked;
    for (const double mark : kMarks) {
        marked += (marked.empty() ? "" : "+") + std::string("between(t,") + std::to_string(mark) +
                  "," + std::to_string(mark + kMarkSeconds - 0.001) + ")";
    }
    const std::string seconds = std::to_string(kClipSeconds);
    std::vector<std::string> args = {"-f",
                                     "lavfi",
                                     "-i",
                                     "testsrc=size=160x120:rate=25:duration=" + seconds +
                                         ",drawbox=x=0:y=0:w=iw:h=ih:color=white:t=fill:enable='" +
                                         marked + "'",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "aevalsrc='0.5*sin(2*PI*1000*t)*(" + marked +
                                         ")+0.03*sin(2*PI*300*t)':s=44100:d=" + seconds,
                                     "-ac",
                                     "2"};
    args.insert(args.end(), codecs.begin(), codecs.end());
    args.push_back(path);
    return Ffmpeg(args) ? path : std::string();
}

// The middles of the stretches where `on` holds for at least `least` values, gaps of up to
// `gap` values bridged, at `step` seconds a value.
std::vector<double> StretchMiddles(const std::vector<bool>& on, double step, size_t least,
                                   size_t gap) {
    std::vector<double> middles;
    size_t i = 0;
    while (i < on.size()) {
        if (!on[i]) {
            ++i;
            continue;
        }
        const size_t start = i;
        size_t end = i + 1;  // one past the last value that holds
        for (size_t j = end; j < on.size() && j <= end + gap; ++j) {
            if (on[j]) {
                end = j + 1;
            }
        }
        if (end - start >= least) {
            middles.push_back((start + end) * step / 2);
        }
        i = end;
    }
    return middles;
}

uint32_t Read32(const std::string& data, size_t at, bool bigEndian) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const auto byte = static_cast<uint8_t>(data[at + (bigEndian ? i : 3 - i)]);
        value = value << 8 | byte;
    }
    return value;
}

// Where a file's streams lie: the AVI's "movi" list or the MP4's "mdat" box, so that the
// damage falls on the pictures and the sound, not on the index that finds them.
std::pair<size_t, size_t> StreamBytes(const std::string& data) {
    if (data.starts_with("RIFF")) {
        const size_t list = data.find("movi") - 4;
        return {list + 8, list + 4 + Read32(data, list, false)};
    }
    const size_t box = data.find("mdat") - 4;
    return {box + 8, box + Read32(data, box, true)};
}

// A copy of `source` with this share of its stream bytes replaced, beside it.
std::string DamagedCopy(const std::string& source, double share, unsigned seed) {
    std::string data = ReadFile(source);
    const auto [from, to] = StreamBytes(data);
    std::mt19937 pick(seed);
    std::uniform_int_distribution<size_t> place(from, to - 1);
    std::uniform_int_distribution<int> change(1, 255);
    for (size_t i = 0; i < static_cast<size_t>((to - from) * share); ++i) {
        const size_t at = place(pick);
        data[at] ^= static_cast<char>(change(pick));
    }
    const size_t dot = source.rfind('.');
    const std::string path =
        source.substr(0, dot) + "-damaged-" + std::to_string(seed) + source.substr(dot);
    WriteFile(path, data);
    return path;
}

// The middles of the white stretches of an encoded AVI's pictures, which come at 10 a second.
// A middle moves by half a picture at most when damage takes one at an end.
std::vector<double> FlashMiddles(const std::string& avi) {
    const std::string pictures =
        RunProgram({"ffmpeg", "-v", "error", "-i", avi, "-map", "0:v", "-vf",
                    "scale=16:12,format=gray", "-f", "rawvideo", "-"})
            .out;
    constexpr size_t kPicture = 16 * 12;
    std::vector<bool> white;
    for (size_t i = 0; (i + 1) * kPicture <= pictures.size(); ++i) {
        double sum = 0;
        for (size_t b = 0; b < kPicture; ++b) {
            sum += static_cast<uint8_t>(pictures[i * kPicture + b]);
        }
        white.push_back(sum / kPicture > 200);
    }
    return StretchMiddles(white, 0.1, 3, 0);
}

// The middles of the loud beeps: stretches of a third of a second and more where the sound
// is ten times its usual power, in windows of 5 ms. Skipped sound leaves short silences in a
// beep and garbled sound short bursts outside one; neither moves a middle by much.
std::vector<double> BeepMiddles(const std::string& file) {
    const DecodedSound sound = DecodeSound(file);
    const size_t window = static_cast<size_t>(sound.sampleRate / 200) * sound.channels;
    std::vector<double> levels;
    for (size_t at = 0; window > 0 && at + window <= sound.samples.size(); at += window) {
        double sum = 0;
        for (size_t i = at; i < at + window; ++i) {
            sum += sound.samples[i] * sound.samples[i];
        }
        levels.push_back(sum / window);
    }
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const double usual = sorted.empty() ? 0 : sorted[sorted.size() / 2];
    std::vector<bool> loud;
    for (const double level : levels) {
        loud.push_back(level > usual * 10);
    }
    return StretchMiddles(loud, 1.0 / 200, 66, 20);
}

// For each mark found both in the pictures and in the sound: when it sounds less when it shows.
std::map<double, double> MarkOffsets(const std::string& avi) {
    const std::vector<double> flashes = FlashMiddles(avi);
    const std::vector<double> beeps = BeepMiddles(avi);
    std::map<double, double> offsets;
    for (const double mark : kMarks) {
        const double middle = mark + kMarkSeconds / 2;
        auto near = [middle](const std::vector<double>& times) {
            const auto it = std::find_if(times.begin(), times.end(),
                                         [middle](double t) { return std::abs(t - middle) < 0.2; });
            return it == times.end() ? NAN : *it;
        };
        const double flash = near(flashes);
        const double beep = near(beeps);
        if (!std::isnan(flash) && !std::isnan(beep)) {
            offsets[mark] = beep - flash;
        }
    }
    return offsets;
}

int DamagedFrames(const std::string& out) {
    const size_t at = out.find(" damaged frame");
    if (at == std::string::npos) {
        return 0;
    }
    size_t start = at;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(out[start - 1]))) {
        --start;
    }
    return std::atoi(out.c_str() + start);
}

TEST(DamagedInput, AviAndMp4ConvertAtFullLengthWithTheSoundInStep) {
    struct Case {
        std::string name;
        std::vector<std::string> codecs;
        double share;
        unsigned seeds[2];
    };
    // Xvid-like video with MP3 sound, as downloads from the 2000s are; a phone's H.264 and AAC.
    // At these seeds a decoder reports errors the encoder once stopped at; at others a sound
    // frame changes its shape midway.
    const Case cases[] = {
        {"marked.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}, 0.0005, {1, 6}},
        {"marked.mp4", {"-c:v", "libx264", "-preset", "veryfast", "-c:a", "aac"}, 0.002, {1, 2}},
    };
    for (const Case& c : cases) {
        const std::string source = MarkedClip(c.name, c.codecs);
        ASSERT_FALSE(source.empty()) << c.name;
        const std::string cleanAvi = NewFolder("clean") + "/clip.avi";
        ASSERT_EQ(RunProgram(EncodeArgs(source, cleanAvi)).exitCode, 0) << c.name;
        const auto clean = MarkOffsets(cleanAvi);
        ASSERT_EQ(clean.size(), 3u) << c.name;
        for (const unsigned seed : c.seeds) {
            const std::string what = c.name + " seed " + std::to_string(seed);
            const std::string damaged = DamagedCopy(source, c.share, seed);
            const std::string avi = NewFolder("damaged") + "/clip.avi";
            const RunResult r = RunProgram(EncodeArgs(damaged, avi));
            ASSERT_EQ(r.exitCode, 0) << what << ": " << r.err;
            // Said once, on its own line after the last progress record.
            EXPECT_GT(DamagedFrames(r.out), 0) << what << ": " << r.out;
            EXPECT_NE(r.out.find(" damaged frames skipped\n"), std::string::npos) << what;
            // The picture before a skipped one stays on and the sound is silent in its place,
            // so both tracks last as long as the clean copy's, and every mark found in both
            // sounds where it did there.
            EXPECT_NEAR(StreamSeconds(avi, "v:0"), StreamSeconds(cleanAvi, "v:0"), 0.15) << what;
            EXPECT_NEAR(StreamSeconds(avi, "a:0"), StreamSeconds(cleanAvi, "a:0"), 0.1) << what;
            const auto offsets = MarkOffsets(avi);
            EXPECT_GE(offsets.size(), 2u) << what;
            for (const auto& [mark, offset] : offsets) {
                EXPECT_NEAR(offset, clean.at(mark), 0.06) << what << " mark at " << mark;
            }
        }
    }
}

TEST(DamagedInput, AFileWhereNothingDecodesFailsAsDamagedInLibavsWords) {
    // Pictures whose every byte is noise, in a sound container.
    const std::string mute = NewFolder("noise") + "/noise.mp4";
    ASSERT_TRUE(Ffmpeg(
        {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=2", "-c:v", "mpeg4", mute}));
    std::string data = ReadFile(mute);
    const auto [from, to] = StreamBytes(data);
    std::mt19937 noise(5);
    for (size_t i = from; i < to; ++i) {
        data[i] = static_cast<char>(noise());
    }
    WriteFile(mute, data);
    // An AVI whose stream headers are noise: the kind of file is known, its header unreadable.
    std::string avi = ReadFile(Fixture("clip.avi"));
    const size_t header = avi.find("hdrl");
    for (size_t i = header + 4; i < header + 200; ++i) {
        avi[i] = static_cast<char>(noise());
    }
    const std::string unreadable = NewFolder("bad header") + "/header.avi";
    WriteFile(unreadable, avi);

    for (const std::string& input : {mute, unreadable}) {
        const std::string out = NewFolder("nothing out");
        const RunResult r = RunProgram(EncodeArgs(input, out + "/clip.avi"));
        EXPECT_EQ(r.exitCode, 1) << input << ": " << r.err;
        EXPECT_EQ(r.err.rfind("tarv.patch4: the file is damaged: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find("error -"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_TRUE(FolderEntries(out).empty()) << input;
    }
    // A file of no kind the library knows is still called that, not damaged.
    const std::string text = NewFolder("text") + "/notes.avi";
    WriteFile(text, std::string(5000, 'x'));
    const RunResult r = RunProgram(EncodeArgs(text, NewFolder("text out") + "/clip.avi"));
    EXPECT_NE(r.err.find("not a media file"), std::string::npos) << r.err;
}

TEST(DamagedInput, SoundWhoseHeaderNoDecoderTakesLeavesThePicturesWithSilence) {
    const std::string source =
        MarkedClip("loud.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-b:a", "128k"});
    ASSERT_FALSE(source.empty());
    const std::string cleanAvi = NewFolder("clean sound") + "/clip.avi";
    ASSERT_EQ(RunProgram(EncodeArgs(source, cleanAvi)).exitCode, 0);
    // The sound's channel count, in the format block after its stream header, made absurd.
    std::string data = ReadFile(source);
    const size_t format = data.find("strf", data.find("auds"));
    ASSERT_NE(format, std::string::npos);
    data[format + 10] = 0x02;
    data[format + 11] = static_cast<char>(0x8A);
    const std::string damaged = NewFolder("bad sound header") + "/loud.avi";
    WriteFile(damaged, data);

    const std::string avi = NewFolder("bad sound out") + "/clip.avi";
    const RunResult r = RunProgram(EncodeArgs(damaged, avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Every sound packet was skipped, and the pictures keep their length with silence beside.
    EXPECT_GT(DamagedFrames(r.out), 100) << r.out;
    EXPECT_NEAR(StreamSeconds(avi, "v:0"), StreamSeconds(cleanAvi, "v:0"), 0.15);
    EXPECT_NEAR(StreamSeconds(avi, "a:0"), StreamSeconds(avi, "v:0"), 0.15);
    EXPECT_EQ(FlashMiddles(avi).size(), 3u);
    EXPECT_TRUE(BeepMiddles(avi).empty());
}

TEST(DamagedInput, SoundLostBeforeThePicturesEndIsSilenceToTheirEnd) {
    const std::string source = MarkedClip("cut.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"});
    ASSERT_FALSE(source.empty());
    std::string data = ReadFile(source);
    const auto [from, to] = StreamBytes(data);
    // From the middle of the file on, the sound's chunks are no longer named as sound, so the
    // reader passes over them; and three pictures early on are noise.
    size_t renamed = 0;
    for (size_t at = data.find("01wb", from + (to - from) / 2); at != std::string::npos && at < to;
         at = data.find("01wb", at + 4)) {
        data.replace(at, 4, "JUNK");
        ++renamed;
    }
    ASSERT_GT(renamed, 10u);
    std::mt19937 noise(11);
    size_t picture = from + (to - from) / 5;
    for (int i = 0; i < 3; ++i) {
        picture = data.find("00dc", picture + 4);
        ASSERT_NE(picture, std::string::npos);
        const size_t size = Read32(data, picture + 4, false);
        for (size_t at = picture + 12; at < picture + 8 + size; ++at) {
            data[at] = static_cast<char>(noise());
        }
    }
    const std::string damaged = NewFolder("sound cut") + "/cut.avi";
    WriteFile(damaged, data);

    const std::string avi = NewFolder("sound cut out") + "/clip.avi";
    const RunResult r = RunProgram(EncodeArgs(damaged, avi));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_GT(DamagedFrames(r.out), 0) << r.out;
    EXPECT_NEAR(StreamSeconds(avi, "v:0"), kClipSeconds, 0.15);
    EXPECT_NEAR(StreamSeconds(avi, "a:0"), StreamSeconds(avi, "v:0"), 0.15);
}

TEST(DamagedInput, PicturesFoundOnlyFarIntoAFileAreLookedForThereByBothTools) {
    // A program stream whose first fourteen seconds of pictures are noise: reading as far as
    // the library does by default finds no picture that tells the size.
    const std::string folder = NewFolder("late pictures");
    const std::string path = folder + "/late.mpg";
    ASSERT_TRUE(
        Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=352x288:rate=25:duration=24", "-f", "lavfi",
                "-i", "sine=frequency=440:sample_rate=48000:duration=24", "-ac", "2", "-c:v",
                "mpeg2video", "-b:v", "3000k", "-c:a", "mp2", "-f", "vob", path}));
    std::string data = ReadFile(path);
    std::mt19937 noise(7);
    const std::string pictures("\0\0\1\xE0", 4);
    for (size_t at = data.find(pictures); at != std::string::npos && at < data.size() * 6 / 10;
         at = data.find(pictures, at + 4)) {
        const size_t length = static_cast<uint8_t>(data[at + 4]) << 8 | uint8_t(data[at + 5]);
        const size_t payload = at + 9 + static_cast<uint8_t>(data[at + 8]);
        for (size_t i = payload; i < at + 6 + length && i < data.size(); ++i) {
            data[i] = static_cast<char>(noise());
        }
    }
    WriteFile(path, data);

    const RunResult identified = RunProgram({ToolPath(3), "-identify", path, "-nosound", "-vc",
                                             "dummy", "-vo", "null", "-ao", "dummy"});
    EXPECT_NE(identified.out.find("ID_VIDEO_WIDTH=352\r\n"), std::string::npos) << identified.out;
    const RunResult r = RunProgram(EncodeArgs(path, folder + "/late.avi"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NEAR(StreamSeconds(folder + "/late.avi", "v:0"), 24.0, 0.15);
}

// The FLV tags of a clip: where each starts, its type (8 sound, 9 pictures) and time in ms.
struct FlvTag {
    size_t at;
    int type;
    uint32_t ms;
};
std::vector<FlvTag> FlvTags(const std::string& data) {
    std::vector<FlvTag> tags;
    for (size_t at = 9 + 4; at + 11 <= data.size();) {
        const auto byte = [&](size_t i) { return static_cast<uint32_t>(uint8_t(data[at + i])); };
        const uint32_t size = byte(1) << 16 | byte(2) << 8 | byte(3);
        tags.push_back({at, static_cast<int>(byte(0)),
                        byte(7) << 24 | byte(4) << 16 | byte(5) << 8 | byte(6)});
        at += 11 + size + 4;
    }
    return tags;
}

TEST(DamagedInput, OneFarOffTimeNeitherStretchesTheFileNorLosesWhatFollows) {
    // One picture about 27 hours late and one piece of sound about 12 days early, as a flipped
    // byte in a tag's time leaves them; unjudged, the picture before would be shown for the
    // hours between and the sound after would be dropped.
    std::string data = ReadFile(Fixture("clip.flv"));
    int pictures = 0, sounds = 0;
    for (const FlvTag& tag : FlvTags(data)) {
        if (tag.type == 9 && ++pictures == 20) {
            data[tag.at + 7] = 0x05;
        }
        if (tag.type == 8 && ++sounds == 30) {
            data[tag.at + 7] = static_cast<char>(0xC0);
        }
    }
    ASSERT_GT(sounds, 30);
    const std::string folder = NewFolder("far-off time");
    WriteFile(folder + "/clip.flv", data);
    const RunResult r = RunProgram(EncodeArgs(folder + "/clip.flv", folder + "/clip.avi"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NEAR(StreamSeconds(folder + "/clip.avi", "v:0"), 2.0, 0.15);
    EXPECT_NEAR(StreamSeconds(folder + "/clip.avi", "a:0"), 2.0, 0.15);
    const DecodedSound sound = DecodeSound(folder + "/clip.avi");
    EXPECT_GT(RmsDb(sound, 1.2, 1.9), -30) << "the sound after the early piece";
}

}  // namespace
}  // namespace tarv::tools::test
