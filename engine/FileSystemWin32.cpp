#include <windows.h>

#include <string_view>

#include "FileSystem.h"
#include "WindowsText.h"

namespace tarv {

namespace {

// Written into every marker, so a file that merely happens to carry a marker's name is never
// taken for one of ours, and so never removed.
constexpr std::string_view kMarkerText = "held by a tarv conversion\n";

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int64_t Nanoseconds(LARGE_INTEGER time) {
    return time.QuadPart * 100;
}

int64_t Nanoseconds(FILETIME time) {
    LARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = static_cast<LONG>(time.dwHighDateTime);
    return Nanoseconds(value);
}

bool IsAbsence(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IdentityOf(HANDLE file, FileIdentity& identity, DWORD& attributes) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        return false;
    }
    attributes = info.dwFileAttributes;
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size =
        static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    identity.modifiedNs = Nanoseconds(info.ftLastWriteTime);
    // The change time moves with every write and rename, and no program can set it back.
    FILE_BASIC_INFO basic{};
    identity.changedNs = GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)
                             ? Nanoseconds(basic.ChangeTime)
                             : identity.modifiedNs;
    return true;
}

bool HoldsMarkerText(HANDLE file) {
    char text[kMarkerText.size() + 1];
    DWORD count = 0;
    OVERLAPPED start{};
    return ReadFile(file, text, sizeof text, &count, &start) && count == kMarkerText.size() &&
           std::string_view(text, count) == kMarkerText;
}

bool WriteAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

// The folder part of a path, with no trailing separator; empty for a root or a bare name.
std::wstring ParentOf(const std::wstring& path) {
    const size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos || last == 0 || (last == 2 && path[1] == L':')) {
        return {};
    }
    return path.substr(0, last);
}

bool MakeFoldersWide(const std::wstring& path, DWORD& error) {
    if (CreateDirectoryW(path.c_str(), nullptr)) {
        return true;
    }
    error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        return true;
    }
    if (error != ERROR_PATH_NOT_FOUND) {
        return false;
    }
    const std::wstring parent = ParentOf(path);
    if (parent.empty() || !MakeFoldersWide(parent, error)) {
        return false;
    }
    if (CreateDirectoryW(path.c_str(), nullptr)) {
        return true;
    }
    error = GetLastError();
    return error == ERROR_ALREADY_EXISTS;
}

}  // namespace

PathStatus StatusOf(const std::string& path, bool followLinks) {
    PathStatus status;
    const std::wstring name = WideFromUtf8(path);
    // Only the attributes are asked for, so a file another program holds open is still seen.
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE file = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (IsAbsence(error)) {
            status.kind = PathStatus::Kind::Absent;
            return status;
        }
        // Something is there that cannot be opened even for its attributes (a file pending
        // deletion, one locked by the system): its directory entry still tells what it is.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) {
            status.kind = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY
                              ? PathStatus::Kind::Folder
                              : PathStatus::Kind::Other;
            status.identity.size = static_cast<int64_t>(
                (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
            status.identity.modifiedNs = Nanoseconds(data.ftLastWriteTime);
            return status;
        }
        const DWORD again = GetLastError();
        if (IsAbsence(again)) {
            status.kind = PathStatus::Kind::Absent;
        } else {
            status.error = SystemErrorText(error);
        }
        return status;
    }
    DWORD attributes = 0;
    if (!IdentityOf(file, status.identity, attributes)) {
        // A device such as NUL: there, but no file.
        CloseHandle(file);
        status.kind = PathStatus::Kind::Other;
        return status;
    }
    CloseHandle(file);
    if (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        status.kind = PathStatus::Kind::Other;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        status.kind = PathStatus::Kind::Folder;
    } else {
        status.kind = PathStatus::Kind::File;
    }
    return status;
}

bool MakeFolders(const std::string& path, std::string* reason) {
    std::wstring name = WideFromUtf8(path);
    while (name.size() > 3 && (name.back() == L'\\' || name.back() == L'/')) {
        name.pop_back();
    }
    DWORD error = 0;
    const bool made = MakeFoldersWide(name, error);
    if (StatusOf(path, true).kind == PathStatus::Kind::Folder) {
        return true;
    }
    *reason = made || error == ERROR_ALREADY_EXISTS ? "it is not a folder" : SystemErrorText(error);
    return false;
}

bool CanCreateFilesIn(const std::string& folder, std::string* reason) {
    // Windows has no question for this; making a file and letting it go at once answers it.
    std::wstring probe = WideFromUtf8(folder);
    if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/') {
        probe += L'\\';
    }
    probe += L".tarv-probe-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(GetCurrentThreadId());
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS) {
            return true;  // a probe of ours from a moment ago: files can be made here
        }
        *reason = SystemErrorText(error);
        return false;
    }
    CloseHandle(file);
    DeleteFileW(probe.c_str());
    return true;
}

std::string AbsolutePath(const std::string& path) {
    const std::wstring name = WideFromUtf8(path);
    const DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return path;
    }
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(name.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) {
        return path;
    }
    full.resize(written);
    return Utf8FromWide(full);
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(WideFromUtf8(path).c_str()) || IsAbsence(GetLastError());
}

std::string OwnExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Utf8FromWide(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

NameHold::Attempt NameHold::Acquire(const std::string& markerPath) {
    Attempt attempt;
    const std::wstring name = WideFromUtf8(markerPath);
    const auto held = [&](HANDLE file) {
        FileIdentity identity;
        DWORD attributes = 0;
        IdentityOf(file, identity, attributes);
        attempt.outcome = Outcome::Held;
        attempt.hold.reset(new NameHold(markerPath, reinterpret_cast<intptr_t>(file), identity));
        return std::move(attempt);
    };
    const auto taken = [&](HANDLE file) {
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
        attempt.outcome = Outcome::Taken;
        return std::move(attempt);
    };
    const auto failed = [&](DWORD code) {
        attempt.outcome = Outcome::Failed;
        attempt.error = SystemErrorText(code);
        return std::move(attempt);
    };

    // The hold is the open marker itself: nobody else may write or remove it while our handle
    // is open, and the system closes that handle however this run ends. A new marker also goes
    // with its handle, so a run that dies leaves nothing behind.
    for (int round = 0; round < 3; ++round) {
        HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            if (!WriteAll(file, kMarkerText)) {
                const DWORD code = GetLastError();
                FILE_DISPOSITION_INFO remove{TRUE};
                SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
                CloseHandle(file);
                return failed(code);
            }
            return held(file);
        }
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) {
            // A live run's marker, or one on its way out.
            return taken(INVALID_HANDLE_VALUE);
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return failed(error);
        }
        // Something is there: a marker a run that died left behind (the machine went down), a
        // live run's, or a file that is none of ours. Opening it for writing succeeds only when
        // nobody holds it; its text then tells whether it is a marker at all.
        file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (IsAbsence(GetLastError())) {
                continue;
            }
            return taken(INVALID_HANDLE_VALUE);
        }
        DWORD attributes = 0;
        FileIdentity identity;
        if (!IdentityOf(file, identity, attributes) ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            !HoldsMarkerText(file)) {
            return taken(file);
        }
        return held(file);
    }
    return taken(INVALID_HANDLE_VALUE);
}

NameHold::~NameHold() {
    // Marked for removal while still open, so nobody can take the marker over between the two.
    HANDLE file = reinterpret_cast<HANDLE>(m_handle);
    FILE_DISPOSITION_INFO remove{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
    CloseHandle(file);
}

}  // namespace tarv
