#include "MuxerCommand.h"

namespace tarv::tools {

namespace {

constexpr OptionSpec kOptions[] = {
    {"-c", ValueStyle::kNext},
    {"-rate", ValueStyle::kAttached},
};

}  // namespace

Status ParseMuxerCommand(std::span<const std::string> args, MuxJob& job) {
    job = MuxJob{};
    // The target is always the last argument, so a target named "-clip.3gp" that does not
    // exist yet is still read as a file.
    if (args.empty()) {
        return Status::Usage("no track and no target file given");
    }
    const std::string& last = args.back();
    if (last == "-c" || last.starts_with("-rate=") || last == "--") {
        return Status::Usage("no target file given after " + last);
    }
    job.target = last;
    ParsedArguments parsed;
    if (Status s = ParseArguments(args.first(args.size() - 1), kOptions, PathExists, parsed); !s) {
        return s;
    }
    if (!parsed.operands.empty()) {
        return Status::Usage("unexpected argument " + parsed.operands.front() +
                             " (tracks are given with -c)");
    }
    for (const ParsedOption& o : parsed.options) {
        if (o.name == "-c") {
            job.tracks.push_back(o.value);
        } else if (o.name == "-rate") {
            const auto rate = ParseFrameRate(o.value);
            if (!rate) {
                return Status::Usage("option -rate has the value \"" + o.value +
                                     "\"; expected frames per second");
            }
            job.frameRate = *rate;
        }
    }
    if (job.tracks.empty()) {
        return Status::Usage("no track given (-c FILE)");
    }
    return Status::Ok();
}

}  // namespace tarv::tools
