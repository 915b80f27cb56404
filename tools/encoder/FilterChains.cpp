#include "FilterChains.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace tarv::tools {

namespace {

// The normaliser's defaults look 15 seconds ahead, so the audio would trail the video by that
// much and the AVI writer would have to hold it all; a 200 ms frame over a 15-frame window
// still evens out loudness over a few seconds.
constexpr const char* kNormaliser = "dynaudnorm=f=200:g=15";

}  // namespace

std::string VideoChainDescription(const VideoChainSettings& s) {
    std::string chain;
    switch (s.rotation) {
        case 90:
            chain = "transpose=clock,";
            break;
        case 180:
            chain = "hflip,vflip,";
            break;
        case 270:
            chain = "transpose=cclock,";
            break;
        default:
            break;
    }
    if (s.scale) {
        chain += "scale=" + std::to_string(s.scale->first & ~1) + ":" +
                 std::to_string(s.scale->second & ~1) + ",setsar=1,";
    } else {
        chain += "scale=trunc(iw/2)*2:trunc(ih/2)*2,";
    }
    chain += "fps=fps=" + std::to_string(s.frameRate.first) + "/" +
             std::to_string(s.frameRate.second) + ":start_time=0,format=yuv420p";
    return chain;
}

std::string AudioChainDescription(int sampleRate, int inputChannels, bool normaliseVolume) {
    const std::string rate = std::to_string(sampleRate);
    // Named outright: left to negotiate between mono and stereo, the filters would pick mono
    // for surround sound.
    const std::string layout = inputChannels > 1 ? "stereo" : "mono";
    std::string chain = "aresample=" + rate + ":async=1:first_pts=0,";
    if (normaliseVolume) {
        // The normaliser works in double precision; converting once before it saves a pass.
        chain += "aformat=sample_fmts=dblp:sample_rates=" + rate + ":channel_layouts=" + layout +
                 "," + kNormaliser + ",";
    }
    chain += "aformat=sample_fmts=fltp:sample_rates=" + rate + ":channel_layouts=" + layout;
    return chain;
}

Status FilterChain::Configure(bool video, const std::string& sourceArgs,
                              const std::string& description, int frameSize) {
    m_graph.reset(avfilter_graph_alloc());
    if (!m_graph) {
        return Status::Failure("out of memory");
    }
    const AVFilter* source = avfilter_get_by_name(video ? "buffer" : "abuffer");
    const AVFilter* sink = avfilter_get_by_name(video ? "buffersink" : "abuffersink");
    int error = avfilter_graph_create_filter(&m_source, source, "in", sourceArgs.c_str(), nullptr,
                                             m_graph.get());
    if (error >= 0) {
        error = avfilter_graph_create_filter(&m_sink, sink, "out", nullptr, nullptr, m_graph.get());
    }
    if (error < 0) {
        return AvFailure("cannot set up the filters", error);
    }

    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    if (outputs && inputs) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = m_source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = m_sink;
        error = avfilter_graph_parse_ptr(m_graph.get(), description.c_str(), &inputs, &outputs,
                                         nullptr);
    } else {
        error = AVERROR(ENOMEM);
    }
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (error >= 0) {
        error = avfilter_graph_config(m_graph.get(), nullptr);
    }
    if (error < 0) {
        return AvFailure("cannot set up the filters", error);
    }
    if (frameSize > 0) {
        av_buffersink_set_frame_size(m_sink, frameSize);
    }
    return Status::Ok();
}

Status FilterChain::Push(AVFrame* frame) {
    const int error = av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
    return error < 0 ? AvFailure("cannot filter a frame", error) : Status::Ok();
}

Status FilterChain::Close(int64_t endPts) {
    const int error = av_buffersrc_close(m_source, endPts, AV_BUFFERSRC_FLAG_PUSH);
    return error < 0 ? AvFailure("cannot finish filtering", error) : Status::Ok();
}

int FilterChain::Pull(AVFrame* frame) {
    return av_buffersink_get_frame(m_sink, frame);
}

}  // namespace tarv::tools
