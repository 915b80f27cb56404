// Real clips fitted to a size limit by tarv-convert and the real tools: a representative part
// of the matrix bench/size_bench.py runs whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "RunToEnd.h"
#include "SizeLimit.h"
#include "TempFolder.h"

using namespace tarv;

namespace {

// The clips of the tests, made once: moving pictures under fresh noise with music-like sound,
// or slowly turning gradients with a voice that pauses.
class Clips {
public:
    static std::string Make(const std::string& motion, int seconds) {
        const std::string path = Folder().Path() + motion + std::to_string(seconds) + ".mp4";
        if (std::filesystem::exists(path)) {
            return path;
        }
        const std::string video = motion == "high"
                                      ? "testsrc2=size=320x240:rate=25,noise=alls=10:allf=t"
                                      : "gradients=size=320x240:rate=25:speed=0.005,"
                                        "noise=alls=3:allf=t";
        const std::string sound =
            motion == "high"
                ? "aevalsrc='0.06*(sin(2*PI*220*t)+sin(2*PI*277*t)+sin(2*PI*330*t))+"
                  "0.17*sin(2*PI*55*t)*exp(-6*mod(t,0.5))+0.06*(random(0)-0.5)':s=44100:c=stereo"
                : "aevalsrc='0.3*(sin(2*PI*150*t)+0.5*sin(2*PI*300*t)+0.2*sin(2*PI*1200*t))*"
                  "pow(abs(sin(2*PI*3.1*t)),3)*gt(sin(2*PI*0.37*t)+0.5,0)':s=44100:c=stereo";
        const RunOutput made =
            RunToEnd({FFMPEG_PATH, "-nostdin", "-v",   "error", "-y",
                      "-f",        "lavfi",    "-i",   video,   "-f",
                      "lavfi",     "-i",       sound,  "-t",    std::to_string(seconds),
                      "-c:v",      "mpeg4",    "-q:v", "3",     "-c:a",
                      "aac",       "-b:a",     "192k", path});
        EXPECT_TRUE(made.status.Succeeded()) << made.text;
        return path;
    }

private:
    static TempFolder& Folder() {
        static TempFolder folder;
        return folder;
    }
};

struct Converted {
    RunOutput run;
    std::vector<nlohmann::json> records;
    std::vector<int64_t> sizes;  // of the files made, in the order given
};

// Converts with --progress=json at the highest bitrates, so every file would be larger than
// the limit without it.
Converted Convert(const std::vector<std::string>& options, const std::vector<std::string>& files) {
    TempFolder output;
    Arguments command = {TARV_PROGRAM_DIR "tarv-convert",
                         "--progress=json",
                         "--video-quality",
                         "10",
                         "--audio-quality",
                         "8",
                         "-o",
                         output.Path()};
    command.insert(command.begin() + 1, options.begin(), options.end());
    command.insert(command.end(), files.begin(), files.end());
    Converted converted;
    converted.run = RunToEnd(command, 300000);
    std::istringstream lines(converted.run.text);
    std::string line;
    while (std::getline(lines, line)) {
        converted.records.push_back(nlohmann::json::parse(line));
    }
    for (const std::string& file : files) {
        const std::string made =
            output.Path() + std::filesystem::path(file).stem().string() + ".3gp";
        converted.sizes.push_back(std::filesystem::exists(made)
                                      ? static_cast<int64_t>(std::filesystem::file_size(made))
                                      : -1);
    }
    return converted;
}

const nlohmann::json& Event(const Converted& converted, int file, const std::string& event) {
    static const nlohmann::json none;
    for (const nlohmann::json& record : converted.records) {
        if (record["file"] == file && record["event"] == event) {
            return record;
        }
    }
    return none;
}

}  // namespace

