// The Windows side of the tools' file handling: looking at paths, and putting a staged output in
// its place without replacing a file that is not the one we found there.
#include <windows.h>

#include <filesystem>

#include "MediaFiles.h"
#include "PathFacts.h"
#include "SignalCleanup.h"
#include "WideText.h"

namespace tarv::tools {

bool LookAtPath(const std::string& path, PathFacts& facts, std::string* reason) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) {
        *reason = SystemReason(GetLastError());
        return false;
    }
    facts.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.size = static_cast<long long>(
        (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    return true;
}

StagedOutput::StagedOutput(std::string target) : m_target(std::move(target)) {
    // A name that cannot collide with the user's files or another tool's run: the target's own
    // name, the process id and a suffix no input filter offers.
    m_temporary = StagedPathFor(m_target, static_cast<int>(GetCurrentProcessId()));
}

bool StagedOutput::IdentityAt(const std::string& path, Identity& identity) {
    // Only the attributes are asked for, so a target another program holds open is still seen;
    // a link is looked at itself, as it is replaced itself.
    HANDLE file =
        CreateFileW(WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known) {
        return true;  // something is there, a device perhaps; it has no identity to compare
    }
    identity.device = info.dwVolumeSerialNumber;
    identity.inode =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size = static_cast<long long>(
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    ULARGE_INTEGER written;
    written.LowPart = info.ftLastWriteTime.dwLowDateTime;
    written.HighPart = info.ftLastWriteTime.dwHighDateTime;
    identity.modifiedNs = static_cast<long long>(written.QuadPart) * 100;
    return true;
}

StagedOutput::~StagedOutput() {
    if (m_created && !m_committed) {
        DeleteFileW(WideFromUtf8(m_temporary).c_str());
    }
    KeepOnStop(m_temporary);
}

Status StagedOutput::Replace() {
    const std::wstring temporary = WideFromUtf8(m_temporary);
    const std::wstring target = WideFromUtf8(m_target);
    if (!m_targetExisted) {
        // Without the replace flag the move is refused when a file appeared at the target at
        // any moment before: that file is never replaced.
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return Status::Ok();
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            return Status::Failure(
                "cannot write " + m_target +
                ": another program put a file there meanwhile; it was left as it is");
        }
        return Status::Failure("cannot write " + m_target + ": " + SystemReason(error));
    }
    // Windows has no swap of two names: the target is checked to be the file we found, then
    // replaced in one move. Only a change in the moment between the two goes unseen.
    Identity now;
    if (!IdentityAt(m_target, now) || !(now == m_targetIdentity)) {
        return Status::Failure("cannot write " + m_target +
                               ": another program changed it meanwhile; it was left as it is");
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Status::Failure("cannot write " + m_target + ": " + SystemReason(GetLastError()));
    }
    return Status::Ok();
}

std::string MakeTemporaryFolder(const std::string& prefix, std::string* reason) {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH) {
        if (reason) {
            *reason = "the temporary folder: " + SystemReason(GetLastError());
        }
        return {};
    }
    // The process id and a count make the name; another process's folder of the same name
    // makes CreateDirectoryW fail, and the next count is tried.
    const std::wstring start =
        std::wstring(base) + WideFromUtf8(prefix) + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::wstring folder = start + std::to_wstring(attempt);
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            return Utf8FromWide(folder);
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (reason) {
        *reason = Utf8FromWide(base) + ": " + SystemReason(GetLastError());
    }
    return {};
}

void RemovePath(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(WideFromUtf8(path)), ignored);
}

}  // namespace tarv::tools
