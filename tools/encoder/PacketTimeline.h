// Keeps one stream's packet times in line where damage has garbled a few of them, so that one
// bad time neither freezes the picture for hours nor drops the sound that follows it.
#pragma once

#include <cstdint>
#include <optional>

namespace tarv::tools {

// Each packet is judged once the stream's next packet has been seen. A packet whose time leaps
// away from the packets on both sides of it is put where the one before it ended. A leap that
// the next packet follows is kept (a pause in the pictures, a new start), unless it lands
// outside the file's playing time: then the stream goes on from where it was (or, for a
// stream that starts out there, from where the file starts). Times that
// follow on from each other are never touched, so a file without damage keeps every time.
class PacketTimeline {
public:
    // All in the stream's time base: how far a packet may stray from where the one before it
    // ended without counting as a leap, and the earliest and latest times a packet can have.
    PacketTimeline(int64_t tolerance, int64_t earliest, int64_t latest);

    // Whether a time is one at all: not AV_NOPTS_VALUE, and not so far out (a million years and
    // more in any time base a file uses) that only damage can have put it there. The caller
    // clears the others; Take treats them as no time.
    static bool Usable(int64_t time);

    // Takes the next packet's time (its decoding time, else its presentation time;
    // AV_NOPTS_VALUE for neither) and duration (0 when unknown). Returns what to add to the
    // times of the packet taken before it; nothing when this is the first.
    std::optional<int64_t> Take(int64_t time, int64_t duration);
    // What to add to the times of the last packet taken, at the stream's end; nothing when no
    // packet was taken since.
    std::optional<int64_t> Finish();

    // Whether a packet's presentation time goes with its decoding time: the two lie the
    // stream's usual distance apart, give or take the tolerance. A stream's usual distance is
    // that of its first packet with both, and changes when three packets in a row agree on
    // another. Call it for every packet, before Take.
    bool PresentationFits(int64_t dts, int64_t pts);

private:
    int64_t Judge(std::optional<int64_t> next);
    bool Plausible(int64_t time) const { return time >= m_earliest && time <= m_latest; }
    bool Near(int64_t a, int64_t b) const;

    int64_t m_tolerance;
    int64_t m_earliest;
    int64_t m_latest;
    int64_t m_shift = 0;                // added to every time from the last lasting leap on
    std::optional<int64_t> m_expected;  // where the last judged packet ended, shifted
    bool m_holding = false;             // a packet waits for its judgement
    int64_t m_heldTime = 0;
    int64_t m_heldDuration = 0;
    std::optional<int64_t> m_usualOffset;  // presentation less decoding time
    std::optional<int64_t> m_newOffset;    // one that packets have agreed on lately
    int m_newOffsetCount = 0;
};

}  // namespace tarv::tools
