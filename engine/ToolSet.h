// Where the program finds what it ships with: the folder of its own executable, and the three
// tools in it, named from the product word.
#pragma once

#include <string>
#include <string_view>

#include "PathUtils.h"

namespace tarv {

inline constexpr std::string_view kProductWord = "tarv";

enum class Tool { Identify = 3, Encoder = 4, Muxer = 5 };

// The folder that holds the running executable, always ending in the separator.
// Independent of the current folder.
std::string ProgramFolder();

// The folder part of an executable's path, always ending in the separator ("D:\apps\conv.exe"
// gives "D:\apps\"; a path without a separator gives just the separator).
std::string ProgramFolderOf(std::string_view executablePath, char separator = kSeparator);

// The tool's file in the given program folder: folder, product word, ".patch", number.
std::string ToolPath(std::string_view programFolder, Tool tool);

}  // namespace tarv
