// What the window needs from the process around it: where the program's files are, where its
// settings live and how links reach the desktop. The program passes its own; tests their own.
#pragma once

#include <string>

class wxConfigBase;

namespace tarv {

class LinkOpener;

struct ProgramContext {
    std::string programFolder;         // the tools, logo.bmp and the help file; ends in "/"
    wxConfigBase* settings = nullptr;  // the per-user settings; not owned
    LinkOpener* opener = nullptr;      // null: the desktop's own
};

}  // namespace tarv
