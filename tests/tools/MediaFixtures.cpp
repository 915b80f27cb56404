#include "MediaFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace tarv::tools::test {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "tarv-tools-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            m_path = pattern;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// ffmpeg arguments after "-y" that make each fixture.
std::vector<std::string> Recipe(const std::string& name) {
    const std::string video = "testsrc=size=160x120:rate=25:duration=2";
    const std::string stereo =
        "sine=frequency=440:sample_rate=44100:duration=2,"
        "aformat=channel_layouts=stereo";
    if (name == "clip.mp4") {
        return {"-f", "lavfi", "-i",   video,   "-f",   "lavfi",
                "-i", stereo,  "-c:v", "mpeg4", "-c:a", "aac"};
    }
    if (name == "clip.avi") {
        return {"-f", "lavfi", "-i",   video,   "-f",   "lavfi",
                "-i", stereo,  "-c:v", "mpeg4", "-c:a", "libmp3lame"};
    }
    if (name == "clip.mpg") {
        return {"-f",   "lavfi", "-i",         video,  "-f",  "lavfi", "-i",
                stereo, "-c:v",  "mpeg2video", "-c:a", "mp2", "-f",    "vob"};
    }
    if (name == "clip.flv") {
        return {"-f", "lavfi", "-i",   video, "-f",   "lavfi",
                "-i", stereo,  "-c:v", "flv", "-c:a", "libmp3lame"};
    }
    if (name == "clip.wmv") {
        return {"-f", "lavfi", "-i",   video,  "-f",   "lavfi",
                "-i", stereo,  "-c:v", "wmv2", "-c:a", "wmav2"};
    }
    if (name == "mute.mp4") {
        return {"-f", "lavfi", "-i", video, "-c:v", "mpeg4"};
    }
    if (name == "sound.m4a") {
        return {"-f", "lavfi", "-i", stereo, "-c:a", "aac"};
    }
    if (name == "odd.avi") {
        return {"-f", "lavfi", "-i", "testsrc=size=161x121:rate=25:duration=2", "-c:v", "ffv1"};
    }
    if (name == "rotated.mp4") {
        return {"-f",
                "lavfi",
                "-i",
                "color=c=red:s=32x48:r=25:d=2[a];color=c=blue:s=32x48:r=25:d=2[b];"
                "[a][b]hstack[out0]",
                "-c:v",
                "mpeg4",
                "-q:v",
                "2"};
    }
    if (name == "surround.mp4") {
        // Loud in every channel: the down-mix alone would be well past full scale.
        return {"-f",   "lavfi", "-i",   video,
                "-f",   "lavfi", "-i",   "aevalsrc=0.9*sin(2*PI*440*t):s=48000:d=2:c=5.1",
                "-c:v", "mpeg4", "-c:a", "aac",
                "-b:a", "384k"};
    }
    if (name == "tone.mp4") {
        // A steady tone at -21 dBFS (RMS) for six seconds.
        return {"-f",   "lavfi", "-i",   "testsrc=size=160x120:rate=25:duration=6",
                "-f",   "lavfi", "-i",   "aevalsrc=0.126*sin(2*PI*440*t):s=44100:d=6",
                "-c:v", "mpeg4", "-c:a", "aac",
                "-b:a", "192k"};
    }
    if (name == "longer-sound.mp4") {
        // Two seconds of picture and four of a steady tone, as a song over a short clip.
        return {"-f",   "lavfi", "-i",   video,
                "-f",   "lavfi", "-i",   "aevalsrc=0.126*sin(2*PI*440*t):s=44100:d=4",
                "-c:v", "mpeg4", "-c:a", "aac",
                "-b:a", "128k"};
    }
    if (name == "long-sound.mp4") {
        // Telephone sound that runs 0.4 s past the picture.
        return {"-f",   "lavfi", "-i",   video,
                "-f",   "lavfi", "-i",   "sine=frequency=440:sample_rate=8000:duration=2.4",
                "-c:v", "mpeg4", "-c:a", "aac",
                "-ac",  "1"};
    }
    if (name == "wide.mp4") {
        // A DVD frame: 720x480 stored, 16:9 shown.
        return {"-f",   "lavfi", "-i", "testsrc=size=720x480:rate=25:duration=1,setsar=32/27",
                "-c:v", "mpeg4"};
    }
    if (name == "upright.mp4") {
        // A phone held upright: 320x180 stored, marked as turned a quarter clockwise.
        return {"-f", "lavfi", "-i", "testsrc=size=320x180:rate=30:duration=1", "-c:v", "mpeg4"};
    }
    if (name == "one-frame.mp4") {
        return {"-f",        "lavfi", "-i",   "testsrc=size=160x120:rate=25",
                "-frames:v", "1",     "-c:v", "mpeg4"};
    }
    if (name == "short-sound.mp4") {
        return {"-f",   "lavfi", "-i",   "testsrc=size=160x120:rate=25:duration=0.04",
                "-f",   "lavfi", "-i",   "sine=frequency=440:duration=0.04",
                "-c:v", "mpeg4", "-c:a", "aac"};
    }
    if (name == "speech.mp4") {
        // Voiced syllables three times a second in phrases with pauses, about -21 LUFS.
        return {"-f",
                "lavfi",
                "-i",
                "testsrc=size=160x120:rate=25:duration=6",
                "-f",
                "lavfi",
                "-i",
                "aevalsrc='0.2*(sin(2*PI*130*t)+0.6*sin(2*PI*260*t)+0.45*sin(2*PI*390*t)+"
                "0.35*sin(2*PI*520*t)+0.25*sin(2*PI*780*t)+0.2*sin(2*PI*1170*t)+"
                "0.1*sin(2*PI*2340*t)+0.08*(random(0)-0.5))*pow(abs(sin(2*PI*3.1*t)),3)*"
                "gt(sin(2*PI*0.37*t)+0.5,0)':s=44100:d=6,aformat=channel_layouts=stereo",
                "-c:v",
                "mpeg4",
                "-c:a",
                "aac",
                "-b:a",
                "192k"};
    }
    if (name == "music.mp4") {
        // A held chord over a bass drum on every beat and a hi-hat between, about -19 LUFS.
        const std::string chord =
            "0.06*(sin(2*PI*220*t)+sin(2*PI*277.18*t)+sin(2*PI*329.63*t)+0.5*sin(2*PI*440*t))+"
            "0.17*sin(2*PI*55*t)*exp(-6*mod(t,0.5))";
        return {"-f",
                "lavfi",
                "-i",
                "testsrc=size=160x120:rate=25:duration=6",
                "-f",
                "lavfi",
                "-i",
                "aevalsrc='" + chord + "+0.06*(random(0)-0.5)*exp(-25*mod(t+0.25,0.5))|" + chord +
                    "+0.06*(random(1)-0.5)*exp(-25*mod(t+0.25,0.5))':s=44100:d=6",
                "-c:v",
                "mpeg4",
                "-c:a",
                "aac",
                "-b:a",
                "192k"};
    }
    if (name == "noise-quiet-loud.mp4") {
        // Two seconds of hiss at -56 dBFS, three of a quiet tone, then two of a loud one.
        return {"-f",
                "lavfi",
                "-i",
                "testsrc=size=160x120:rate=25:duration=7",
                "-f",
                "lavfi",
                "-i",
                "anoisesrc=color=pink:amplitude=0.008:r=44100:d=2:seed=3",
                "-f",
                "lavfi",
                "-i",
                "aevalsrc='if(lt(t,3),0.04,0.7)*sin(2*PI*440*t)':s=44100:d=5",
                "-filter_complex",
                "[1:a][2:a]concat=n=2:v=0:a=1[a]",
                "-map",
                "0:v",
                "-map",
                "[a]",
                "-c:v",
                "mpeg4",
                "-c:a",
                "aac",
                "-b:a",
                "192k"};
    }
    if (name == "song.mp3") {
        // Sound with its cover art, a bright picture, as music players keep it.
        return {"-f",
                "lavfi",
                "-i",
                "sine=frequency=440:duration=2.5",
                "-f",
                "lavfi",
                "-i",
                "color=c=white:s=200x200:d=1",
                "-map",
                "0:a",
                "-map",
                "1:v",
                "-frames:v",
                "1",
                "-c:a",
                "libmp3lame",
                "-c:v",
                "mjpeg",
                "-disposition:v",
                "attached_pic"};
    }
    if (name == "still.png") {
        return {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-frames:v", "1"};
    }
    return {};
}

// Marks the only track of an MP4 file as turned a quarter clockwise, as a phone held upright
// does: the track header's display matrix becomes (0 1 / -1 0).
bool MarkTurnedClockwise(const std::string& path) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t box = bytes.find("tkhd");
    if (box == std::string::npos || bytes[box + 4] != 0) {
        return false;  // only the version-0 header is laid out as below
    }
    // type, version and flags, four times and durations, reserved, layer, group, volume.
    const size_t matrix = box + 4 + 4 + 20 + 8 + 8;
    const uint32_t turned[9] = {0, 0x10000, 0, 0xFFFF0000u, 0, 0, 0, 0, 0x40000000};
    for (int i = 0; i < 9; ++i) {
        for (int b = 0; b < 4; ++b) {
            bytes[matrix + i * 4 + b] = static_cast<char>(turned[i] >> (24 - 8 * b));
        }
    }
    file.seekp(0);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string Trim(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

std::string Ffprobe(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"ffprobe", "-v", "error"};
    argv.insert(argv.end(), args.begin(), args.end());
    return Trim(RunProgram(argv).out);
}

}  // namespace

