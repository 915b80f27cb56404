#include "StreamLevels.h"

#include <cmath>
#include <cstdint>
#include <iterator>

namespace tarv::tools {

namespace {

struct Limits {
    int id;  // level_idc, or profile_and_level_indication
    int64_t mbPerSecond;
    int mbPerFrame;
    int kbps;
    int bufferKbits;  // H.264: the coded picture buffer in 1000 bits
};

// H.264 Table A-1, Baseline and Main: macroblocks per second and per frame, bitrate in
// 1000 bit/s, coded picture buffer in 1000 bits. Level 1b is left out: it sits between 1 and
// 1.1 in its limits but not in its number.
constexpr Limits kH264[] = {
    {10, 1485, 99, 64, 175},
    {11, 3000, 396, 192, 500},
    {12, 6000, 396, 384, 1000},
    {13, 11880, 396, 768, 2000},
    {20, 11880, 396, 2000, 2000},
    {21, 19800, 792, 4000, 4000},
    {22, 20250, 1620, 4000, 4000},
    {30, 40500, 1620, 10000, 10000},
    {31, 108000, 3600, 14000, 14000},
    {32, 216000, 5120, 20000, 20000},
    {40, 245760, 8192, 20000, 25000},
    {41, 245760, 8192, 50000, 62500},
    {42, 522240, 8704, 50000, 62500},
    {50, 589824, 22080, 135000, 135000},
    {51, 983040, 36864, 240000, 240000},
    {52, 2073600, 36864, 240000, 240000},
};

// MPEG-4 Part 2 Simple Profile levels 1, 2, 3, 4a, 5 and 6 (level 0 adds restrictions the
// encoder does not promise to keep).
constexpr Limits kMpeg4Simple[] = {
    {0x01, 1485, 99, 64, 0},      {0x02, 5940, 396, 128, 0},    {0x03, 11880, 396, 384, 0},
    {0x04, 36000, 1200, 4000, 0}, {0x05, 40500, 1620, 8000, 0}, {0x06, 108000, 3600, 12000, 0},
};

struct Demand {
    int mbWide;
    int mbHigh;
    int64_t mbPerSecond;
};

Demand DemandOf(const StreamShape& s) {
    Demand d{};
    d.mbWide = (s.width + 15) / 16;
    d.mbHigh = (s.height + 15) / 16;
    const int64_t perFrame = static_cast<int64_t>(d.mbWide) * d.mbHigh;
    const auto [num, den] = s.frameRate;
    d.mbPerSecond = den > 0 ? (perFrame * num + den - 1) / den : 0;
    return d;
}

bool Admits(const Limits& l, const Demand& d, int kbps) {
    return static_cast<int64_t>(d.mbWide) * d.mbHigh <= l.mbPerFrame &&
           d.mbPerSecond <= l.mbPerSecond && kbps <= l.kbps;
}

}  // namespace

H264Level H264LevelFor(const StreamShape& shape, int askedIdc) {
    const Demand d = DemandOf(shape);
    // Level 1b (9) admits more than level 1, so the next level up is the lowest above it.
    const int lowest = askedIdc == 9 ? 11 : askedIdc;
    for (const Limits& l : kH264) {
        // A frame may be no wider or higher than the square root of eight times the level's
        // frame size, in macroblocks (A.3.1).
        const double side = std::sqrt(8.0 * l.mbPerFrame);
        if (l.id >= lowest && Admits(l, d, shape.kbps) && d.mbWide <= side && d.mbHigh <= side) {
            return {l.id, l.kbps, l.bufferKbits};
        }
    }
    const Limits& top = kH264[std::size(kH264) - 1];
    return {top.id, top.kbps, top.bufferKbits};
}

Mpeg4Level Mpeg4SimpleLevelFor(const StreamShape& shape) {
    const Demand d = DemandOf(shape);
    for (const Limits& l : kMpeg4Simple) {
        if (Admits(l, d, shape.kbps)) {
            return {l.id, l.kbps};
        }
    }
    const Limits& top = kMpeg4Simple[std::size(kMpeg4Simple) - 1];
    return {top.id, top.kbps};
}

}  // namespace tarv::tools
