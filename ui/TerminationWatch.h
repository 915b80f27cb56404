// A request from outside to end the program closes the window as the close box does: the batch
// is stopped, its tool ended and the output folder kept. On Linux the requests are signals
// (TerminationWatchPosix.cpp); on Windows the end of the session reaches the window itself as
// a message the framework answers by closing it (TerminationWatchWin32.cpp).
#pragma once

namespace tarv {

// Called once the main window exists.
void WatchTerminationSignals();

}  // namespace tarv
