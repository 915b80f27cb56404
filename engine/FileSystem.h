// What the engine asks of the file system beyond opening files: whether a name is taken, which
// file holds it, removing a file, and holding a name against every other run. The interface
// holds no platform type, so each platform's implementation sits behind it
// (FileSystemPosix.cpp, FileSystemWin32.cpp). Paths are UTF-8 on every platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tarv {

// Tells one file from another, and a file from itself after it was written to.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;  // changes on every write and rename; nobody can set it back
    bool operator==(const FileIdentity&) const = default;
};

// What lies at a name. A link counts as itself: a dangling one still takes the name.
struct PathStatus {
    enum class Kind { Absent, File, Folder, Other, Unknown };
    Kind kind = Kind::Unknown;
    FileIdentity identity;  // when something is there
    std::string error;      // the system's reason when the kind is Unknown

    bool Exists() const { return kind != Kind::Absent && kind != Kind::Unknown; }
};

// Looks at the name without following a final link (followLinks false), or at what it leads to.
PathStatus StatusOf(const std::string& path, bool followLinks = false);

// Makes the folder and any missing parents; true when it is there. reason gets the system's
// words when it cannot be made.
bool MakeFolders(const std::string& path, std::string* reason);

// True when this user may create files in the folder; reason gets the system's words if not.
bool CanCreateFilesIn(const std::string& folder, std::string* reason);

// The path made absolute against the current folder; unchanged when it already is.
std::string AbsolutePath(const std::string& path);

// Removes a file (not a folder); true when it is gone.
bool RemoveFile(const std::string& path);

// The full path of the running program's own executable; empty when the system cannot say.
std::string OwnExecutablePath();

// Holds a name for this process against every other holder, in this or any other process, for
// as long as the object lives. The hold is a small marker file at the name with a lock on it, so
// a marker left behind by a run that died is free again for the next one.
class NameHold {
public:
    enum class Outcome { Held, Taken, Failed };
    struct Attempt {
        Outcome outcome = Outcome::Failed;
        std::unique_ptr<NameHold> hold;  // when held
        std::string error;               // the system's reason when failed
    };

    static Attempt Acquire(const std::string& markerPath);

    // Removes the marker and lets the name go.
    ~NameHold();
    NameHold(const NameHold&) = delete;
    NameHold& operator=(const NameHold&) = delete;

private:
    NameHold(std::string path, intptr_t handle, FileIdentity identity)
        : m_path(std::move(path)), m_handle(handle), m_identity(identity) {}

    std::string m_path;
    intptr_t m_handle = -1;  // a file descriptor, or on Windows a file handle
    FileIdentity m_identity;
};

}  // namespace tarv
