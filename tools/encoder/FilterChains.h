// The filter chains of the encode step as filter-graph descriptions, and the small graph
// wrapper that runs one: frames in at the source, frames out at the sink.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "LibavHandles.h"
#include "Status.h"

extern "C" {
#include <libavfilter/avfilter.h>
}

namespace tarv::tools {

struct VideoChainSettings {
    int rotation = 0;                          // clockwise degrees: 0, 90, 180 or 270
    std::optional<std::pair<int, int>> scale;  // empty keeps the (upright) input size
    std::pair<int, int> frameRate{10, 1};
    std::pair<int, int> inputSize{0, 0};               // as stored, before turning upright
    std::pair<int, int> inputRate{0, 1};               // 0/1 when unknown
    AVColorSpace inputMatrix = AVCOL_SPC_UNSPECIFIED;  // as the source's stream says
};

// The colour matrix a picture of that size is decoded with: the one it is marked with, else the
// one players assume for its size (high definition, 1280 wide or over 576 lines: BT.709;
// smaller: BT.601).
AVColorSpace MatrixOf(AVColorSpace marked, int width, int height);

// The size of the pictures the chain hands out.
std::pair<int, int> VideoChainOutputSize(const VideoChainSettings& settings);

// Upright, scaled (to even sizes: the encoders work on 2x2 chroma blocks) with the display
// shape kept in the sample aspect ratio, in limited-range colours coded in the matrix players
// assume for the output's size (MPEG-4 Part 2 has no way to name another), and the frame rate held
// by duplicating or dropping frames from time 0. The steps run in whichever order does the least
// work for the same pictures: frames are dropped before they are scaled, and turned where they are
// smaller.
std::string VideoChainDescription(const VideoChainSettings& settings);

// Whether that chain takes pictures whose size or format changes midway: its scaler brings
// them to one size before anything else looks at them.
bool VideoChainTakesAnyPicture(const VideoChainSettings& settings);

// Resampled to `sampleRate` from time 0 (gaps filled with silence) and down-mixed to stereo
// when the input has more than one channel, in the encoder's sample format.
std::string AudioChainDescription(int sampleRate, int inputChannels);

struct FilterGraphDeleter {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;

class FilterChain {
public:
    // `sourceArgs` describes the frames pushed in ("video_size=...:pix_fmt=..." or
    // "sample_rate=...:sample_fmt=..."); `frameSize` > 0 makes the audio sink hand out frames
    // of exactly that many samples (the last one may be shorter).
    Status Configure(bool video, const std::string& sourceArgs, const std::string& description,
                     int frameSize = 0);

    Status Push(AVFrame* frame);
    // Ends the input at `endPts` (in the source's time base) so the last frame lasts until then.
    Status Close(int64_t endPts);
    // 0 with a frame, AVERROR(EAGAIN) when more input is needed, AVERROR_EOF at the end.
    int Pull(AVFrame* frame);

    const AVFilterContext* Sink() const { return m_sink; }

private:
    FilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
};

}  // namespace tarv::tools
