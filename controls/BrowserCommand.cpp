#include "BrowserCommand.h"

namespace tarv {
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

}  // namespace tarv
