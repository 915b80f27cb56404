#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "FileSystem.h"

namespace tarv {

namespace {

// Written into every marker, so a file that merely happens to carry a marker's name is never
// taken for one of ours, and so never removed.
constexpr std::string_view kMarkerText = "held by a tarv conversion\n";

FileIdentity IdentityOf(const struct stat& info) {
    FileIdentity identity;
    identity.device = static_cast<uint64_t>(info.st_dev);
    identity.inode = static_cast<uint64_t>(info.st_ino);
    identity.size = static_cast<int64_t>(info.st_size);
    identity.modifiedNs =
        static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    identity.changedNs =
        static_cast<int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return identity;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode;
}

// An open file description's own write lock: it conflicts with every other description, in
// this process too, and goes when the description is closed, also by the process dying.
bool LockWhole(int handle) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return fcntl(handle, F_OFD_SETLK, &lock) == 0;
}

bool WriteAll(int handle, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(handle, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool HoldsMarkerText(int handle) {
    char text[kMarkerText.size() + 1];
    const ssize_t count = pread(handle, text, sizeof text, 0);
    return count == static_cast<ssize_t>(kMarkerText.size()) &&
           std::string_view(text, kMarkerText.size()) == kMarkerText;
}

}  // namespace

PathStatus StatusOf(const std::string& path, bool followLinks) {
    PathStatus status;
    struct stat info {};
    const int result = followLinks ? stat(path.c_str(), &info) : lstat(path.c_str(), &info);
    if (result != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            status.kind = PathStatus::Kind::Absent;
        } else {
            status.error = std::strerror(errno);
        }
        return status;
    }
    status.kind = S_ISREG(info.st_mode)   ? PathStatus::Kind::File
                  : S_ISDIR(info.st_mode) ? PathStatus::Kind::Folder
                                          : PathStatus::Kind::Other;
    status.identity = IdentityOf(info);
    return status;
}

// The nearest of the path and its parents that is a link leading nowhere, with where it
// leads; empty when there is none.
std::string DanglingLinkOnTheWay(const std::filesystem::path& path, std::string* target) {
    for (std::filesystem::path part = path; !part.empty(); part = part.parent_path()) {
        struct stat info {};
        if (lstat(part.c_str(), &info) == 0) {
            std::error_code error;
            if (!S_ISLNK(info.st_mode) || StatusOf(part, true).kind != PathStatus::Kind::Absent) {
                return {};
            }
            *target = std::filesystem::read_symlink(part, error).string();
            return part.string();
        }
        if (part == part.parent_path()) {
            break;
        }
    }
    return {};
}

bool MakeFolders(const std::string& path, std::string* reason) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (StatusOf(path, true).kind == PathStatus::Kind::Folder) {
        return true;
    }
    // The system would only say "File exists" about a link whose folder is gone.
    std::string target;
    if (const std::string link = DanglingLinkOnTheWay(path, &target); !link.empty()) {
        *reason = link + " is a link to " + target + ", which does not exist";
        return false;
    }
    *reason = error ? error.message() : "it is not a folder";
    return false;
}

bool CanCreateFilesIn(const std::string& folder, std::string* reason) {
    if (access(folder.c_str(), W_OK | X_OK) == 0) {
        return true;
    }
    *reason = std::strerror(errno);
    return false;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

bool RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string OwnExecutablePath() {
    // The kernel's link to our own image, so neither argv[0] nor the current folder matters.
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

NameHold::Attempt NameHold::Acquire(const std::string& markerPath) {
    Attempt attempt;
    const auto held = [&](int handle, const struct stat& info) {
        attempt.outcome = Outcome::Held;
        attempt.hold.reset(new NameHold(markerPath, handle, IdentityOf(info)));
        return std::move(attempt);
    };
    const auto taken = [&](int handle) {
        if (handle >= 0) {
            close(handle);
        }
        attempt.outcome = Outcome::Taken;
        return std::move(attempt);
    };
    const auto failed = [&](int code) {
        attempt.outcome = Outcome::Failed;
        attempt.error = std::strerror(code);
        return std::move(attempt);
    };

    // A marker that vanishes between our two looks is tried again; a few rounds settle it.
    for (int round = 0; round < 3; ++round) {
        int handle =
            open(markerPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (handle >= 0) {
            // Where the file system has no locks the marker still holds the name by being
            // there; only a marker left behind by a run that died then stays taken.
            LockWhole(handle);
            struct stat info {};
            if (fstat(handle, &info) != 0 || !WriteAll(handle, kMarkerText)) {
                const int code = errno;
                unlink(markerPath.c_str());
                close(handle);
                return failed(code);
            }
            return held(handle, info);
        }
        if (errno != EEXIST) {
            return failed(errno);
        }
        // Something is there: a live run's marker, one a run that died left behind, or a file
        // that is none of ours.
        handle = open(markerPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (handle < 0) {
            if (errno == ENOENT) {
                continue;
            }
            return taken(-1);
        }
        // Its text is read before any lock is tried: a marker being made is locked before its
        // text is written, so nobody can lock it in between and take it over.
        struct stat info {};
        if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode) || !HoldsMarkerText(handle) ||
            !LockWhole(handle)) {
            return taken(handle);
        }
        // Locked: nobody holds it. It is ours if it is still the marker at that name; its holder
        // may have removed it just now.
        struct stat now {};
        if (lstat(markerPath.c_str(), &now) != 0 || !SameFile(IdentityOf(now), IdentityOf(info))) {
            close(handle);
            continue;
        }
        return held(handle, info);
    }
    return taken(-1);
}

NameHold::~NameHold() {
    // Removed while still locked, so nobody can take the marker over between the two.
    struct stat now {};
    if (lstat(m_path.c_str(), &now) == 0 && SameFile(IdentityOf(now), m_identity)) {
        unlink(m_path.c_str());
    }
    close(m_handle);
}

}  // namespace tarv
