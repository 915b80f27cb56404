// How a link reaches the desktop: its default handler first, then the default web browser's
// command started directly, and the reason in words when both fail. The desktop side sits
// behind LinkOpener so that nothing but the program ever starts a browser.
#pragma once

#include <wx/string.h>

#include <optional>
#include <vector>

class wxWindow;

namespace tarv {

// Why a link did not open. The numbers are the traditional ones of the platforms that
// report shell errors as codes; any result above kLinkErrorLast means the link opened.
inline constexpr int kLinkErrorOutOfResources = 0;
inline constexpr int kLinkErrorFileNotFound = 2;
inline constexpr int kLinkErrorPathNotFound = 3;
inline constexpr int kLinkErrorAccessDenied = 5;
inline constexpr int kLinkErrorNotEnoughMemory = 8;
inline constexpr int kLinkErrorBadFormat = 11;
inline constexpr int kLinkErrorSharingViolation = 26;
inline constexpr int kLinkErrorAssociationIncomplete = 27;
inline constexpr int kLinkErrorDdeTimeout = 28;
inline constexpr int kLinkErrorDdeFailed = 29;
inline constexpr int kLinkErrorDdeBusy = 30;
inline constexpr int kLinkErrorNoAssociation = 31;
inline constexpr int kLinkErrorLibraryNotFound = 32;
inline constexpr int kLinkErrorLast = 32;
inline constexpr int kLinkOpened = 33;

inline bool LinkOpened(int result) {
    return result > kLinkErrorLast;
}

// The words for an error code.
wxString LinkErrorText(int code);
// The whole message shown when a link cannot be opened.
wxString LinkErrorMessage(int code);

// The browser's command line with the target put in: a placeholder of the target ("%u", "%U",
// "%f" or "%F") in double quotes cuts the line at the opening quote, a bare one cuts it at the
// placeholder, and a line without one is kept whole; then a blank and the target, unquoted.
wxString ComposeBrowserCommand(const wxString& command, const wxString& target);

// What ComposeBrowserCommand's line starts: the command part split into arguments as a desktop
// entry's command line is (blanks separate, double quotes group, a backslash in quotes escapes
// the next character, "%%" is a percent sign, other field codes are dropped), then the target
// as one argument of its own whatever it holds.
std::vector<wxString> BrowserCommandArguments(const wxString& command, const wxString& target);

// The desktop's side of opening a link.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    // Hands the target to the desktop's default handler; true when that started.
    virtual bool OpenWithDesktop(const wxString& target) = 0;
    // The default web browser's command line, with its placeholder; none when no browser is
    // set up.
    virtual std::optional<wxString> DefaultBrowserCommand() = 0;
    // Starts a program without waiting for it: kLinkOpened or an error code.
    virtual int Start(const std::vector<wxString>& arguments) = 0;
    // The warning sound and the message box of a failure.
    virtual void Beep() = 0;
    virtual void ShowMessage(wxWindow* parent, const wxString& text) = 0;
};

// The program's opener, on the real desktop. Lives as long as the process.
LinkOpener& DesktopLinkOpener();

// Opens the target: kLinkOpened, or the code of the desktop's failure, or of the browser's
// when it was tried.
int GotoURL(const wxString& target, LinkOpener& opener);

// Where the desktop's configuration lives (the XDG base directories).
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
