// The encoder's three command lines, read into one job: encode a file into an AVI, or copy
// the AVI's video or audio stream out into a raw track file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "Arguments.h"
#include "Status.h"

namespace tarv::tools {

enum class EncoderMode { kEncode, kRawVideo, kRawAudio };
enum class VideoFamily { kXvid, kX264 };

struct EncodeSettings {
    VideoFamily family = VideoFamily::kXvid;
    int videoKbps = 800;
    std::string fourcc;  // empty: the family's usual tag
    int levelIdc = 0;    // H.264 level times ten; 0 leaves it to the encoder
    bool cabac = true;
    int bFrames = 0;
    std::optional<std::pair<int, int>> scale;  // width, height; empty keeps the input size
    std::pair<int, int> frameRate{0, 0};       // num, den; 0/0 keeps the input's rate
    int sampleRate = 0;                        // 0 keeps the input's rate
    int audioKbps = 128;
    int channels = 0;  // the most sound channels kept: 1 or 2; 0 keeps up to two
    bool normaliseVolume = false;
    // What the video and sound streams may take together, in bytes; 0 for no bound. With a
    // bound the input is read twice: the first pass measures what the sound and the pictures
    // cost, the second gives the video what the sound leaves, never more than its bitrate.
    int64_t streamBytes = 0;
};

struct EncoderJob {
    EncoderMode mode = EncoderMode::kEncode;
    std::string input;
    std::string output;
    EncodeSettings encode;  // read only in kEncode
};

// Reads the arguments after the program name; any option order. A wrong command line gives
// a usage status naming the offending option or value.
Status ParseEncoderCommand(std::span<const std::string> args, const ExistsFn& exists,
                           EncoderJob& job);

}  // namespace tarv::tools
