// The judge of damaged packet times, with plain numbers: ticks of one stream, packets ten ticks
// long, a tolerance of a hundred and a file that plays up to ten thousand.
#include "PacketTimeline.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
}

namespace tarv::tools {
namespace {

constexpr int64_t kTolerance = 100;
constexpr int64_t kLatest = 10000;

// Where each packet of a stream with these times ends up.
std::vector<int64_t> Placed(const std::vector<int64_t>& times, int64_t duration = 10) {
    PacketTimeline timeline(kTolerance, -kTolerance, kLatest);
    std::vector<int64_t> placed;
    auto add = [&](std::optional<int64_t> shift) {
        if (shift) {
            const int64_t time = times[placed.size()];
            placed.push_back(PacketTimeline::Usable(time) ? time + *shift : AV_NOPTS_VALUE);
        }
    };
    for (const int64_t time : times) {
        add(timeline.Take(time, duration));
    }
    add(timeline.Finish());
    EXPECT_FALSE(timeline.Finish());
    return placed;
}

TEST(PacketTimeline, TimesThatFollowOnAndALastingPauseKeepTheirPlaces) {
    const std::vector<int64_t> steady = {0, 10, 20, 30, 35, 50, 60};
    EXPECT_EQ(Placed(steady), steady);
    // Pictures that pause for a while and go on from there: a screen recording, a slide show.
    const std::vector<int64_t> paused = {0, 10, 20, 3000, 3010, 3020};
    EXPECT_EQ(Placed(paused), paused);
    // Packets that name no length still follow on within the tolerance.
    EXPECT_EQ(Placed(steady, 0), steady);
}

TEST(PacketTimeline, OnePacketAstrayIsPutWhereTheOneBeforeItEnded) {
    EXPECT_EQ(Placed({0, 10, 20, 900000, 40, 50}), (std::vector<int64_t>{0, 10, 20, 30, 40, 50}));
    EXPECT_EQ(Placed({0, 10, 20, -5000, 40, 50}), (std::vector<int64_t>{0, 10, 20, 30, 40, 50}));
    // Astray within the file's range all the same: the next packet goes on from before it.
    EXPECT_EQ(Placed({0, 10, 20, 3000, 40, 50}), (std::vector<int64_t>{0, 10, 20, 30, 40, 50}));
    // The last packet, out of range with nothing after it.
    EXPECT_EQ(Placed({0, 10, 20, 999999}), (std::vector<int64_t>{0, 10, 20, 30}));
}

TEST(PacketTimeline, ALastingLeapOutOfTheFilesRangeIsClosed) {
    EXPECT_EQ(Placed({0, 10, 20, 500000, 500010, 500020, 500030}),
              (std::vector<int64_t>{0, 10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(Placed({0, 10, 20, -700000, -699990}), (std::vector<int64_t>{0, 10, 20, 30, 40}));
}

TEST(PacketTimeline, AFirstPacketOutOfRangeGoesJustBeforeTheNext) {
    EXPECT_EQ(Placed({77777777, 110, 120}), (std::vector<int64_t>{100, 110, 120}));
    // A stream that starts late but plays on from there keeps its start.
    EXPECT_EQ(Placed({400, 410, 420}), (std::vector<int64_t>{400, 410, 420}));
}

TEST(PacketTimeline, AStreamThatStartsOutOfRangeAndStaysThereStartsWithTheFile) {
    // A damaged header's start puts every packet days after the file's other stream; the
    // pictures would otherwise be held from the start until then.
    EXPECT_EQ(Placed({4294967321, 4294967331, 4294967341, 4294967351}),
              (std::vector<int64_t>{0, 10, 20, 30}));
    EXPECT_EQ(Placed({-88888888, -88888878, -88888868}), (std::vector<int64_t>{0, 10, 20}));
    // The first two both astray, apart: each goes on from the file's start.
    EXPECT_EQ(Placed({77777777, 88888888, 88888898, 88888908}),
              (std::vector<int64_t>{0, 10, 20, 30}));
}

TEST(PacketTimeline, PacketsWithoutATimeKeepNoneAndTheOthersAreStillJudged) {
    const int64_t none = AV_NOPTS_VALUE;
    EXPECT_EQ(Placed({0, none, 20, 900000, none, 50}),
              (std::vector<int64_t>{0, none, 20, 30, none, 50}));
}

TEST(PacketTimeline, TimesNoFileCanHaveCountAsNoneAndFarOnesDoNotOverflow) {
    const int64_t none = AV_NOPTS_VALUE;
    const int64_t most = std::numeric_limits<int64_t>::max();
    const int64_t least = std::numeric_limits<int64_t>::min() + 1;
    EXPECT_EQ(Placed({0, 10, most, 30}), (std::vector<int64_t>{0, 10, none, 30}));
    EXPECT_EQ(Placed({0, 10, least, 30}), (std::vector<int64_t>{0, 10, none, 30}));
    const int64_t far = int64_t{1} << 62;
    EXPECT_EQ(Placed({0, 10, far, 30}), (std::vector<int64_t>{0, 10, 20, 30}));
    EXPECT_EQ(Placed({0, 10, -far, 30}), (std::vector<int64_t>{0, 10, 20, 30}));
    EXPECT_EQ(Placed({0, 10, far - 20, far - 10, 40}), (std::vector<int64_t>{0, 10, 20, 30, 40}));
}

TEST(PacketTimeline, APresentationTimeApartFromItsDecodingTimeIsDamaged) {
    PacketTimeline timeline(kTolerance, -kTolerance, kLatest);
    // Reordered pictures: presentation comes a few packets after decoding, by varying amounts.
    EXPECT_TRUE(timeline.PresentationFits(0, 20));
    EXPECT_TRUE(timeline.PresentationFits(10, 50));
    EXPECT_TRUE(timeline.PresentationFits(20, 30));
    EXPECT_TRUE(timeline.PresentationFits(30, AV_NOPTS_VALUE));
    EXPECT_FALSE(timeline.PresentationFits(40, 5368811720));
    EXPECT_TRUE(timeline.PresentationFits(50, 80));
    // A new distance that three packets in a row agree on is the stream's from then on.
    EXPECT_FALSE(timeline.PresentationFits(60, 5060));
    EXPECT_FALSE(timeline.PresentationFits(70, 5070));
    EXPECT_TRUE(timeline.PresentationFits(80, 5080));
    EXPECT_TRUE(timeline.PresentationFits(90, 5090));
    EXPECT_FALSE(timeline.PresentationFits(100, 110));
}

}  // namespace
}  // namespace tarv::tools
