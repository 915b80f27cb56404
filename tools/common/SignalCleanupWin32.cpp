// A Windows program cannot remove a file it still holds open for writing, and a tool is ended
// from outside at once rather than asked to stop (there is no signal to catch). Its staged file
// lies under the name StagedPathFor forms from the target and the tool's process id, which its
// caller knows and removes once the tool has ended; the program's engine does so after every
// step that was stopped or failed. So nothing is registered here.
#include "SignalCleanup.h"

namespace tarv::tools {

void InstallSignalCleanup() {}

bool RemoveOnStop(const std::string&) {
    return true;
}

void KeepOnStop(const std::string&) {}

}  // namespace tarv::tools
