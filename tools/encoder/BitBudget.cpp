#include "BitBudget.h"

#include <algorithm>
#include <cmath>

namespace tarv::tools {

namespace {

// The rate a busy stretch may run above the average is paid back over this many seconds.
constexpr double kPaybackSeconds = 2.0;
// What a second may carry is kept this far under the level's limit: the frame sizes are
// foreseen, not known.
constexpr double kPeakMargin = 0.92;
// A key frame costs about this many P frames at the same quantiser.
constexpr double kKeyFrameWeight = 5.0;

}  // namespace

BitBudget::BitBudget(double targetKbps, int peakKbps, std::pair<int, int> frameRate,
                     bool holdAverage)
    : m_holdAverage(holdAverage) {
    const double fps = frameRate.second > 0 && frameRate.first > 0
                           ? static_cast<double>(frameRate.first) / frameRate.second
                           : 25.0;
    m_framesPerSecond = std::max(1, static_cast<int>(std::ceil(fps)));
    m_frameBits = targetKbps * 1000.0 / fps;
    m_peakBits = std::max<double>(peakKbps, targetKbps) * 1000.0 * kPeakMargin;
    // A first guess that the first frames correct: a middling quantiser spends the average.
    m_complexity[0] = m_frameBits * 6;
    m_complexity[1] = m_complexity[0] * kKeyFrameWeight;
}

BitBudget::Plan BitBudget::Next(bool key) const {
    Plan plan;
    // Aim at the average, less a share of what has been overspent; a key frame may cost what
    // several P frames do, and the P frames after it pay that back.
    const double average =
        std::clamp(m_frameBits - m_excess / (kPaybackSeconds * m_framesPerSecond), m_frameBits / 4,
                   m_frameBits * 3);
    const double aim = key ? average * kKeyFrameWeight : average;
    const double complexity = m_complexity[key ? 1 : 0];
    int q = static_cast<int>(std::ceil(complexity / aim));
    // Small steps from frame to frame, key frames included: the picture does not flicker in
    // quality, and a P frame after a coarse key frame need not make up for it at great cost.
    if (m_lastQuantiser > 0) {
        q = std::clamp(q, m_lastQuantiser - 2, m_lastQuantiser + 3);
    }
    q = std::clamp(q, kFinest, kCoarsest);
    // Pictures that cost more than the average even at the coarsest quantiser, with the
    // average already overspent: where the average is a bound, the picture is repeated
    // instead, and the stream keeps it by showing fewer new pictures.
    if (m_holdAverage && !key && m_excess > 0 && complexity / kCoarsest > aim) {
        plan.quantiser = kCoarsest;
        plan.repeat = true;
        return plan;
    }
    // The level's second: what is left of it for this frame.
    const double left = m_peakBits - static_cast<double>(m_windowBits);
    if (complexity / q > left) {
        q = left > 0 ? static_cast<int>(std::ceil(complexity / left)) : kCoarsest + 1;
        if (q > kCoarsest) {
            plan.repeat = !key;
            q = kCoarsest;
        }
    }
    plan.quantiser = q;
    return plan;
}

void BitBudget::Coded(int quantiser, bool key, bool repeated, int64_t bytes) {
    const int64_t bits = bytes * 8;
    if (!repeated) {
        double& complexity = m_complexity[key ? 1 : 0];
        complexity = 0.5 * complexity + 0.5 * static_cast<double>(bits) * quantiser;
        m_lastQuantiser = quantiser;
    }
    m_excess += static_cast<double>(bits) - m_frameBits;
    m_window.push_back(bits);
    m_windowBits += bits;
    while (static_cast<int>(m_window.size()) > m_framesPerSecond - 1) {
        m_windowBits -= m_window.front();
        m_window.pop_front();
    }
}

}  // namespace tarv::tools
