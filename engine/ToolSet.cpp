#include "ToolSet.h"

#include <unistd.h>

#include <vector>

namespace tarv {

std::string ProgramFolderOf(std::string_view executablePath, char separator) {
    std::string folder = FolderPart(executablePath, separator);
    if (folder.empty() || folder.back() != separator) {
        folder += separator;
    }
    return folder;
}

std::string ProgramFolder() {
    // The kernel's link to our own image, so neither argv[0] nor the current folder matters.
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return ProgramFolderOf("");
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return ProgramFolderOf(std::string_view(buffer.data(), length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ToolPath(std::string_view programFolder, Tool tool) {
    std::string path(programFolder);
    path += kProductWord;
    path += ".patch";
    path += std::to_string(static_cast<int>(tool));
    return path;
}

}  // namespace tarv