TEST(SizeLimitEndToEnd, ThirtySecondsFill300KbInBothFormatsAndATooLongClipFailsAlone) {
    const std::string high = Clips::Make("high", 30);
    const std::string low = Clips::Make("low", 30);
    for (const char* format : {"0", "1"}) {
        SCOPED_TRACE(format);
        // 100 KB hold about 20 s at the lowest quality: the first file cannot fit, the others
        // are made all the same.
        const Converted small = Convert({"--format", format, "--max-size", "100K"}, {high});
        EXPECT_EQ(small.run.status.code, 1);
        ConvertOptions options = StartSelections();
        options.format = format[0] - '0';
        ApplyFormatPreset(options);
        const SizePlan plan = PlanForSize(options, 100 * 1024, 30);
        EXPECT_EQ(Event(small, 1, "end")["reason"], "Too long for 100 KB: at most " +
                                                        LengthText(plan.longestSeconds) +
                                                        " fits at the lowest quality.");
        EXPECT_TRUE(Event(small, 1, "probed")["video_kbps"].is_null());

        const Converted fitted = Convert({"--format", format, "--max-size", "300K"}, {high, low});
        ASSERT_TRUE(fitted.run.status.Succeeded()) << fitted.run.text;
        for (int file : {1, 2}) {
            SCOPED_TRACE(file);
            EXPECT_EQ(Event(fitted, file, "end")["status"], "done");
            const int64_t size = fitted.sizes[file - 1];
            EXPECT_LE(size, 300 * 1024);
            EXPECT_GE(size, 300 * 1024 * 9 / 10);
            // The bitrates chosen for the file, never above the chosen 1200 and 192.
            const nlohmann::json& probed = Event(fitted, file, "probed");
            EXPECT_GT(probed["video_kbps"].get<int>(), 16);
            EXPECT_LT(probed["video_kbps"].get<int>(), 80);
            EXPECT_LE(probed["audio_kbps"].get<int>(), 192);
        }
    }
}

TEST(SizeLimitEndToEnd, EveryLengthAndMotionFillsBothLimitsInBothFormats) {
    // Clips of 10, 30 and 60 s, of high and low motion, converted together, two at a time, into
    // each limit in each format. 1 MB gets pictures large enough to take the bitrates it
    // leaves: 320x240 at 25 fps.
    std::vector<std::string> clips, names;
    for (const int seconds : {10, 30, 60}) {
        for (const char* motion : {"high", "low"}) {
            clips.push_back(Clips::Make(motion, seconds));
            names.push_back(motion + std::to_string(seconds));
        }
    }
    struct Limit {
        const char* text;
        int64_t bytes;
        std::vector<std::string> more;
    };
    const std::vector<Limit> limits = {
        {"300K", 300 * 1024, {}},
        {"1M", 1024 * 1024, {"--resolution", "10", "--framerate", "5"}},
    };
    for (const Limit& limit : limits) {
        for (const char* format : {"0", "1"}) {
            std::vector<std::string> options = {"--jobs", "2",          "--format",
                                                format,   "--max-size", limit.text};
            options.insert(options.end(), limit.more.begin(), limit.more.end());
            const Converted converted = Convert(options, clips);
            ASSERT_TRUE(converted.run.status.Succeeded()) << converted.run.text;
            for (size_t i = 0; i < clips.size(); ++i) {
                SCOPED_TRACE(names[i] + " s, format " + format + " at " + limit.text);
                const int64_t size = converted.sizes[i];
                EXPECT_LE(size, limit.bytes);
                EXPECT_GE(size, limit.bytes * 9 / 10);
                const nlohmann::json& probed = Event(converted, static_cast<int>(i) + 1, "probed");
                std::printf(
                    "%-6s format %s at %-4s: %7lld bytes, %5.1f %% of the limit; video %s, "
                    "audio %s kbps at %s Hz\n",
                    names[i].c_str(), format, limit.text, static_cast<long long>(size),
                    100.0 * static_cast<double>(size) / static_cast<double>(limit.bytes),
                    probed["video_kbps"].dump().c_str(), probed["audio_kbps"].dump().c_str(),
                    probed["sample_rate"].dump().c_str());
            }
        }
    }
}
