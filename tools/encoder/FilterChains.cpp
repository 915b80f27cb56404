#include "FilterChains.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace tarv::tools {

namespace {

// Whether the picture is turned after it is scaled: scaling down first leaves less to turn.
bool TurnsAfterScaling(const VideoChainSettings& s) {
    if (!s.scale) {
        return true;
    }
    const int64_t output = static_cast<int64_t>(s.scale->first & ~1) * (s.scale->second & ~1);
    return output <= static_cast<int64_t>(s.inputSize.first) * s.inputSize.second;
}

// The scaler's name for a colour matrix.
const char* ScalerMatrixName(AVColorSpace matrix) {
    switch (matrix) {
        case AVCOL_SPC_BT709:
            return "bt709";
        case AVCOL_SPC_FCC:
            return "fcc";
        case AVCOL_SPC_SMPTE240M:
            return "smpte240m";
        case AVCOL_SPC_BT2020_NCL:
        case AVCOL_SPC_BT2020_CL:
            return "bt2020";
        default:
            return "bt601";
    }
}

}  // namespace

AVColorSpace MatrixOf(AVColorSpace marked, int width, int height) {
    if (marked != AVCOL_SPC_UNSPECIFIED && marked != AVCOL_SPC_RESERVED) {
        return marked;
    }
    return width >= 1280 || height > 576 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
}

std::pair<int, int> VideoChainOutputSize(const VideoChainSettings& s) {
    if (s.scale) {
        return {s.scale->first & ~1, s.scale->second & ~1};
    }
    const bool across = s.rotation == 90 || s.rotation == 270;
    const int width = across ? s.inputSize.second : s.inputSize.first;
    const int height = across ? s.inputSize.first : s.inputSize.second;
    return {width & ~1, height & ~1};
}

bool VideoChainTakesAnyPicture(const VideoChainSettings& s) {
    return s.scale.has_value() && (s.rotation == 0 || TurnsAfterScaling(s));
}

std::string VideoChainDescription(const VideoChainSettings& s) {
    std::string turn;
    switch (s.rotation) {
        case 90:
            turn = "transpose=clock";
            break;
        case 180:
            turn = "hflip,vflip";
            break;
        case 270:
            turn = "transpose=cclock";
            break;
        default:
            break;
    }
    // The scaler keeps the display shape in the sample aspect ratio it sets, as does the turn;
    // marking the result square would stretch every picture whose shape differs from the size
    // asked for.
    std::string scale;
    const bool turnLast = TurnsAfterScaling(s);
    if (s.scale) {
        auto [width, height] = VideoChainOutputSize(s);
        if (turnLast && (s.rotation == 90 || s.rotation == 270)) {
            std::swap(width, height);
        }
        scale = "scale=" + std::to_string(width) + ":" + std::to_string(height);
    } else {
        scale = "scale=trunc(iw/2)*2:trunc(ih/2)*2";
    }
    scale += ":out_range=tv";
    // High-definition sources are coded in another matrix than small pictures: carried over
    // unconverted, greens would come out a tenth brighter and reds darker on every phone. A
    // scaler of its own converts them where the pictures are smaller, as the turn does; done in
    // the same pass as the scaling, it took a quarter more time.
    const auto [outWidth, outHeight] = VideoChainOutputSize(s);
    const AVColorSpace from = MatrixOf(s.inputMatrix, s.inputSize.first, s.inputSize.second);
    const AVColorSpace to = MatrixOf(AVCOL_SPC_UNSPECIFIED, outWidth, outHeight);
    // The scaler's direct path from one YUV matrix to another is not exact: it darkens white
    // from 235 to 233 and greys by up to two steps. Through RGB, rounded exactly both ways and
    // from ten bits (the scaler's eight-bit way into RGB is off by one at black and white),
    // black and white stay at 16 and 235 and colours come within a step of the exact values.
    // It ends in YUV: left in RGB before a scaler that enlarges the picture, that scaler would
    // code it in its own default matrix.
    std::string convert;
    if (std::string(ScalerMatrixName(from)) != ScalerMatrixName(to)) {
        convert = std::string("format=yuv420p10le,scale=in_color_matrix=") +
                  ScalerMatrixName(from) +
                  ":flags=bicubic+accurate_rnd,format=gbrp,scale=out_color_matrix=" +
                  ScalerMatrixName(to) + ":out_range=tv:flags=bicubic+accurate_rnd,format=yuv420p";
    }
    // Dropping frames first spares the scaler the ones that are dropped; when the rate goes up,
    // duplicating last spares it the copies. The frames chosen are the same either way.
    const std::pair<int, int>& in = s.inputRate;
    const std::pair<int, int>& out = s.frameRate;
    const bool rateGoesUp =
        in.first > 0 && in.second > 0 &&
        static_cast<int64_t>(in.first) * out.second < static_cast<int64_t>(out.first) * in.second;
    const std::string fps =
        "fps=fps=" + std::to_string(out.first) + "/" + std::to_string(out.second) + ":start_time=0";

    std::string chain;
    auto add = [&chain](const std::string& filter) {
        if (!filter.empty()) {
            chain += (chain.empty() ? "" : ",") + filter;
        }
    };
    if (!rateGoesUp) {
        add(fps);
    }
    if (!turnLast) {
        add(turn);
    }
    if (!turnLast) {
        add(convert);
    }
    add(scale);
    if (turnLast) {
        add(convert);
    }
    add("format=yuv420p");
    if (turnLast) {
        add(turn);
    }
    if (rateGoesUp) {
        add(fps);
    }
    return chain;
}

std::string AudioChainDescription(int sampleRate, int inputChannels) {
    const std::string rate = std::to_string(sampleRate);
    // Named outright: left to negotiate between mono and stereo, the filters would pick mono
    // for surround sound. Floating point all the way, so a loud down-mix is not clipped before
    // the limiter has seen it.
    const std::string layout = inputChannels > 1 ? "stereo" : "mono";
    return "aresample=" + rate +
           ":async=1:first_pts=0,aformat=sample_fmts=fltp:sample_rates=" + rate +
           ":channel_layouts=" + layout;
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
