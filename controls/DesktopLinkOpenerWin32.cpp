// The program's link opener on Windows: the shell's "open" verb, then the browser registered
// for web pages started directly, and why one could not be started.
#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <windows.h>

// The headers of the shell and common controls need its definitions first.
#include <shellapi.h>

#include "LinkOpener.h"

namespace tarv {
namespace {

// The default (unnamed) value of a key under HKEY_CLASSES_ROOT; none when the key or the value
// is missing.
std::optional<wxString> ClassesRootDefault(const wxString& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.wc_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<wxString> value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(handle, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(handle, nullptr, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
            text.resize(wcsnlen(text.c_str(), text.size()));
            value = wxString(text.c_str());
        }
    }
    RegCloseKey(handle);
    return value;
}

// A registered command line in the form the browser command reader takes (a desktop entry's):
// backslashes in quotes stand for themselves, "%1" and "%L" are the target's place, other
// percent signs stay percent signs.
wxString AsDesktopEntryCommand(const wxString& command) {
    wxString converted;
    bool quoted = false;
    for (size_t i = 0; i < command.length(); ++i) {
        const wxUniChar c = command[i];
        if (c == '"') {
            quoted = !quoted;
            converted += c;
        } else if (c == '\\' && quoted) {
            converted += "\\\\";
        } else if (c == '%' && i + 1 < command.length() &&
                   (command[i + 1] == '1' || command[i + 1] == 'L' || command[i + 1] == 'l')) {
            converted += "%u";
            ++i;
        } else if (c == '%') {
            converted += "%%";
        } else {
            converted += c;
        }
    }
    return converted;
}

LinkError LinkErrorOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            return LinkError::FileNotFound;
        case ERROR_PATH_NOT_FOUND:
            return LinkError::PathNotFound;
        case ERROR_ACCESS_DENIED:
            return LinkError::AccessDenied;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return LinkError::NotEnoughMemory;
        case ERROR_BAD_FORMAT:
        case ERROR_BAD_EXE_FORMAT:
            return LinkError::BadFormat;
        case ERROR_SHARING_VIOLATION:
            return LinkError::SharingViolation;
        default:
            return LinkError::OutOfResources;
    }
}

class DesktopOpener : public LinkOpener {
public:
    bool OpenWithDesktop(const wxString& target) override {
        const HINSTANCE result =
            ShellExecuteW(nullptr, L"open", target.wc_str(), nullptr, nullptr, SW_SHOW);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }

    std::optional<wxString> DefaultBrowserCommand() override {
        const std::optional<wxString> htmlClass = ClassesRootDefault(".htm");
        if (!htmlClass || htmlClass->empty()) {
            return std::nullopt;
        }
        const std::optional<wxString> command =
            ClassesRootDefault(*htmlClass + "\\shell\\open\\command");
        if (!command || command->empty()) {
            return std::nullopt;
        }
        return AsDesktopEntryCommand(*command);
    }

    LinkResult Start(const std::vector<wxString>& arguments) override {
        if (arguments.empty()) {
            return LinkResult::Failed(LinkError::FileNotFound);
        }
        // Each argument quoted by the rules the started program's runtime splits by.
        wxString line;
        for (const wxString& argument : arguments) {
            if (!line.empty()) {
                line += ' ';
            }
            line += Quoted(argument);
        }
        std::wstring commandLine(line.wc_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            return LinkResult::Failed(LinkErrorOf(GetLastError()));
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return LinkResult::Opened();
    }

    void Beep() override { MessageBeep(MB_ICONEXCLAMATION); }

    void ShowMessage(wxWindow* parent, const wxString& text) override {
        wxMessageBox(text, wxTheApp ? wxTheApp->GetAppDisplayName() : wxString(),
                     wxOK | wxICON_EXCLAMATION, parent);
    }

private:
    static wxString Quoted(const wxString& argument) {
        if (!argument.empty() && argument.find_first_of(" \t\"") == wxString::npos) {
            return argument;
        }
        wxString quoted = "\"";
        size_t backslashes = 0;
        for (const wxUniChar c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, wxUniChar('\\'));
            backslashes = 0;
            quoted += c;
        }
        quoted.append(backslashes * 2, wxUniChar('\\'));
        return quoted + "\"";
    }
};

}  // namespace

LinkOpener& DesktopLinkOpener() {
    static DesktopOpener opener;
    return opener;
}

}  // namespace tarv
