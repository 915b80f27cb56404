// The program's own command-line arguments after its name, as UTF-8 on every platform
// (ProgramArgumentsPosix.cpp, ProgramArgumentsWin32.cpp).
#pragma once

#include <string>
#include <vector>

namespace tarv {

std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace tarv
