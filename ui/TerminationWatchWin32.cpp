#include "TerminationWatch.h"

namespace tarv {

// Windows asks a program to end by ending the session, which the framework turns into closing
// its windows: the frame's close handler stops the batch as for the close box. There are no
// signals to watch.
void WatchTerminationSignals() {}

}  // namespace tarv
