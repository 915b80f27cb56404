// Adds raw tracks to a 3GPP file: a full remux of the tracks it already holds and the new
// ones into a temporary file, renamed over the target only when complete.
#pragma once

#include "MuxerCommand.h"
#include "Status.h"

namespace tarv::tools {

Status RunMux(const MuxJob& job);

}  // namespace tarv::tools
