#include <windows.h>

#include "PathUtils.h"
#include "WindowsText.h"

namespace tarv {

namespace {

// A directory search for one name (or pattern); closes its handle itself.
class Search {
public:
    explicit Search(std::string_view pattern)
        : m_handle(FindFirstFileW(WideFromUtf8(pattern).c_str(), &m_found)) {}
    ~Search() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            FindClose(m_handle);
        }
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    bool Found() const { return m_handle != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAW& Entry() const { return m_found; }
    bool Next() { return FindNextFileW(m_handle, &m_found) != 0; }

private:
    WIN32_FIND_DATAW m_found{};
    HANDLE m_handle;
};

bool IsFolderEntry(const WIN32_FIND_DATAW& entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::vector<std::string> FixedDriveList() {
    std::vector<std::string> roots;
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter))) {
            continue;
        }
        const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
        if (GetDriveTypeW(WideFromUtf8(root).c_str()) == DRIVE_FIXED) {
            roots.push_back(root);
        }
    }
    return roots;
}

bool IsUsableFolder(std::string_view path, std::string_view forbidden) {
    std::string folder(path);
    if (!folder.empty() && folder.back() == kSeparator) {
        folder.pop_back();
    }
    bool isFolder = false;
    if (!folder.empty()) {
        const Search search(folder);
        if (search.Found()) {
            isFolder = IsFolderEntry(search.Entry());
        } else if (folder.size() == 2 && folder[1] == ':') {
            // A search never finds a drive itself; a drive letter of a fixed disk is a folder.
            // The list holds upper-case letters only, and "c:" is taken as the system takes it
            // in no other place: not found.
            for (const std::string& root : FixedDriveList()) {
                isFolder = isFolder || root[0] == folder[0];
            }
        }
    }
    const std::string last = LastPathPart(folder);
    const bool clean = last.find_first_of(forbidden) == std::string::npos;
    return isFolder && clean;
}

bool HasSubfolders(std::string_view path) {
    Search search(WithTrailingSeparator(path) + "*.*");
    if (!search.Found()) {
        return false;
    }
    do {
        const std::wstring_view name = search.Entry().cFileName;
        if (IsFolderEntry(search.Entry()) && name != L"." && name != L"..") {
            return true;
        }
    } while (search.Next());
    return false;
}

bool FileExists(std::string_view path) {
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

uint64_t FileSizeOf(std::string_view path) {
    const Search search(path);
    if (!search.Found() || IsFolderEntry(search.Entry())) {
        return 0;
    }
    return (static_cast<uint64_t>(search.Entry().nFileSizeHigh) << 32) |
           search.Entry().nFileSizeLow;
}

}  // namespace tarv
