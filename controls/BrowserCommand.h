// A browser's command line from the desktop's configuration, with a link put in: as one line of
// text, and as the arguments that start it.
#pragma once

#include <wx/string.h>

#include <vector>

namespace tarv {

// The browser's command line with the target put in: a placeholder of the target ("%u", "%U",
// "%f" or "%F") in double quotes cuts the line at the opening quote, a bare one cuts it at the
// placeholder, and a line without one is kept whole; then a blank and the target, unquoted.
wxString ComposeBrowserCommand(const wxString& command, const wxString& target);

// What ComposeBrowserCommand's line starts: the command part split into arguments as a desktop
// entry's command line is (blanks separate, double quotes group, a backslash in quotes escapes
// the next character, "%%" is a percent sign, other field codes are dropped), then the target
// as one argument of its own whatever it holds.
std::vector<wxString> BrowserCommandArguments(const wxString& command, const wxString& target);

}  // namespace tarv
