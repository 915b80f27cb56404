// What the video and audio tracks of the encode step share: opening a decoder for an input
// stream and sending frames through an encoder to the writer.
#pragma once

#include <functional>

#include "LibavHandles.h"
#include "Status.h"

namespace tarv::tools {

// Receives each encoded packet, its timestamps in the encoder's time base.
using PacketWriter = std::function<Status(AVPacket* packet)>;

// A decoder for `stream`, using every core where the codec can.
Status OpenDecoder(const AVStream* stream, CodecContextPtr& out);

// Sends `frame` (nullptr to flush) to `encoder` and hands every packet it returns to `write`.
Status EncodeAndWrite(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet,
                      const PacketWriter& write);

// Feeds `packet` (nullptr to flush) to `decoder` and calls `use` with every frame it returns.
Status DecodeEach(AVCodecContext* decoder, const AVPacket* packet, AVFrame* frame,
                  const std::function<Status(AVFrame*)>& use);

}  // namespace tarv::tools
