#include "FolderListing.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "PathUtils.h"

namespace tarv {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string SortKey(const std::string& path) {
    std::string name = LastPathPart(path);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return (name.starts_with('.') ? "1" : "0") + name;
}

}  // namespace

bool IsHiddenFolderName(std::string_view name) {
    return name.empty() || name == "." || name == ".." || name == "System Volume Information" ||
           EqualsIgnoringCase(name, "RECYCLER") || EqualsIgnoringCase(name, "Recycled");
}

std::vector<std::string> ListedSubfolders(const std::string& folder) {
    std::vector<std::string> found;
    const std::string base = WithTrailingSeparator(folder);
    // Every step reports into an error code: a folder that vanishes or refuses us midway
    // ends the listing, it never throws.
    std::error_code error;
    for (std::filesystem::directory_iterator entry(FileSystemPath(base), error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = Utf8Path(entry->path().filename());
        std::error_code typeError;
        if (!entry->is_directory(typeError) || IsHiddenFolderName(name)) {
            continue;
        }
        const std::string path = base + name;
        if (IsUsableFolder(path)) {
            found.push_back(path);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const std::string& a, const std::string& b) { return SortKey(a) < SortKey(b); });
    return found;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error) && !error;
}

std::string ItemPathOf(const std::string& folderWithSeparator, bool hasChildren, bool isRoot) {
    if (hasChildren || isRoot || folderWithSeparator.size() <= 1) {
        return folderWithSeparator;
    }
    return folderWithSeparator.substr(0, folderWithSeparator.size() - 1);
}

}  // namespace tarv
