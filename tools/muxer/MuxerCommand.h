// The muxer's command line: the raw track files to add ("-c FILE", any number), the frame
// rate of raw video tracks ("-rate=F") and, last, the 3GPP file they go into.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Arguments.h"
#include "Status.h"

namespace tarv::tools {

struct MuxJob {
    std::vector<std::string> tracks;
    std::pair<int, int> frameRate{25, 1};  // num, den; raw video names none of its own
    std::string target;
};

Status ParseMuxerCommand(std::span<const std::string> args, MuxJob& job);

}  // namespace tarv::tools
