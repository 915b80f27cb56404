#include "LinkOpener.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <fstream>
#include <iterator>

namespace tarv {

wxString LinkErrorText(int code) {
    switch (code) {
        case kLinkErrorOutOfResources:
            return "The operating system is out\nof memory or resources.";
        case kLinkErrorFileNotFound:
            return "The specified file was not found.";
        case kLinkErrorPathNotFound:
            return "The specified path was not found.";
        case kLinkErrorAccessDenied:
            return "The operating system denied\naccess to the specified file.";
        case kLinkErrorNotEnoughMemory:
            return "There was not enough memory to complete the operation.";
        case kLinkErrorBadFormat:
            return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case kLinkErrorSharingViolation:
            return "A sharing violation occurred. ";
        case kLinkErrorAssociationIncomplete:
            return "The filename association is\nincomplete or invalid.";
        case kLinkErrorDdeTimeout:
            return "The DDE transaction could not\nbe completed because the request timed out.";
        case kLinkErrorDdeFailed:
            return "The DDE transaction failed.";
        case kLinkErrorDdeBusy:
            return "The DDE transaction could not\nbe completed because other DDE "
                   "transactions\nwere being processed.";
        case kLinkErrorNoAssociation:
            return "There is no application associated\nwith the given filename extension.";
        case kLinkErrorLibraryNotFound:
            return "The specified dynamic-link library was not found.";
        default:
            return wxString::Format("Unknown Error (%d) occurred.", code);
    }
}

wxString LinkErrorMessage(int code) {
    return "Can't open link:\n\n" + LinkErrorText(code);
}

namespace {

// The field codes a desktop entry uses for the file or address it is given.
const wxString kTargetPlaceholders[] = {"%u", "%U", "%f", "%F"};

size_t FirstOf(const wxString& line, const wxString& before, const wxString& after) {
    size_t first = wxString::npos;
    for (const wxString& placeholder : kTargetPlaceholders) {
        const size_t at = line.find(before + placeholder + after);
        if (at != wxString::npos && (first == wxString::npos || at < first)) {
            first = at;
        }
    }
    return first;
}

}  // namespace

wxString ComposeBrowserCommand(const wxString& command, const wxString& target) {
    wxString line = command;
    size_t cut = FirstOf(line, "\"", "\"");
    if (cut == wxString::npos) {
        cut = FirstOf(line, "", "");
    }
    if (cut != wxString::npos) {
        line.Truncate(cut);
    }
    return line + " " + target;
}

std::vector<wxString> BrowserCommandArguments(const wxString& command, const wxString& target) {
    wxString line = ComposeBrowserCommand(command, target);
    // Only the part before the target is split; the target stays one argument.
    line.Truncate(line.length() - target.length() - 1);

    std::vector<wxString> arguments;
    wxString current;
    bool inArgument = false;
    bool quoted = false;
    for (size_t i = 0; i < line.length(); ++i) {
        const wxUniChar c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.length()) {
                current += line[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (inArgument) {
                arguments.push_back(current);
                current.clear();
                inArgument = false;
            }
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments.push_back(current);
    }

    std::vector<wxString> result;
    for (wxString& argument : arguments) {
        // A lone field code (an icon, a name, a file location) has nothing to stand for here.
        if (argument.length() == 2 && argument[0] == '%' && argument[1] != '%') {
            continue;
        }
        argument.Replace("%%", "%");
        result.push_back(argument);
    }
    result.push_back(target);
    return result;
}

int GotoURL(const wxString& target, LinkOpener& opener) {
    if (opener.OpenWithDesktop(target)) {
        return kLinkOpened;
    }
    // The desktop could not do it; the code it would have named is the missing association.
    const int failure = kLinkErrorNoAssociation;
    const std::optional<wxString> browser = opener.DefaultBrowserCommand();
    if (!browser) {
        return failure;
    }
    return opener.Start(BrowserCommandArguments(*browser, target));
}

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

namespace {

bool IsExecutableFile(const wxString& path) {
    return wxFileName::FileExists(path) && wxFileName::IsFileExecutable(path);
}

// Why a program cannot be started, before trying: kLinkOpened when nothing is in the way.
int CheckProgram(const wxString& program) {
    if (program.Contains("/")) {
        if (!wxFileName::DirExists(wxFileName(program).GetPath())) {
            return kLinkErrorPathNotFound;
        }
        if (!wxFileName::FileExists(program)) {
            return kLinkErrorFileNotFound;
        }
        return IsExecutableFile(program) ? kLinkOpened : kLinkErrorAccessDenied;
    }
    wxString path;
    wxGetEnv("PATH", &path);
    bool seen = false;
    for (const wxString& dir : Split(path, ":")) {
        const wxString candidate = dir + "/" + program;
        if (IsExecutableFile(candidate)) {
            return kLinkOpened;
        }
        seen = seen || wxFileName::FileExists(candidate);
    }
    return seen ? kLinkErrorAccessDenied : kLinkErrorFileNotFound;
}

class DesktopOpener : public LinkOpener {
public:
    bool OpenWithDesktop(const wxString& target) override {
        // A failure here is not the end: the browser is tried next, and only then is the user
        // told, in our own words.
        wxLogNull quiet;
        return wxLaunchDefaultBrowser(target);
    }

    std::optional<wxString> DefaultBrowserCommand() override {
        return FindDefaultBrowserCommand(XdgDirectoriesFromEnvironment());
    }

    int Start(const std::vector<wxString>& arguments) override {
        if (arguments.empty()) {
            return kLinkErrorFileNotFound;
        }
        const int check = CheckProgram(arguments.front());
        if (!LinkOpened(check)) {
            return check;
        }
        std::vector<wxWCharBuffer> buffers;
        for (const wxString& argument : arguments) {
            buffers.push_back(argument.wc_str());
        }
        std::vector<const wchar_t*> argv;
        for (const wxWCharBuffer& buffer : buffers) {
            argv.push_back(buffer.data());
        }
        argv.push_back(nullptr);
        return wxExecute(argv.data(), wxEXEC_ASYNC) != 0 ? kLinkOpened : kLinkErrorOutOfResources;
    }

    void Beep() override { wxBell(); }

    void ShowMessage(wxWindow* parent, const wxString& text) override {
        wxMessageBox(text, wxTheApp ? wxTheApp->GetAppDisplayName() : wxString(),
                     wxOK | wxICON_EXCLAMATION, parent);
    }
};

}  // namespace

LinkOpener& DesktopLinkOpener() {
    static DesktopOpener opener;
    return opener;
}

}  // namespace tarv
