#include "InBandHeaders.h"

namespace tarv::tools {

namespace {

// The offset of the first "00 00 01" start code at or after `from`, or `size`.
size_t NextStartCode(const uint8_t* data, size_t size, size_t from) {
    for (size_t i = from; i + 3 <= size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            return i;
        }
    }
    return size;
}

// The code after the start code at `at`, or -1 when the sample ends there.
int CodeAt(const uint8_t* data, size_t size, size_t at) {
    return at + 3 < size ? data[at + 3] : -1;
}

}  // namespace

size_t LeadingHeaderBytes(AVCodecID codec, const uint8_t* data, size_t size) {
    // Sound and every other codec carry no such headers: not worth a scan of each packet.
    if (!data || (codec != AV_CODEC_ID_MPEG4 && codec != AV_CODEC_ID_H264)) {
        return 0;
    }
    size_t at = NextStartCode(data, size, 0);
    if (at > 1 || (at == 1 && data[0] != 0)) {
        return 0;  // not a sample that starts with a unit
    }
    size_t headers = 0;  // where the first unit that is not a header begins
    while (at < size) {
        const int code = CodeAt(data, size, at);
        bool header = false;
        if (codec == AV_CODEC_ID_MPEG4) {
            // Everything before the first picture (0xB6): sequence (0xB0), user data (0xB2),
            // group of pictures (0xB3), visual object (0xB5), object (0x00-0x1F), layer (0x2x).
            header = code >= 0 && code != 0xB6;
        } else if (codec == AV_CODEC_ID_H264) {
            const int type = code & 0x1F;
            header = code >= 0 && (type == 7 || type == 8);
        }
        if (!header) {
            break;
        }
        at = NextStartCode(data, size, at + 3);
        // A four-byte start code's leading zero belongs to the unit it introduces.
        headers = at < size && data[at - 1] == 0 ? at - 1 : at;
    }
    return headers < size ? headers : 0;
}

}  // namespace tarv::tools
