#include "DesktopShell.h"

#include <gio/gio.h>
#include <gio/gunixmounts.h>

#include <filesystem>

#include "PathUtils.h"

namespace tarv {

namespace {

std::vector<std::string> IconNamesOf(GIcon* icon) {
    std::vector<std::string> names;
    if (icon && G_IS_THEMED_ICON(icon)) {
        for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); *name;
             ++name) {
            names.emplace_back(*name);
        }
    }
    return names;
}

wxString FromFileName(const std::string& name) {
    wxString text(name.c_str(), wxConvFile);
    return text.empty() ? wxString::FromUTF8(name.c_str()) : text;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

}  // namespace

ShellItem DescribeFolder(const std::string& path) {
    ShellItem item;
    GFile* file = g_file_new_for_path(path.c_str());
    GFileInfo* info = g_file_query_info(
        file, G_FILE_ATTRIBUTE_STANDARD_DISPLAY_NAME "," G_FILE_ATTRIBUTE_STANDARD_ICON,
        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    if (info) {
        item.displayName = wxString::FromUTF8(g_file_info_get_display_name(info));
        item.iconNames = IconNamesOf(g_file_info_get_icon(info));
        g_object_unref(info);
    }
    g_object_unref(file);
    if (item.displayName.empty()) {
        std::string trimmed = path;
        while (trimmed.size() > 1 && trimmed.back() == kSeparator) {
            trimmed.pop_back();
        }
        item.displayName = FromFileName(trimmed == "/" ? trimmed : LastPathPart(trimmed));
    }
    item.iconNames.push_back("folder");
    return item;
}

ShellItem DescribeMount(const std::string& root) {
    ShellItem item;
    if (GUnixMountEntry* mount = g_unix_mount_at(root.c_str(), nullptr)) {
        gchar* name = g_unix_mount_guess_name(mount);
        item.displayName = wxString::FromUTF8(name);
        g_free(name);
        GIcon* icon = g_unix_mount_guess_icon(mount);
        item.iconNames = IconNamesOf(icon);
        g_object_unref(icon);
        g_unix_mount_free(mount);
    }
    if (item.displayName.empty()) {
        item.displayName = FromFileName(root);
    }
    // Show where it is mounted too, as a drive letter would say which drive it is.
    if (root != "/" && item.displayName != FromFileName(root)) {
        item.displayName += " (" + FromFileName(root) + ")";
    }
    item.iconNames.push_back("drive-harddisk");
    return item;
}

wxString PathText(const std::string& path) {
    return wxString(path.c_str(), wxConvFile);
}

SpecialFolders UserSpecialFolders() {
    const std::string home = g_get_home_dir();
    SpecialFolders folders;
    const gchar* desktop = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP);
    folders.desktop = desktop && IsFolder(desktop) ? desktop : home;
    const gchar* documents = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    folders.documents = documents && IsFolder(documents) ? documents : home;
    return folders;
}

}  // namespace tarv
