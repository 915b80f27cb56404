// Which program the desktop opens web pages with, read from its association files and desktop
// entries in the XDG base directories.
#pragma once

#include <wx/string.h>

#include <optional>
#include <vector>

namespace tarv {

// Where the desktop's configuration lives.
struct XdgDirectories {
    wxString configHome;
    std::vector<wxString> configDirs;
    wxString dataHome;
    std::vector<wxString> dataDirs;
};
XdgDirectories XdgDirectoriesFromEnvironment();

// The applications listed for `mimeType` in the group `group` of an association file
// (mimeapps.list, defaults.list, mimeinfo.cache), in their order.
std::vector<wxString> AssociatedApplications(const wxString& fileText, const wxString& group,
                                             const wxString& mimeType);
// The command line of a desktop entry file; none when it has none.
std::optional<wxString> DesktopEntryCommand(const wxString& fileText);
// The command line of the desktop's default application for web pages; none when there is
// none.
std::optional<wxString> FindDefaultBrowserCommand(const XdgDirectories& directories);

}  // namespace tarv
