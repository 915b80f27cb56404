// The copy steps: the encode step's AVI video stream into a raw elementary stream, or its AAC
// stream into an ADTS file, unchanged.
#pragma once

#include "EncoderCommand.h"
#include "Status.h"

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace tarv::tools {

// The raw writer for a video codec: "m4v" for MPEG-4 Part 2, "h264" (Annex B) for H.264;
// nullptr for codecs that have no raw form the muxer step reads.
const char* RawVideoFormatFor(AVCodecID codec);

Status RunRawCopyStep(const EncoderJob& job);

}  // namespace tarv::tools
