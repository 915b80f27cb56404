// The shell's answers on Windows: display names from the shell, the desktop and documents
// folders from their known-folder ids, and the tree's pictures from the shell's own icons
// through an art provider that knows the names the tree asks for.
#include <wx/artprov.h>
#include <wx/icon.h>
#include <wx/utils.h>

#include <windows.h>

// The headers of the shell and common controls need its definitions first.
#include <shellapi.h>
#include <shlobj.h>

#include "DesktopShell.h"
#include "PathUtils.h"

namespace tarv {

namespace {

// An icon name that stands for the shell's own picture of one file-system item.
constexpr char kShellIconPrefix[] = "shell:";

std::wstring Wide(const std::string& text) {
    return std::wstring(wxString::FromUTF8(text).wc_str());
}

wxBitmap BitmapFromIcon(HICON icon, const wxSize& size) {
    if (!icon) {
        return wxNullBitmap;
    }
    wxIcon wrapped;
    wrapped.CreateFromHICON(icon);
    wxBitmap bitmap(wrapped);
    DestroyIcon(icon);
    if (bitmap.IsOk() && size.IsFullySpecified() && bitmap.GetSize() != size) {
        bitmap = wxBitmap(bitmap.ConvertToImage().Rescale(size.x, size.y, wxIMAGE_QUALITY_HIGH));
    }
    return bitmap;
}

// Icon number `index` of the system's shell32.dll: 15 is the computer, 34 the desktop.
HICON Shell32Icon(int index) {
    HICON small = nullptr;
    ExtractIconExW(L"shell32.dll", index, nullptr, &small, 1);
    return small;
}

HICON StockIcon(SHSTOCKICONID id) {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHGetStockIconInfo(id, SHGSI_ICON | SHGSI_SMALLICON, &info)) ? info.hIcon
                                                                                  : nullptr;
}

HICON ItemIcon(const std::string& path) {
    SHFILEINFOW info{};
    return SHGetFileInfoW(Wide(path).c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)
               ? info.hIcon
               : nullptr;
}

// The names the folder tree asks the desktop's theme for, answered with the shell's pictures.
class ShellArtProvider : public wxArtProvider {
protected:
    wxBitmap CreateBitmap(const wxArtID& id, const wxArtClient&, const wxSize& size) override {
        const std::string name = id.utf8_string();
        HICON icon = nullptr;
        if (name.rfind(kShellIconPrefix, 0) == 0) {
            icon = ItemIcon(name.substr(sizeof kShellIconPrefix - 1));
        } else if (name == "computer") {
            icon = Shell32Icon(15);
        } else if (name == "user-desktop") {
            icon = Shell32Icon(34);
        } else if (name == "folder" || name == "user-home") {
            icon = StockIcon(SIID_FOLDER);
        } else if (name == "folder-open") {
            icon = StockIcon(SIID_FOLDEROPEN);
        } else if (name == "drive-harddisk") {
            icon = StockIcon(SIID_DRIVEFIXED);
        } else {
            return wxNullBitmap;
        }
        return BitmapFromIcon(icon, size);
    }
};

void EnsureShellArt() {
    static const bool pushed = [] {
        wxArtProvider::Push(new ShellArtProvider);
        return true;
    }();
    (void)pushed;
}

wxString DisplayNameOf(const std::string& path) {
    SHFILEINFOW info{};
    if (SHGetFileInfoW(Wide(path).c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) &&
        info.szDisplayName[0]) {
        return wxString(info.szDisplayName);
    }
    return wxString();
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) {
        folder = wxString(path).utf8_string();
    }
    CoTaskMemFree(path);
    return folder;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

ShellItem DescribeFolder(const std::string& path) {
    EnsureShellArt();
    ShellItem item;
    item.displayName = DisplayNameOf(path);
    if (item.displayName.empty()) {
        std::string trimmed = path;
        while (trimmed.size() > 3 && trimmed.back() == kSeparator) {
            trimmed.pop_back();
        }
        const std::string last = LastPathPart(trimmed);
        item.displayName = PathText(last.empty() ? trimmed : last);
    }
    // The user's special folders show their own pictures, as the shell draws them.
    const SpecialFolders special = UserSpecialFolders();
    const std::string folder = WithTrailingSeparator(path);
    if (folder == WithTrailingSeparator(special.documents) ||
        folder == WithTrailingSeparator(special.desktop)) {
        item.iconNames.push_back(kShellIconPrefix + path);
    }
    item.iconNames.push_back("folder");
    return item;
}

ShellItem DescribeMount(const std::string& root) {
    EnsureShellArt();
    ShellItem item;
    // The shell's name for a drive names its letter too, as in "Local Disk (C:)".
    item.displayName = DisplayNameOf(root);
    if (item.displayName.empty()) {
        item.displayName = PathText(root);
    }
    item.iconNames = {kShellIconPrefix + root, "drive-harddisk"};
    return item;
}

SpecialFolders UserSpecialFolders() {
    EnsureShellArt();
    std::string home;
    wxString profile;
    if (wxGetEnv("USERPROFILE", &profile)) {
        home = profile.utf8_string();
    }
    SpecialFolders folders;
    const std::string desktop = KnownFolder(FOLDERID_Desktop);
    folders.desktop = IsFolder(desktop) ? desktop : home;
    const std::string documents = KnownFolder(FOLDERID_Documents);
    folders.documents = IsFolder(documents) ? documents : home;
    return folders;
}

wxString PathText(const std::string& path) {
    return wxString::FromUTF8(path);
}

}  // namespace tarv
