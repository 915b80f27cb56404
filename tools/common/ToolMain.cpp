#include "ToolMain.h"

#include "PathFacts.h"
#include "ToolProcess.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace tarv::tools {

namespace {

std::string ProgramName(const char* argv0) {
    std::string name = argv0 ? argv0 : "tool";
    const size_t slash = name.find_last_of(kPathSeparator);
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The reason must stay one line even when it quotes a file name with a line break in it.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

int RunTool(int argc, char** argv, ToolBody body) {
    PrepareToolProcess();
    // Libav's own console messages would drown the one line the caller shows; a developer can
    // bring them back with TARV_TOOLS_VERBOSE=1.
    const char* verbose = std::getenv("TARV_TOOLS_VERBOSE");
    av_log_set_level(verbose && *verbose == '1' ? AV_LOG_INFO : AV_LOG_QUIET);

    const std::vector<std::string> args = ToolArguments(argc, argv);
    const Status status = body(args);
    if (!status) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", ProgramName(argc > 0 ? argv[0] : nullptr).c_str(),
                     OneLine(status.Message()).c_str());
        return status.ExitCode();
    }
    return 0;
}

}  // namespace tarv::tools
