#pragma once

#include <string>

// The title the desktop shows for the window of process `pid`, as a window manager reads it from
// the X server; empty while that process has no titled window.
std::string WindowTitleOf(int pid);
