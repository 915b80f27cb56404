#include <windows.h>

// The headers of the shell and common controls need its definitions first.
#include <shellapi.h>

#include "ProgramArguments.h"
#include "WindowsText.h"

namespace tarv {

std::vector<std::string> ProgramArguments(int, char**) {
    // The C runtime's argv holds the names in the system's code page, which cannot spell every
    // name; the wide command line, split by the same rules, can.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i) {
        arguments.push_back(Utf8FromWide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace tarv
