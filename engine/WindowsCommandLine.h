// An argument vector as one Windows command line, and back. A Windows program receives a single
// line of text and its C runtime splits it into arguments, so every argument is quoted such that
// the runtime's rules give it back unchanged: spaces, tabs, quotes, backslashes before a quote
// and at the end, and any letters. Plain functions on UTF-8 text, so they are tested everywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarv {

// One argument after the program name, quoted where the runtime would otherwise split or
// change it; an argument that needs nothing stays as it is.
std::string QuoteWindowsArgument(std::string_view argument);

// The whole line: the program name always in quotes (a program path holds no quote, and the
// runtime reads the first word without backslash rules), then each argument quoted as above.
std::string WindowsCommandLine(const std::vector<std::string>& arguments);

// What the C runtime makes of a command line: the program name by its own rule, then the
// arguments with the backslash and quote rules (two quotes inside quotes give one quote).
std::vector<std::string> SplitWindowsCommandLine(std::string_view line);

}  // namespace tarv
