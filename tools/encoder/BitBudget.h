// Per-frame quantisers for an encoder run at a fixed quantiser per frame, so that its stream
// keeps the average bitrate asked for and never spends more in any one second than the level
// it is labelled with allows.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

namespace tarv::tools {

class BitBudget {
public:
    // `peakKbps`: the most any second of the stream may carry. `holdAverage`: the average is a
    // bound too, kept even where the coarsest quantiser spends more, by repeating pictures.
    BitBudget(double targetKbps, int peakKbps, std::pair<int, int> frameRate,
              bool holdAverage = false);

    struct Plan {
        int quantiser = 2;    // 2 (finest) to 31 (coarsest)
        bool repeat = false;  // the second or the average is full: repeat the last picture,
                              // which costs next to nothing, instead of coding a new one
    };
    Plan Next(bool key) const;
    // What the frame planned last cost; a repeated picture says nothing of the pictures' cost.
    void Coded(int quantiser, bool key, bool repeated, int64_t bytes);

    static constexpr int kFinest = 2;
    static constexpr int kCoarsest = 31;

private:
    double m_frameBits;  // the average share of one frame
    double m_peakBits;   // what one second may carry, less a margin
    int m_framesPerSecond;
    bool m_holdAverage;
    double m_complexity[2];  // bits times quantiser of the last P and I frames, smoothed
    double m_excess = 0;     // bits spent beyond the average so far
    int m_lastQuantiser = 0;
    std::deque<int64_t> m_window;  // bits of the latest frames, one second less one
    int64_t m_windowBits = 0;
};

}  // namespace tarv::tools
