#include "OutputFolderCheck.h"

#include "FileSystem.h"

namespace tarv {

OutputFolderCheck PrepareOutputFolder(const std::string& folder) {
    OutputFolderCheck check;
    if (folder.find_first_not_of(" \t") == std::string::npos) {
        check.problem = OutputFolderCheck::Problem::Empty;
        return check;
    }
    check.path = AbsolutePath(folder);
    PathStatus status = StatusOf(check.path, true);
    if (status.kind == PathStatus::Kind::File || status.kind == PathStatus::Kind::Other) {
        check.problem = OutputFolderCheck::Problem::NotAFolder;
        return check;
    }
    if (status.kind != PathStatus::Kind::Folder && !MakeFolders(check.path, &check.reason)) {
        check.problem = OutputFolderCheck::Problem::CannotCreate;
        return check;
    }
    if (!CanCreateFilesIn(check.path, &check.reason)) {
        check.problem = OutputFolderCheck::Problem::NotWritable;
    }
    return check;
}

}  // namespace tarv