const std::string& Scratch() {
    static ScratchFolder folder;
    return folder.Path();
}

std::string NewFolder(const std::string& name) {
    static int counter = 0;
    const fs::path path = fs::path(Scratch()) / (std::to_string(++counter) + "-" + name);
    fs::create_directories(path);
    return path.string();
}

bool Ffmpeg(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv).exitCode == 0;
}

std::string Fixture(const std::string& name) {
    static std::mutex mutex;
    static std::map<std::string, std::string> made;
    std::lock_guard lock(mutex);
    if (auto it = made.find(name); it != made.end()) {
        return it->second;
    }
    const std::string folder = (fs::path(Scratch()) / "fixtures").string();
    fs::create_directories(folder);
    const std::string path = (fs::path(folder) / name).string();
    std::vector<std::string> args = Recipe(name);
    args.push_back(path);
    if (args.size() == 1 || !Ffmpeg(args)) {
        return {};
    }
    if ((name == "rotated.mp4" || name == "upright.mp4") && !MarkTurnedClockwise(path)) {
        return {};
    }
    made[name] = path;
    return path;
}

std::string StreamField(const std::string& file, const std::string& stream,
                        const std::string& field) {
    return Ffprobe({"-select_streams", stream, "-show_entries", "stream=" + field, "-of",
                    "default=noprint_wrappers=1:nokey=1", file});
}

