// What the identify tool learns about a file, and the "ID_...=value" report it prints.
#pragma once

#include <optional>
#include <string>

#include "Status.h"

namespace tarv::tools {

struct VideoFacts {
    std::string codec;
    int width = 0;
    int height = 0;
    double fps = 0;       // 0 when the file names no rate
    int rotation = 0;     // clockwise degrees a player turns the picture: 0, 90, 180 or 270
    int64_t bitrate = 0;  // bit/s, 0 when unknown
};

struct AudioFacts {
    std::string codec;
    int sampleRate = 0;
    int channels = 0;
    int64_t bitrate = 0;
};

struct MediaFacts {
    std::string path;
    std::string container;
    double lengthSeconds = -1;  // negative when it cannot be told
    std::optional<VideoFacts> video;
    std::optional<AudioFacts> audio;
};

// Lines of "ID_KEY=value", each ended by a carriage return and a line feed. The length
// is printed with two decimals and only when it is known.
std::string FormatIdentifyReport(const MediaFacts& facts);

// Reads the facts of `path`, from the container's header where it has them.
Status IdentifyMedia(const std::string& path, MediaFacts& facts);

}  // namespace tarv::tools
