// The POSIX side of the tools' file handling: looking at paths, and putting a staged output in
// its place without ever replacing a file that is not the one we found there.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "MediaFiles.h"
#include "PathFacts.h"
#include "SignalCleanup.h"

namespace tarv::tools {

bool LookAtPath(const std::string& path, PathFacts& facts, std::string* reason) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    facts.folder = S_ISDIR(info.st_mode);
    facts.special = !facts.folder && !S_ISREG(info.st_mode);
    facts.size = static_cast<long long>(info.st_size);
    return true;
}

StagedOutput::StagedOutput(std::string target) : m_target(std::move(target)) {
    // A name that cannot collide with the user's files or another tool's run: the target's own
    // name, the process id and a suffix no input filter offers.
    m_temporary = StagedPathFor(m_target, static_cast<int>(::getpid()));
}

bool StagedOutput::IdentityAt(const std::string& path, Identity& identity) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return false;
    }
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.size = info.st_size;
    identity.modifiedNs = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    return true;
}

StagedOutput::~StagedOutput() {
    if (m_created && !m_committed) {
        ::unlink(m_temporary.c_str());
    }
    KeepOnStop(m_temporary);
}

Status StagedOutput::Replace() {
    const Status appeared =
        Status::Failure("cannot write " + m_target +
                        ": another program put a file there meanwhile; it was left as it is");
    const Status changed =
        Status::Failure("cannot write " + m_target +
                        ": another program changed it meanwhile; it was left as it is");
    if (!m_targetExisted) {
        // Atomic: a file that appears at the target at any moment before is never replaced.
        if (::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_target.c_str(),
                        RENAME_NOREPLACE) == 0) {
            return Status::Ok();
        }
        if (errno == EEXIST) {
            return appeared;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return Status::Failure("cannot write " + m_target + ": " + std::strerror(errno));
        }
        // A file system without that rename: a hard link is just as atomic.
        if (::link(m_temporary.c_str(), m_target.c_str()) == 0) {
            ::unlink(m_temporary.c_str());
            return Status::Ok();
        }
        if (errno == EEXIST) {
            return appeared;
        }
        Identity now;
        if (IdentityAt(m_target, now)) {
            return appeared;
        }
    } else {
        // Swapped, then checked: what comes back under the temporary name must be the file we
        // found at the target, else the swap is undone and the stranger's file stays put.
        if (::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_target.c_str(),
                        RENAME_EXCHANGE) == 0) {
            Identity old;
            if (IdentityAt(m_temporary, old) && old == m_targetIdentity) {
                ::unlink(m_temporary.c_str());
                return Status::Ok();
            }
            ::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_target.c_str(), RENAME_EXCHANGE);
            return changed;
        }
        if (errno == ENOENT) {
            return changed;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return Status::Failure("cannot write " + m_target + ": " + std::strerror(errno));
        }
        Identity now;
        if (!IdentityAt(m_target, now) || !(now == m_targetIdentity)) {
            return changed;
        }
    }
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        return Status::Failure("cannot write " + m_target + ": " + std::strerror(errno));
    }
    return Status::Ok();
}

std::string MakeTemporaryFolder(const std::string& prefix, std::string* reason) {
    const char* base = std::getenv("TMPDIR");
    const std::string pattern =
        (base && *base ? std::string(base) : std::string("/tmp")) + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        if (reason) {
            *reason = pattern.substr(0, pattern.rfind('/')) + ": " + std::strerror(errno);
        }
        return {};
    }
    return name.data();
}

void RemovePath(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

}  // namespace tarv::tools
