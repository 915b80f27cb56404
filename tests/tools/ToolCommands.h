// The five step command lines and the identify line, as the program forms them, as argument
// vectors for the test runner.
#pragma once

#include <string>
#include <vector>

#include "ToolRunner.h"

namespace tarv::tools::test {

struct EncodeChoice {
    bool x264 = false;
    std::string scale = "176:144";  // "" is "Original as input"
    std::string fps = "10";
    std::string sampleRate = "22050";
    std::string audioKbps = "32";
    std::string videoKbps = "100";
};

inline std::vector<std::string> EncodeArgs(const std::string& input, const std::string& avi,
                                           const EncodeChoice& c = {}) {
    std::vector<std::string> args = {ToolPath(4),
                                     "-af",
                                     "volnorm",
                                     "-srate",
                                     c.sampleRate,
                                     "-vf-add",
                                     "scale=" + c.scale + ",harddup",
                                     "-ofps",
                                     c.fps,
                                     "-oac",
                                     "faac",
                                     "-faacopts",
                                     "br=" + c.audioKbps + ":mpeg=4:object=2"};
    if (c.x264) {
        args.insert(args.end(), {"-ovc", "x264", "-ffourcc", "H264", "-x264encopts",
                                 "bitrate=" + c.videoKbps + ":level_idc=12:nocabac:bframes=0"});
    } else {
        args.insert(args.end(),
                    {"-ovc", "xvid", "-xvidencopts", "bitrate=" + c.videoKbps + ":max_bframes=0"});
    }
    args.insert(args.end(), {input, "-o", avi});
    return args;
}

inline std::vector<std::string> RawVideoArgs(const std::string& avi, const std::string& raw) {
    return {ToolPath(4), "-ovc", "copy", "-nosound", "-of", "rawvideo", avi, "-o", raw};
}

inline std::vector<std::string> RawAudioArgs(const std::string& avi, const std::string& aac) {
    return {ToolPath(4), "-ovc", "frameno", "-oac", "copy", "-of", "rawaudio", avi, "-o", aac};
}

inline std::vector<std::string> VideoMuxArgs(const std::string& raw, const std::string& fps,
                                             const std::string& target) {
    return {ToolPath(5), "-c", raw, "-rate=" + fps, target};
}

inline std::vector<std::string> AudioMuxArgs(const std::string& aac, const std::string& target) {
    return {ToolPath(5), "-c", aac, target};
}

}  // namespace tarv::tools::test
