// What the desktop says about folders: their display names and themed icons, the mounted
// file systems' names, and where the user's desktop and documents folders are. GIO answers on
// Linux (DesktopShell.cpp), the shell on Windows (DesktopShellWin32.cpp).
#pragma once

#include <wx/string.h>

#include <string>
#include <vector>

namespace tarv {

struct ShellItem {
    wxString displayName;
    // Icon names of the desktop's theme, the best first.
    std::vector<std::string> iconNames;
};

// A folder as the file manager shows it; its name and the plain folder icon when the desktop
// knows nothing better.
ShellItem DescribeFolder(const std::string& path);

// A mounted file system by its root, with the name and icon the desktop gives it.
ShellItem DescribeMount(const std::string& root);

// The user's desktop and documents folders, as the desktop's user-dirs settings name them.
// The desktop folder falls back to the home folder when there is none, so the tree's root is
// always a folder that exists; the documents folder to the home folder likewise.
struct SpecialFolders {
    std::string desktop;
    std::string documents;
};
SpecialFolders UserSpecialFolders();

// A path as the engine keeps it (bytes on Linux, UTF-8 on Windows) made into text.
wxString PathText(const std::string& path);

}  // namespace tarv
