// What the tools ask of the file system beyond libav's own file access, answered for each
// platform beside the rest of its file handling (MediaFilesPosix.cpp, MediaFilesWin32.cpp).
// Paths are UTF-8 on every platform.
#pragma once

#include <string>

namespace tarv::tools {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

struct PathFacts {
    bool folder = false;
    bool special = false;  // a device, pipe or socket: it gives no length and cannot be re-read
    long long size = 0;
};

// Looks at what lies at the path, following links; false with the system's reason when
// nothing can be found there.
bool LookAtPath(const std::string& path, PathFacts& facts, std::string* reason);

// Makes a new, empty folder of this user's under the system's temporary folder, its name
// starting with `prefix`; "" with the system's reason in `reason` when none can be made.
std::string MakeTemporaryFolder(const std::string& prefix, std::string* reason);

// Removes a file, or a folder with all it holds; what is not there is no fault.
void RemovePath(const std::string& path);

}  // namespace tarv::tools
