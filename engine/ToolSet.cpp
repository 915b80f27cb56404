#include "ToolSet.h"

#include "FileSystem.h"

namespace tarv {

std::string ProgramFolderOf(std::string_view executablePath, char separator) {
    std::string folder = FolderPart(executablePath, separator);
    if (folder.empty() || folder.back() != separator) {
        folder += separator;
    }
    return folder;
}

std::string ProgramFolder() {
    return ProgramFolderOf(OwnExecutablePath());
}

std::string ToolPath(std::string_view programFolder, Tool tool) {
    std::string path(programFolder);
    path += kProductWord;
    path += ".patch";
    path += std::to_string(static_cast<int>(tool));
    return path;
}

}  // namespace tarv
