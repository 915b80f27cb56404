#include <sys/prctl.h>

#include <csignal>

#include "SignalCleanup.h"
#include "ToolProcess.h"

namespace tarv::tools {

void PrepareToolProcess() {
    // A reader that goes away must not kill us mid-write, and an exceeded file-size limit must
    // come back as a write error we can report rather than as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    InstallSignalCleanup();
    // A tool whose caller is gone must not run on to its end and leave a file nobody asked for:
    // its caller's death stops it as a SIGTERM would. The program's launcher also asks for this
    // before the tool starts, which closes the gap of a caller dying in between.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
}

std::vector<std::string> ToolArguments(int argc, char** argv) {
    // File names are bytes here; they reach libav and the system exactly as given.
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace tarv::tools
