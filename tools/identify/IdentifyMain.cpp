// The identify tool: prints the facts of one media file as "ID_...=value" lines.
//   tarv.patch3 -identify FILE -nosound -vc dummy -vo null -ao dummy
#include <cstdio>

#include "Arguments.h"
#include "MediaFacts.h"
#include "ToolMain.h"

namespace tarv::tools {
namespace {

// The playback options only say that nothing is to be played; they are accepted and change
// nothing.
constexpr OptionSpec kOptions[] = {
    {"-identify", ValueStyle::kNone}, {"-nosound", ValueStyle::kNone},
    {"-novideo", ValueStyle::kNone},  {"-vc", ValueStyle::kNext},
    {"-ac", ValueStyle::kNext},       {"-vo", ValueStyle::kNext},
    {"-ao", ValueStyle::kNext},
};

Status Identify(std::span<const std::string> args) {
    ParsedArguments parsed;
    if (Status s = ParseArguments(args, kOptions, PathExists, parsed); !s) {
        return s;
    }
    if (parsed.operands.size() != 1) {
        return Status::Usage(parsed.operands.empty() ? "no input file given"
                                                     : "only one input file can be identified");
    }
    MediaFacts facts;
    if (Status s = IdentifyMedia(parsed.operands.front(), facts); !s) {
        return s;
    }
    const std::string report = FormatIdentifyReport(facts);
    std::fwrite(report.data(), 1, report.size(), stdout);
    if (std::fflush(stdout) != 0) {
        return Status::Failure("cannot print the report");
    }
    return Status::Ok();
}

}  // namespace
}  // namespace tarv::tools

int main(int argc, char** argv) {
    return tarv::tools::RunTool(argc, argv, tarv::tools::Identify);
}
