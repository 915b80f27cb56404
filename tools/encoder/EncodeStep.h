// The encode step: any input a user can add, into an AVI with Xvid or H.264 video and AAC-LC
// audio, printing progress records while it works.
#pragma once

#include "EncoderCommand.h"
#include "Status.h"

namespace tarv::tools {

Status RunEncodeStep(const EncoderJob& job);

}  // namespace tarv::tools