std::string FormatField(const std::string& file, const std::string& field) {
    return Ffprobe(
        {"-show_entries", "format=" + field, "-of", "default=noprint_wrappers=1:nokey=1", file});
}

std::string Brand(const std::string& file) {
    return Ffprobe({"-show_entries", "format_tags=major_brand", "-of",
                    "default=noprint_wrappers=1:nokey=1", file});
}

double StreamSeconds(const std::string& file, const std::string& stream) {
    const std::string text = StreamField(file, stream, "duration");
    return text.empty() || text == "N/A" ? -1 : std::atof(text.c_str());
}

int StreamCount(const std::string& file) {
    const std::string text = FormatField(file, "nb_streams");
    return text.empty() ? -1 : std::atoi(text.c_str());
}

std::string PictureTypes(const std::string& file) {
    std::string types = Ffprobe({"-select_streams", "v:0", "-show_entries", "frame=pict_type",
                                 "-of", "default=noprint_wrappers=1:nokey=1", file});
    types.erase(std::remove(types.begin(), types.end(), '\n'), types.end());
    return types;
}

double DisplayAspect(const std::string& file) {
    const double width = std::atof(StreamField(file, "v:0", "width").c_str());
    const double height = std::atof(StreamField(file, "v:0", "height").c_str());
    const std::string sar = StreamField(file, "v:0", "sample_aspect_ratio");
    const size_t colon = sar.find(':');
    double ratio = 1;
    if (colon != std::string::npos && std::atof(sar.substr(colon + 1).c_str()) > 0) {
        ratio = std::atof(sar.c_str()) / std::atof(sar.substr(colon + 1).c_str());
    }
    return height > 0 ? width * ratio / height : 0;
}

DecodedSound DecodeSound(const std::string& file) {
    DecodedSound sound;
    sound.sampleRate = std::atoi(StreamField(file, "a:0", "sample_rate").c_str());
    sound.channels = std::atoi(StreamField(file, "a:0", "channels").c_str());
    const std::string bytes =
        RunProgram({"ffmpeg", "-v", "error", "-i", file, "-map", "0:a:0", "-f", "f32le", "-"}).out;
    sound.samples.resize(bytes.size() / sizeof(float));
    std::memcpy(sound.samples.data(), bytes.data(), sound.samples.size() * sizeof(float));
    return sound;
}

Loudness LoudnessOf(const std::string& file) {
    const std::string text = RunProgram({"ffmpeg", "-nostdin", "-hide_banner", "-i", file, "-map",
                                         "0:a:0", "-af", "ebur128=peak=true", "-f", "null", "-"})
                                 .err;
    // The summary at the end: "Integrated loudness: I: -12.3 LUFS ... True peak: Peak: -1.5 dBFS".
    const size_t summary = text.rfind("Integrated loudness:");
    auto after = [&](const std::string& key) {
        const size_t at = summary == std::string::npos ? summary : text.find(key, summary);
        return at == std::string::npos ? std::nan("") : std::atof(text.c_str() + at + key.size());
    };
    return {after("I:"), after("Peak:")};
}

double RmsDb(const DecodedSound& sound, double from, double to) {
    const size_t channels = std::max(sound.channels, 1);
    const size_t begin = static_cast<size_t>(from * sound.sampleRate) * channels;
    const size_t end =
        std::min(sound.samples.size(), static_cast<size_t>(to * sound.sampleRate) * channels);
    double sum = 0;
    for (size_t i = begin; i < end; ++i) {
        sum += static_cast<double>(sound.samples[i]) * sound.samples[i];
    }
    return end > begin ? 10 * std::log10(sum / static_cast<double>(end - begin) + 1e-20) : -200;
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tarv::tools::test
