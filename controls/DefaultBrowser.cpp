#include "DefaultBrowser.h"

#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <fstream>
#include <iterator>

namespace tarv {
namespace {

std::optional<wxString> ReadTextFile(const wxString& path) {
    std::ifstream file(path.fn_str(), std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    return wxString::FromUTF8(bytes.data(), bytes.size());
}

// The key and value pairs of one group of a desktop-style key file, in their order.
std::vector<std::pair<wxString, wxString>> GroupEntries(const wxString& fileText,
                                                        const wxString& group) {
    std::vector<std::pair<wxString, wxString>> entries;
    bool inGroup = false;
    wxStringTokenizer lines(fileText, "\r\n", wxTOKEN_STRTOK);
    while (lines.HasMoreTokens()) {
        wxString line = lines.GetNextToken();
        line.Trim(true).Trim(false);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inGroup || equals == wxString::npos) {
            continue;
        }
        wxString key = line.substr(0, equals);
        wxString value = line.substr(equals + 1);
        entries.emplace_back(key.Trim(true), value.Trim(false));
    }
    return entries;
}

std::vector<wxString> Split(const wxString& text, const wxString& separators) {
    std::vector<wxString> parts;
    wxStringTokenizer tokens(text, separators, wxTOKEN_STRTOK);
    while (tokens.HasMoreTokens()) {
        parts.push_back(tokens.GetNextToken());
    }
    return parts;
}

}  // namespace

std::vector<wxString> AssociatedApplications(const wxString& fileText, const wxString& group,
                                             const wxString& mimeType) {
    std::vector<wxString> applications;
    for (const auto& [key, value] : GroupEntries(fileText, group)) {
        if (key == mimeType) {
            for (wxString& application : Split(value, ";")) {
                application.Trim(true).Trim(false);
                if (!application.empty()) {
                    applications.push_back(application);
                }
            }
        }
    }
    return applications;
}

std::optional<wxString> DesktopEntryCommand(const wxString& fileText) {
    for (const auto& [key, value] : GroupEntries(fileText, "Desktop Entry")) {
        if (key == "Exec" && !value.empty()) {
            return value;
        }
    }
    return std::nullopt;
}

XdgDirectories XdgDirectoriesFromEnvironment() {
    auto variable = [](const char* name) {
        wxString value;
        wxGetEnv(name, &value);
        return value;
    };
    const wxString home = wxGetHomeDir();
    XdgDirectories directories;
    directories.configHome = variable("XDG_CONFIG_HOME");
    if (directories.configHome.empty()) {
        directories.configHome = home + "/.config";
    }
    directories.dataHome = variable("XDG_DATA_HOME");
    if (directories.dataHome.empty()) {
        directories.dataHome = home + "/.local/share";
    }
    directories.configDirs = Split(variable("XDG_CONFIG_DIRS"), ":");
    if (directories.configDirs.empty()) {
        directories.configDirs = {"/etc/xdg"};
    }
    directories.dataDirs = Split(variable("XDG_DATA_DIRS"), ":");
    if (directories.dataDirs.empty()) {
        directories.dataDirs = {"/usr/local/share", "/usr/share"};
    }
    return directories;
}

std::optional<wxString> FindDefaultBrowserCommand(const XdgDirectories& directories) {
    std::vector<wxString> applicationDirs{directories.dataHome + "/applications"};
    for (const wxString& dir : directories.dataDirs) {
        applicationDirs.push_back(dir + "/applications");
    }
    // The user's choices come before the system's; the lists of merely capable applications
    // come last.
    struct AssociationFile {
        wxString path;
        wxString group;
    };
    std::vector<AssociationFile> files{
        {directories.configHome + "/mimeapps.list", "Default Applications"}};
    for (const wxString& dir : directories.configDirs) {
        files.push_back({dir + "/mimeapps.list", "Default Applications"});
    }
    for (const wxString& dir : applicationDirs) {
        files.push_back({dir + "/mimeapps.list", "Default Applications"});
    }
    for (const wxString& dir : applicationDirs) {
        files.push_back({dir + "/defaults.list", "Default Applications"});
    }
    for (const wxString& dir : applicationDirs) {
        files.push_back({dir + "/mimeinfo.cache", "MIME Cache"});
    }

    // Web pages first, as the address of a web page is what a link usually holds.
    for (const wxString mimeType : {"text/html", "x-scheme-handler/http"}) {
        for (const AssociationFile& file : files) {
            const std::optional<wxString> text = ReadTextFile(file.path);
            if (!text) {
                continue;
            }
            for (const wxString& application :
                 AssociatedApplications(*text, file.group, mimeType)) {
                for (const wxString& dir : applicationDirs) {
                    const std::optional<wxString> entry = ReadTextFile(dir + "/" + application);
                    if (!entry) {
                        continue;
                    }
                    if (std::optional<wxString> command = DesktopEntryCommand(*entry)) {
                        return command;
                    }
                }
            }
        }
    }
    return std::nullopt;
}

}  // namespace tarv
