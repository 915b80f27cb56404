// The stream headers a raw video track repeats at each key frame. In a 3GPP file they belong
// in the track's sample description once; the samples need not carry them again.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace tarv::tools {

// How many bytes at the start of a sample are stream headers: MPEG-4 Part 2 sequence, object
// and layer headers up to the first picture, or H.264 sequence and picture parameter sets up
// to the first other unit. 0 when the sample starts with none, or holds nothing else.
size_t LeadingHeaderBytes(AVCodecID codec, const uint8_t* data, size_t size);

}  // namespace tarv::tools
