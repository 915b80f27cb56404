// What the video and audio tracks of the encode step share: opening a decoder for an input
// stream and sending frames through an encoder to the writer.
#pragma once

#include <functional>

#include "LibavHandles.h"
#include "Status.h"

extern "C" {
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace tarv::tools {

struct SwrContextDeleter {
    void operator()(SwrContext* c) const { swr_free(&c); }
};
struct SwsContextDeleter {
    void operator()(SwsContext* c) const { sws_freeContext(c); }
};
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;

// Receives each encoded packet, its timestamps in the encoder's time base.
using PacketWriter = std::function<Status(AVPacket* packet)>;

// A decoder for `stream`, using every core where the codec can.
Status OpenDecoder(const AVStream* stream, CodecContextPtr& out);

// Sends `frame` (nullptr to flush) to `encoder` and hands every packet it returns to `write`.
Status EncodeAndWrite(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet,
                      const PacketWriter& write);

// What a decoder could not make sense of: packets and frames skipped as damaged.
struct DamageTally {
    int64_t skipped = 0;
    int lastError = 0;  // libav's code for the latest, 0 before the first

    void Skip(int error) {
        ++skipped;
        lastError = error;
    }
};

// Feeds `packet` (nullptr to flush) to `decoder` and calls `use` with every frame it returns.
// A packet or frame the decoder rejects is skipped, as players do, and counted in `damage`
// when it is given: the rest of the file may still be good. Only running out of memory fails.
Status DecodeEach(AVCodecContext* decoder, const AVPacket* packet, AVFrame* frame,
                  const std::function<Status(AVFrame*)>& use, DamageTally* damage = nullptr);

}  // namespace tarv::tools
