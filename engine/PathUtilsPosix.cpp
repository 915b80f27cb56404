#include <dirent.h>
#include <fcntl.h>
#include <mntent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>

#include "PathUtils.h"

namespace tarv {

namespace {

// File system types that live in memory or in the kernel, not on a disk of the user's.
bool IsVirtualFileSystem(std::string_view type) {
    static const std::set<std::string_view> kVirtual = {
        "proc",       "sysfs",     "devtmpfs",        "devpts",      "tmpfs",    "securityfs",
        "cgroup",     "cgroup2",   "pstore",          "bpf",         "debugfs",  "tracefs",
        "configfs",   "fusectl",   "mqueue",          "hugetlbfs",   "autofs",   "binfmt_misc",
        "rpc_pipefs", "nsfs",      "efivarfs",        "ramfs",       "squashfs", "overlay",
        "nfsd",       "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "nfs",      "nfs4",
        "cifs",       "smb3",      "sshfs",           "fuse.sshfs",
    };
    return kVirtual.contains(type);
}

}  // namespace

std::vector<std::string> FixedDriveList() {
    std::vector<std::string> roots = {"/"};
    FILE* table = setmntent("/proc/self/mounts", "r");
    if (!table) {
        return roots;
    }
    std::vector<std::string> others;
    while (const mntent* entry = getmntent(table)) {
        const std::string dir = entry->mnt_dir;
        if (dir == "/" || IsVirtualFileSystem(entry->mnt_type)) {
            continue;
        }
        // Mounts that only serve the system (/proc, /sys, /dev, /run, /boot ...) are no place
        // for a user's videos.
        static const std::string_view kSystemPrefixes[] = {"/proc", "/sys",  "/dev",
                                                           "/run",  "/boot", "/snap"};
        if (std::any_of(std::begin(kSystemPrefixes), std::end(kSystemPrefixes),
                        [&](std::string_view prefix) {
                            return dir.compare(0, prefix.size(), prefix) == 0 &&
                                   (dir.size() == prefix.size() || dir[prefix.size()] == '/');
                        })) {
            continue;
        }
        if (std::find(others.begin(), others.end(), dir) == others.end()) {
            others.push_back(dir);
        }
    }
    endmntent(table);
    std::sort(others.begin(), others.end());
    roots.insert(roots.end(), others.begin(), others.end());
    return roots;
}

bool IsUsableFolder(std::string_view path, std::string_view forbidden) {
    std::string folder(path);
    if (folder.size() > 1 && folder.back() == kSeparator) {
        folder.pop_back();
    }
    struct stat info {};
    const bool isFolder =
        !folder.empty() && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    const std::string last = LastPathPart(folder);
    const bool clean = last.find_first_of(forbidden) == std::string::npos;
    return isFolder && clean;
}

bool HasSubfolders(std::string_view path) {
    const std::string folder = WithTrailingSeparator(path);
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        if (entry->d_type == DT_DIR) {
            found = true;
        } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            found = stat((folder + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (found) {
            break;
        }
    }
    closedir(dir);
    return found;
}

bool FileExists(std::string_view path) {
    const std::string name(path);
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    return errno == EACCES || errno == EPERM;
}

uint64_t FileSizeOf(std::string_view path) {
    const std::string name(path);
    struct stat info {};
    if (stat(name.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return 0;
    }
    return static_cast<uint64_t>(info.st_size);
}

}  // namespace tarv
