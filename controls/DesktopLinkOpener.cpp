// The program's link opener on the real desktop: the desktop's own handler, the default
// browser's command, programs started without a shell, and why one could not be started.
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include "DefaultBrowser.h"
#include "LinkOpener.h"

namespace tarv {
namespace {

bool IsExecutableFile(const wxString& path) {
    return wxFileName::FileExists(path) && wxFileName::IsFileExecutable(path);
}

// Why a program cannot be started, before trying; none when nothing is in the way.
std::optional<LinkError> CheckProgram(const wxString& program) {
    if (program.Contains("/")) {
        if (!wxFileName::DirExists(wxFileName(program).GetPath())) {
            return LinkError::PathNotFound;
        }
        if (!wxFileName::FileExists(program)) {
            return LinkError::FileNotFound;
        }
        return IsExecutableFile(program) ? std::nullopt : std::optional(LinkError::AccessDenied);
    }
    wxString path;
    wxGetEnv("PATH", &path);
    bool seen = false;
    wxStringTokenizer dirs(path, ":", wxTOKEN_STRTOK);
    while (dirs.HasMoreTokens()) {
        const wxString candidate = dirs.GetNextToken() + "/" + program;
        if (IsExecutableFile(candidate)) {
            return std::nullopt;
        }
        seen = seen || wxFileName::FileExists(candidate);
    }
    return seen ? LinkError::AccessDenied : LinkError::FileNotFound;
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

    LinkResult Start(const std::vector<wxString>& arguments) override {
        if (arguments.empty()) {
            return LinkResult::Failed(LinkError::FileNotFound);
        }
        if (const std::optional<LinkError> obstacle = CheckProgram(arguments.front())) {
            return LinkResult::Failed(*obstacle);
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
        return wxExecute(argv.data(), wxEXEC_ASYNC) != 0
                   ? LinkResult::Opened()
                   : LinkResult::Failed(LinkError::OutOfResources);
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
