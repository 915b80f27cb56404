// How a link reaches the desktop: its default handler first, then the default web browser's
// command started directly. The desktop side sits behind LinkOpener so that nothing but the
// program ever starts a browser.
#pragma once

#include <wx/string.h>

#include <optional>
#include <vector>

#include "LinkResult.h"

class wxWindow;

namespace tarv {

// The desktop's side of opening a link.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    // Hands the target to the desktop's default handler; true when that started.
    virtual bool OpenWithDesktop(const wxString& target) = 0;
    // The default web browser's command line, with its placeholder; none when no browser is
    // set up.
    virtual std::optional<wxString> DefaultBrowserCommand() = 0;
    // Starts a program without waiting for it.
    virtual LinkResult Start(const std::vector<wxString>& arguments) = 0;
    // The warning sound and the message box of a failure.
    virtual void Beep() = 0;
    virtual void ShowMessage(wxWindow* parent, const wxString& text) = 0;
};

// The program's opener, on the real desktop. Lives as long as the process.
LinkOpener& DesktopLinkOpener();

// Opens the target: through the desktop's handler, else the default browser. A failure names
// the browser's reason when it was tried, else the missing association.
LinkResult GotoURL(const wxString& target, LinkOpener& opener);

}  // namespace tarv
