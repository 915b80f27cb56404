#include <windows.h>

// The headers of the shell and common controls need its definitions first.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "SignalCleanup.h"
#include "ToolProcess.h"
#include "WideText.h"

namespace tarv::tools {

void PrepareToolProcess() {
    // The records go out byte for byte as on every other system: no "\n" turned into "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // No error box may wait for a click nobody sees: the tools run without a window.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    InstallSignalCleanup();
}

std::vector<std::string> ToolArguments(int, char**) {
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

}  // namespace tarv::tools
