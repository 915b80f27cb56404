// Fitting a converted file into a size limit: from its playing time, the bitrates that use as
// much of the limit as can safely be used, or why the file cannot fit at all.
#pragma once

#include <cstdint>
#include <string>

#include "OptionCatalogue.h"

namespace tarv {

// The lowest quality a file is made in to fit: the sound at this bitrate, mixed down to one
// channel, and the video at VideoFloorKbps.
inline constexpr int kAudioFloorKbps = 16;
// A lowered sound is sampled at most this often: a voice needs no more. One channel at that
// rate sounds no better above kLoweredMostKbps, so the video gets the rest.
inline constexpr int kLoweredSampleRate = 22050;
inline constexpr int kLoweredMostKbps = 64;
// The share of the limit a file aims at: the encoder lands its streams a little under their
// bound, and the container's bytes are foreseen exactly.
inline constexpr double kLimitShare = 0.985;
// The least the encoder takes as the bytes of both streams: below it the streams' own headers
// and first picture no longer fit, whatever their bitrates.
inline constexpr int64_t kLeastStreamBytes = 4096;

// How one file is encoded to fit its limit.
struct SizePlan {
    bool fits = false;
    int videoKbps = 0;   // the video's share when the sound takes its bitrate; at most the chosen
    int audioKbps = 0;   // at most the chosen
    int sampleRate = 0;  // Hz
    bool mono = false;   // the sound was lowered: one channel, at most kLoweredSampleRate
    // What video and sound may take together: the aim less the container's own bytes.
    int64_t streamBytes = 0;
    double longestSeconds = 0;  // the most that fits the limit at the lowest quality
    std::string reason;         // when it does not fit: why, in a sentence
};

// The plan for a file of `seconds` under `limitBytes` with the chosen options. A file of
// unknown length (0 or less) cannot be planned for.
SizePlan PlanForSize(const ConvertOptions& options, int64_t limitBytes, double seconds);

// The video's lowest bitrate: a few hundredths of a bit per pixel, counting the pictures of
// the original size as 320x240, and never below 16 kbit/s.
int VideoFloorKbps(const ConvertOptions& options);

// The bytes of a 3GPP file beside its two streams, for streams of `seconds` at the frame and
// sample rates: its fixed boxes, and its tables of sample sizes, chunk offsets and chunk runs,
// laid out as the muxer interleaves the two tracks.
int64_t ContainerBytes(double seconds, int frameRate, int sampleRate);

// "300 KB", "1 MB", "3.5 MB" (KB and MB of 1024); a size under a kilobyte in bytes.
std::string SizeText(int64_t bytes);
// "0:48", "12:05", "1:02:05": whole seconds, cut down.
std::string LengthText(double seconds);
// What a row's tool tip says of its plan: "To fit 300 KB: video 46 kbps, audio 32 kbps".
std::string PlanText(const SizePlan& plan, int64_t limitBytes);

}  // namespace tarv
