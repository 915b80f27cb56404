// What every tool does around its own work: quiet libav's console log, survive a closed
// pipe or a file-size limit, and turn a failure into one line on standard error.
#pragma once

#include <span>
#include <string>

#include "Status.h"

namespace tarv::tools {

using ToolBody = Status (*)(std::span<const std::string> args);

// Runs `body` with the arguments after the program name; returns the exit status.
int RunTool(int argc, char** argv, ToolBody body);

}  // namespace tarv::tools
