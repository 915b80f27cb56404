// What a tool asks of its own process, on each platform (ToolProcessPosix.cpp,
// ToolProcessWin32.cpp): to survive a reader that went away and a full disk as errors it can
// report, to end with its caller, and its arguments as UTF-8.
#pragma once

#include <string>
#include <vector>

namespace tarv::tools {

void PrepareToolProcess();

// The arguments after the program name.
std::vector<std::string> ToolArguments(int argc, char** argv);

}  // namespace tarv::tools
