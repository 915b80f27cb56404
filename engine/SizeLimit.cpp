#include "SizeLimit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarv {

namespace {

// The video's floor per pixel shown, and the least it may be.
constexpr double kFloorBitsPerPixel = 0.05;
constexpr int kLeastVideoFloorKbps = 16;
// The picture size the floor counts when the original size is kept: the probe tells only the
// playing time.
constexpr int kOriginalWidth = 320;
constexpr int kOriginalHeight = 240;

// The muxer's boxes that do not grow with the streams (file type, movie and track headers,
// sample descriptions, the media data header), as measured on its files.
constexpr int64_t kFixedBoxBytes = 1250;
// Per entry: a sample size, a chunk offset, a sample-to-chunk run, a sync sample.
constexpr int64_t kSampleSizeBytes = 4;
constexpr int64_t kChunkOffsetBytes = 4;
constexpr int64_t kChunkRunBytes = 12;
constexpr int64_t kSyncSampleBytes = 4;
constexpr int kAacFrameSamples = 1024;
// The tables grow by the same pattern over and over: beyond this length they are foreseen
// from what this length takes rather than walked sample by sample.
constexpr double kWalkedSeconds = 600;

int ValueNumber(OptionList list, int index) {
    int number = 0;
    for (const char c : ValueOf(list, index)) {
        if (c < '0' || c > '9') {
            break;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

// The frame size a resolution value stands for ("176:144"); the assumed one for "".
std::pair<int, int> PictureSize(std::string_view value) {
    const size_t colon = value.find(':');
    int width = 0, height = 0;
    if (colon != std::string_view::npos) {
        for (const char c : value.substr(0, colon)) {
            width = width * 10 + (c - '0');
        }
        for (const char c : value.substr(colon + 1)) {
            height = height * 10 + (c - '0');
        }
    }
    if (width <= 0 || height <= 0) {
        return {kOriginalWidth, kOriginalHeight};
    }
    return {width, height};
}

// What the streams of a file of `seconds` may take together at the given sample rate.
int64_t StreamBytesFor(int64_t limitBytes, double seconds, int frameRate, int sampleRate) {
    return static_cast<int64_t>(std::floor(limitBytes * kLimitShare)) -
           ContainerBytes(seconds, frameRate, sampleRate);
}

double KbpsOf(int64_t bytes, double seconds) {
    return bytes * 8.0 / seconds / 1000.0;
}

// The longest playing time that fits at the lowest quality, to the whole second below.
double LongestFitting(int64_t limitBytes, int frameRate, int sampleRate, int floorKbps) {
    auto fits = [&](double seconds) {
        const int64_t streams = StreamBytesFor(limitBytes, seconds, frameRate, sampleRate);
        return streams >= kLeastStreamBytes && KbpsOf(streams, seconds) >= floorKbps;
    };
    // Without the container the streams alone would last this long: an upper bound.
    double high = std::floor(limitBytes * kLimitShare * 8.0 / (floorKbps * 1000.0)) + 1;
    double low = 0;
    while (high - low > 1) {
        const double middle = std::floor((low + high) / 2);
        (fits(middle) ? low : high) = middle;
    }
    return low;
}

}  // namespace

int VideoFloorKbps(const ConvertOptions& options) {
    const auto [width, height] =
        PictureSize(ValueOf(OptionList::Resolution, options[OptionList::Resolution]));
    const int frameRate = ValueNumber(OptionList::FrameRate, options[OptionList::FrameRate]);
    const double kbps = static_cast<double>(width) * height * frameRate * kFloorBitsPerPixel / 1000;
    return std::max(kLeastVideoFloorKbps, static_cast<int>(std::ceil(kbps)));
}

int64_t ContainerBytes(double seconds, int frameRate, int sampleRate) {
    if (!(seconds > 0) || frameRate <= 0 || sampleRate <= 0) {
        return kFixedBoxBytes;
    }
    if (seconds > kWalkedSeconds) {
        const double walked = static_cast<double>(
            ContainerBytes(kWalkedSeconds, frameRate, sampleRate) - kFixedBoxBytes);
        return kFixedBoxBytes + static_cast<int64_t>(std::ceil(walked * seconds / kWalkedSeconds));
    }
    const int64_t pictures = static_cast<int64_t>(std::ceil(seconds * frameRate - 1e-6));
    // The encoder flushes a frame or two past the sound's end.
    const int64_t sounds =
        static_cast<int64_t>(std::ceil(seconds * sampleRate / kAacFrameSamples)) + 2;

    // The muxer writes the samples in time order, so each track's chunks are its runs between
    // the other's samples; a chunk-run entry is written where a run's length changes.
    int64_t chunks = 0, runEntries = 0;
    int64_t lastRun[2] = {-1, -1};
    int track = -1;
    int64_t run = 0;
    auto endRun = [&] {
        if (track >= 0) {
            ++chunks;
            if (run != lastRun[track]) {
                ++runEntries;
                lastRun[track] = run;
            }
        }
    };
    int64_t picture = 0, sound = 0;
    while (picture < pictures || sound < sounds) {
        // Both times on one scale, frames times sample rate, so no rounding decides a tie.
        const bool nextIsPicture =
            sound >= sounds ||
            (picture < pictures &&
             picture * sampleRate <= sound * kAacFrameSamples * static_cast<int64_t>(frameRate));
        const int next = nextIsPicture ? 0 : 1;
        if (next != track) {
            endRun();
            track = next;
            run = 0;
        }
        ++run;
        ++(nextIsPicture ? picture : sound);
    }
    endRun();
    // A sync sample at least every second covers the encoders' key frames and scene cuts.
    const int64_t syncSamples = static_cast<int64_t>(std::ceil(seconds)) + 1;
    return kFixedBoxBytes + (pictures + sounds) * kSampleSizeBytes + chunks * kChunkOffsetBytes +
           runEntries * kChunkRunBytes + syncSamples * kSyncSampleBytes;
}

SizePlan PlanForSize(const ConvertOptions& options, int64_t limitBytes, double seconds) {
    SizePlan plan;
    const int frameRate = ValueNumber(OptionList::FrameRate, options[OptionList::FrameRate]);
    const int chosenRate = ValueNumber(OptionList::SampleRate, options[OptionList::SampleRate]);
    const int chosenAudio =
        ValueNumber(OptionList::AudioBitrate, options[OptionList::AudioBitrate]);
    const int chosenVideo =
        ValueNumber(OptionList::VideoBitrate, options[OptionList::VideoBitrate]);
    const int videoFloor = VideoFloorKbps(options);
    const int loweredRate = std::min(chosenRate, kLoweredSampleRate);
    if (limitBytes <= 0 || frameRate <= 0 || chosenRate <= 0 || chosenAudio <= 0 ||
        chosenVideo <= 0) {
        plan.reason = "The options give no bitrates to fit " + SizeText(limitBytes) + " with.";
        return plan;
    }
    plan.longestSeconds =
        LongestFitting(limitBytes, frameRate, loweredRate, videoFloor + kAudioFloorKbps);
    // "At most 0:00 fits" would read as a riddle: a limit this small is named as such.
    const std::string tooSmall =
        SizeText(limitBytes) + " is too small: not even a second fits at the lowest quality.";
    if (plan.longestSeconds < 1) {
        plan.reason = tooSmall;
        return plan;
    }
    if (!(seconds > 0)) {
        plan.reason = "Its playing time is unknown, so no bitrates can be chosen to fit " +
                      SizeText(limitBytes) + ".";
        return plan;
    }

    // The sound keeps its bitrate while it takes at most half of what there is and leaves the
    // video its floor; otherwise it goes down to half, or to what the video's floor leaves,
    // in one channel of a voice's sample rate.
    plan.audioKbps = chosenAudio;
    plan.sampleRate = chosenRate;
    plan.streamBytes = StreamBytesFor(limitBytes, seconds, frameRate, chosenRate);
    double budget = KbpsOf(plan.streamBytes, seconds);
    if (chosenAudio > budget / 2 || budget - chosenAudio < videoFloor) {
        plan.mono = true;
        plan.sampleRate = loweredRate;
        plan.streamBytes = StreamBytesFor(limitBytes, seconds, frameRate, loweredRate);
        budget = KbpsOf(plan.streamBytes, seconds);
        const double lowered = std::min(budget / 2, budget - videoFloor);
        plan.audioKbps = std::clamp(static_cast<int>(std::floor(lowered)), kAudioFloorKbps,
                                    std::min(chosenAudio, kLoweredMostKbps));
    }
    if (plan.streamBytes < kLeastStreamBytes) {
        plan.reason = tooSmall;
        return plan;
    }
    if (budget - plan.audioKbps < videoFloor) {
        plan.reason = "Too long for " + SizeText(limitBytes) + ": at most " +
                      LengthText(plan.longestSeconds) + " fits at the lowest quality.";
        return plan;
    }
    plan.videoKbps = std::min(chosenVideo, static_cast<int>(std::floor(budget - plan.audioKbps)));
    plan.fits = true;
    return plan;
}

std::string SizeText(int64_t bytes) {
    char text[32];
    auto scaled = [&](double value, const char* unit) {
        // One decimal where it says something: "3.5 MB", but "300 KB", not "300.0 KB".
        const double tenths = std::round(value * 10) / 10;
        if (tenths == std::floor(tenths)) {
            std::snprintf(text, sizeof text, "%.0f %s", tenths, unit);
        } else {
            std::snprintf(text, sizeof text, "%.1f %s", tenths, unit);
        }
        return std::string(text);
    };
    if (bytes >= 1024 * 1024) {
        return scaled(bytes / (1024.0 * 1024.0), "MB");
    }
    if (bytes >= 1024) {
        return scaled(bytes / 1024.0, "KB");
    }
    return std::to_string(std::max<int64_t>(bytes, 0)) + " bytes";
}

std::string LengthText(double seconds) {
    const int64_t whole = seconds > 0 ? static_cast<int64_t>(seconds) : 0;
    char text[48];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
                      static_cast<long long>(whole % 3600 / 60),
                      static_cast<long long>(whole % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                      static_cast<long long>(whole % 60));
    }
    return text;
}

std::string PlanText(const SizePlan& plan, int64_t limitBytes) {
    if (!plan.fits) {
        return plan.reason;
    }
    std::string text = "To fit " + SizeText(limitBytes) + ": video " +
                       std::to_string(plan.videoKbps) + " kbps, audio " +
                       std::to_string(plan.audioKbps) + " kbps";
    if (plan.mono) {
        text += ", mono at " + std::to_string(plan.sampleRate) + " Hz";
    }
    return text;
}

}  // namespace tarv
