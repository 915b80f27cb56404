// Which folders the folder tree lists under a folder, and in what order. Plain file-system
// reading and rules, no window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarv {

// A name the tree never shows: ".", "..", the empty name, "System Volume Information"
// (exactly so) and the recycle bins "RECYCLER" and "Recycled" in any letter case.
bool IsHiddenFolderName(std::string_view name);

// The sub-folders of `folder` that the tree shows, as full paths without a trailing
// separator: folders only, none of the hidden names, none that IsUsableFolder rejects. Sorted
// by name ignoring letter case, names starting with a dot last. A folder that cannot be read
// has none.
std::vector<std::string> ListedSubfolders(const std::string& folder);

// True when both paths name one existing folder, however they are spelt (a trailing
// separator, a symbolic link); false when either cannot be found.
bool IsSameFolder(const std::string& a, const std::string& b);

// The path a tree item stands for, given its folder path with a trailing separator: an item
// without children (no sub-folders, or none read) drops the separator; a file-system root
// always keeps it.
std::string ItemPathOf(const std::string& folderWithSeparator, bool hasChildren, bool isRoot);

}  // namespace tarv
