#include "EncoderCommand.h"

#include <map>

namespace tarv::tools {

namespace {

constexpr OptionSpec kOptions[] = {
    {"-af", ValueStyle::kNext},          {"-srate", ValueStyle::kNext},
    {"-vf-add", ValueStyle::kNext},      {"-ofps", ValueStyle::kNext},
    {"-oac", ValueStyle::kNext},         {"-faacopts", ValueStyle::kNext},
    {"-ovc", ValueStyle::kNext},         {"-xvidencopts", ValueStyle::kNext},
    {"-x264encopts", ValueStyle::kNext}, {"-ffourcc", ValueStyle::kNext},
    {"-nosound", ValueStyle::kNone},     {"-of", ValueStyle::kNext},
    {"-o", ValueStyle::kNext},           {"-channels", ValueStyle::kNext},
};

Status BadValue(const std::string& option, const std::string& value, const char* expected) {
    return Status::Usage("option " + option + " has the value \"" + value + "\"; " + expected);
}

Status ReadKbps(const std::string& option, const std::string& value, int& kbps) {
    const auto parsed = ParseInt(value, 1, 100000);
    if (!parsed) {
        return BadValue(option, value, "expected a bitrate in kbit/s");
    }
    kbps = *parsed;
    return Status::Ok();
}

Status ReadStreamBytes(const std::string& option, const std::string& value, int64_t& bytes) {
    // From a few kilobytes, the least a file of any length needs, to far beyond any phone's.
    const auto parsed = ParseInt(value, 4096, 2000000000);
    if (!parsed) {
        return BadValue(option, value, "expected a size in bytes");
    }
    bytes = *parsed;
    return Status::Ok();
}

Status ReadAacOptions(const std::string& text, EncodeSettings& s) {
    for (const auto& [key, value] : SplitSubOptions(text)) {
        if (key == "br") {
            if (Status st = ReadKbps("-faacopts br", value, s.audioKbps); !st) {
                return st;
            }
        } else if (key == "mpeg") {
            if (value != "4") {
                return BadValue("-faacopts mpeg", value, "only MPEG-4 AAC (4) is written");
            }
        } else if (key == "object") {
            if (value != "2") {
                return BadValue("-faacopts object", value, "only AAC-LC (2) is written");
            }
        } else {
            return Status::Usage("unknown option " + key + " in -faacopts");
        }
    }
    return Status::Ok();
}

Status ReadBFrames(const std::string& option, const std::string& value, int& bFrames) {
    // AVI stores frames in decoding order with no separate presentation times, and the raw
    // tracks are stamped frame by frame, so B-frames could not survive the later steps.
    if (value != "0") {
        return BadValue(option, value, "only 0 is supported");
    }
    bFrames = 0;
    return Status::Ok();
}

Status ReadXvidOptions(const std::string& text, EncodeSettings& s) {
    for (const auto& [key, value] : SplitSubOptions(text)) {
        if (key == "bitrate") {
            if (Status st = ReadKbps("-xvidencopts bitrate", value, s.videoKbps); !st) {
                return st;
            }
        } else if (key == "size") {
            if (Status st = ReadStreamBytes("-xvidencopts size", value, s.streamBytes); !st) {
                return st;
            }
        } else if (key == "max_bframes") {
            if (Status st = ReadBFrames("-xvidencopts max_bframes", value, s.bFrames); !st) {
                return st;
            }
        } else {
            return Status::Usage("unknown option " + key + " in -xvidencopts");
        }
    }
    return Status::Ok();
}

Status ReadX264Options(const std::string& text, EncodeSettings& s) {
    for (const auto& [key, value] : SplitSubOptions(text)) {
        if (key == "bitrate") {
            if (Status st = ReadKbps("-x264encopts bitrate", value, s.videoKbps); !st) {
                return st;
            }
        } else if (key == "size") {
            if (Status st = ReadStreamBytes("-x264encopts size", value, s.streamBytes); !st) {
                return st;
            }
        } else if (key == "level_idc") {
            const auto level = ParseInt(value, 9, 62);
            if (!level) {
                return BadValue("-x264encopts level_idc", value, "expected a level such as 12");
            }
            s.levelIdc = *level;
        } else if (key == "nocabac" && value.empty()) {
            s.cabac = false;
        } else if (key == "cabac" && value.empty()) {
            s.cabac = true;
        } else if (key == "bframes") {
            if (Status st = ReadBFrames("-x264encopts bframes", value, s.bFrames); !st) {
                return st;
            }
        } else {
            return Status::Usage("unknown option " + key + " in -x264encopts");
        }
    }
    return Status::Ok();
}

Status ReadVideoFilters(const std::string& text, EncodeSettings& s) {
    // A comma list such as "scale=176:144,harddup"; "scale=" alone keeps the input size.
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item == "harddup" || item.empty()) {
            // Frames are always duplicated to hold the output rate.
        } else if (item == "scale" || item == "scale=") {
            s.scale.reset();
        } else if (item.starts_with("scale=")) {
            const std::string size = item.substr(6);
            const size_t colon = size.find(':');
            const auto w = ParseInt(size.substr(0, colon), 16, 4096);
            const auto h = colon == std::string::npos ? std::nullopt
                                                      : ParseInt(size.substr(colon + 1), 16, 4096);
            if (!w || !h) {
                return BadValue("-vf-add", text, "expected scale=WIDTH:HEIGHT");
            }
            s.scale = std::make_pair(*w, *h);
        } else {
            return Status::Usage("unknown video filter " + item + " in -vf-add");
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return Status::Ok();
}

}  // namespace

Status ParseEncoderCommand(std::span<const std::string> args, const ExistsFn& exists,
                           EncoderJob& job) {
    job = EncoderJob{};
    ParsedArguments parsed;
    if (Status s = ParseArguments(args, kOptions, exists, parsed); !s) {
        return s;
    }
    std::map<std::string, std::string> last;  // the last value of each option
    EncodeSettings& enc = job.encode;
    for (const ParsedOption& o : parsed.options) {
        last[o.name] = o.value;
        Status st = Status::Ok();
        if (o.name == "-af") {
            if (o.value != "volnorm") {
                return Status::Usage("unknown audio filter " + o.value + " in -af");
            }
            enc.normaliseVolume = true;
        } else if (o.name == "-srate") {
            const auto rate = ParseInt(o.value, 8000, 96000);
            if (!rate) {
                return BadValue(o.name, o.value, "expected a sample rate in Hz");
            }
            enc.sampleRate = *rate;
        } else if (o.name == "-channels") {
            const auto channels = ParseInt(o.value, 1, 2);
            if (!channels) {
                return BadValue(o.name, o.value, "expected 1 or 2 channels");
            }
            enc.channels = *channels;
        } else if (o.name == "-vf-add") {
            st = ReadVideoFilters(o.value, enc);
        } else if (o.name == "-ofps") {
            const auto rate = ParseFrameRate(o.value);
            if (!rate) {
                return BadValue(o.name, o.value, "expected frames per second");
            }
            enc.frameRate = *rate;
        } else if (o.name == "-faacopts") {
            st = ReadAacOptions(o.value, enc);
        } else if (o.name == "-xvidencopts") {
            st = ReadXvidOptions(o.value, enc);
        } else if (o.name == "-x264encopts") {
            st = ReadX264Options(o.value, enc);
        } else if (o.name == "-ffourcc") {
            if (o.value.size() != 4) {
                return BadValue(o.name, o.value, "expected four characters");
            }
            enc.fourcc = o.value;
        }
        if (!st) {
            return st;
        }
    }

    if (parsed.operands.size() != 1) {
        return Status::Usage(parsed.operands.empty()
                                 ? "no input file given"
                                 : "more than one input file given: " + parsed.operands[1]);
    }
    job.input = parsed.operands.front();
    if (!last.contains("-o") || last["-o"].empty()) {
        return Status::Usage("no output file given (-o)");
    }
    job.output = last["-o"];

    const std::string of = last.contains("-of") ? last["-of"] : "avi";
    const std::string ovc = last["-ovc"];
    const std::string oac = last["-oac"];
    const bool noSound = last.contains("-nosound");
    if (of == "rawvideo") {
        if (ovc != "copy" || !(noSound || oac.empty())) {
            return Status::Usage("-of rawvideo takes -ovc copy and -nosound");
        }
        job.mode = EncoderMode::kRawVideo;
    } else if (of == "rawaudio") {
        if (oac != "copy" || !(ovc.empty() || ovc == "frameno")) {
            return Status::Usage("-of rawaudio takes -oac copy and -ovc frameno");
        }
        job.mode = EncoderMode::kRawAudio;
    } else if (of == "avi") {
        job.mode = EncoderMode::kEncode;
        if (ovc == "xvid") {
            enc.family = VideoFamily::kXvid;
            if (last.contains("-x264encopts")) {
                return Status::Usage("-x264encopts given with -ovc xvid");
            }
        } else if (ovc == "x264") {
            enc.family = VideoFamily::kX264;
            if (last.contains("-xvidencopts")) {
                return Status::Usage("-xvidencopts given with -ovc x264");
            }
        } else {
            return Status::Usage(ovc.empty() ? "no video encoder given (-ovc xvid or x264)"
                                             : "unknown video encoder " + ovc + " for -ovc");
        }
        if (oac != "faac" || noSound) {
            return Status::Usage("the encode step writes AAC audio: it takes -oac faac");
        }
    } else {
        return Status::Usage("unknown output format " + of + " for -of");
    }
    return Status::Ok();
}

}  // namespace tarv::tools
