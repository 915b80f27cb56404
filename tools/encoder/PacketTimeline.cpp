#include "PacketTimeline.h"

#include <limits>

extern "C" {
#include <libavutil/avutil.h>
}

namespace tarv::tools {

namespace {

// Damaged times can lie anywhere in the 64-bit range; sums stop at its ends.
int64_t Sum(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }
    return sum;
}

}  // namespace

PacketTimeline::PacketTimeline(int64_t tolerance, int64_t earliest, int64_t latest)
    : m_tolerance(tolerance), m_earliest(earliest), m_latest(latest) {}

bool PacketTimeline::Usable(int64_t time) {
    constexpr int64_t kFarthest = int64_t{1} << 62;
    return time != AV_NOPTS_VALUE && time <= kFarthest && time >= -kFarthest;
}

bool PacketTimeline::Near(int64_t a, int64_t b) const {
    const long double difference = static_cast<long double>(a) - static_cast<long double>(b);
    return difference <= m_tolerance && difference >= -m_tolerance;
}

std::optional<int64_t> PacketTimeline::Take(int64_t time, int64_t duration) {
    std::optional<int64_t> shift;
    const std::optional<int64_t> next = Usable(time) ? std::optional<int64_t>(time) : std::nullopt;
    if (m_holding) {
        shift = Judge(next);
    }
    m_holding = true;
    m_heldTime = next.value_or(AV_NOPTS_VALUE);
    m_heldDuration = duration > 0 ? duration : 0;
    return shift;
}

std::optional<int64_t> PacketTimeline::Finish() {
    if (!m_holding) {
        return std::nullopt;
    }
    m_holding = false;
    return Judge(std::nullopt);
}

bool PacketTimeline::PresentationFits(int64_t dts, int64_t pts) {
    if (!Usable(dts) || !Usable(pts)) {
        return true;
    }
    const int64_t offset = Sum(pts, -dts);
    if (!m_usualOffset || Near(offset, *m_usualOffset)) {
        m_usualOffset = m_usualOffset.value_or(offset);
        m_newOffsetCount = 0;
        return true;
    }
    if (m_newOffset && Near(offset, *m_newOffset)) {
        if (++m_newOffsetCount >= 3) {
            m_usualOffset = offset;
            m_newOffsetCount = 0;
            return true;
        }
    } else {
        m_newOffset = offset;
        m_newOffsetCount = 1;
    }
    return false;
}

int64_t PacketTimeline::Judge(std::optional<int64_t> next) {
    if (m_heldTime == AV_NOPTS_VALUE) {
        return m_shift;
    }
    const int64_t time = Sum(m_heldTime, m_shift);
    const int64_t duration = m_heldDuration;
    const std::optional<int64_t> following =
        next ? std::optional<int64_t>(Sum(*next, m_shift)) : std::nullopt;
    // Whether the next packet carries on from this one, wherever this one lies.
    const bool followed = following && Near(*following, Sum(time, duration));
    int64_t placed = time;
    if (!m_expected) {
        if (!Plausible(time)) {
            if (following && !followed && Plausible(*following)) {
                // The first packet alone astray: it goes just before the next one.
                placed = Sum(*following, -duration);
            } else {
                // The stream starts out of the file's range, and goes on there when the next
                // packet follows: it starts where the file does instead, else the pictures
                // would be held from the file's start to there, days of them.
                const int64_t start = Sum(m_earliest, m_tolerance);
                if (followed) {
                    m_shift = Sum(m_shift, Sum(start, -time));
                }
                placed = start;
            }
        }
    } else if (!Near(time, *m_expected)) {
        const bool resumed = following && Near(*following, Sum(*m_expected, duration));
        if (followed && !Plausible(time)) {
            // A lasting leap out of the file's range: the stream goes on from where it was.
            m_shift = Sum(m_shift, Sum(*m_expected, -time));
            placed = *m_expected;
        } else if (!followed && (resumed || !Plausible(time))) {
            // One packet astray: it goes where the one before it ended.
            placed = *m_expected;
        }
    }
    m_expected = Sum(placed, duration);
    return Sum(placed, -m_heldTime);
}

}  // namespace tarv::tools
