#include "MediaProbe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeTools.h"

using namespace tarv;

TEST(MediaProbe, TheFirstLengthLineOfTheReportCounts) {
    EXPECT_DOUBLE_EQ(*LengthFromReport("ID_VIDEO_WIDTH=320\r\nID_LENGTH=125.40\r\n"), 125.4);
    EXPECT_DOUBLE_EQ(*LengthFromReport("ID_LENGTH=125.47\nID_AUDIO_RATE=8000\n"), 125.47);
    EXPECT_DOUBLE_EQ(*LengthFromReport("ID_LENGTH=10.00\r\nID_LENGTH=99.00\r\n"), 10.0);
    EXPECT_DOUBLE_EQ(*LengthFromReport("ID_LENGTH=7.5"), 7.5);
    EXPECT_DOUBLE_EQ(*LengthFromReport("ID_LENGTH=abc\r\n"), 0.0);
    EXPECT_FALSE(LengthFromReport("ID_VIDEO_WIDTH=320\r\n"));
    EXPECT_FALSE(LengthFromReport(""));
}

TEST(MediaProbe, DurationsPrintAsHoursMinutesSeconds) {
    EXPECT_EQ(FormatDuration(125.4), "00:02:05");
    EXPECT_EQ(FormatDuration(3725.9), "01:02:05");
    EXPECT_EQ(FormatDuration(360000), "100:00:00");
    EXPECT_EQ(FormatDuration(0), "00:00:00");
    EXPECT_EQ(FormatDuration(-1), "--:--:--");
}

TEST(MediaProbe, ProbeReadsTheToolsWholeReport) {
    FakeTools tools;
    // The length line arrives in two reads.
    tools.Script("default", "write ID_VIDEO_FORMAT=H264\\r\\nID_LEN\nwrite GTH=125.40\\r\\nID_LENGTH=3\\r\\n\n");
    MediaInfo info;
    ASSERT_TRUE(Probe(tools.Folder(), "/v/clip.mp4", info));
    EXPECT_DOUBLE_EQ(info.length, 125.4);
    EXPECT_EQ(tools.Calls().at(0),
              (std::vector<std::string>{tools.Folder() + "tarv.patch3", "-identify", "/v/clip.mp4",
                                        "-nosound", "-vc", "dummy", "-vo", "null", "-ao", "dummy"}));
}

TEST(MediaProbe, AReportWithoutLengthGivesMinusOne) {
    FakeTools tools;
    tools.Script("default", "write cannot read the file\\n\nexit 1\n");
    MediaInfo info;
    info.length = 0;
    ASSERT_TRUE(Probe(tools.Folder(), "/v/clip.mp4", info));
    EXPECT_EQ(info.length, -1.0);
}

TEST(MediaProbe, AMissingToolLeavesTheInfoAlone) {
    TempFolder empty;
    MediaInfo info;
    info.length = 0;
    EXPECT_FALSE(Probe(empty.Path(), "/v/clip.mp4", info));
    EXPECT_EQ(info.length, 0.0);
}

TEST(MediaProbe, AHangingToolIsGivenUpOn) {
    FakeTools tools;
    tools.Script("default", "pid\nwrite ID_LENGTH=4.00\\r\\n\nsleep 60000\n");
    MediaInfo info;
    ASSERT_TRUE(Probe(tools.Folder(), "/v/clip.mp4", info, 300));
    EXPECT_DOUBLE_EQ(info.length, 4.0);
    EXPECT_FALSE(tools.RunIsAlive(0));
}

TEST(MediaProbe, ACancelEndsAHangingProbeAtOnceAndEveryLaterOne) {
    FakeTools tools;
    tools.Script("default", "pid\nwrite ID_LENGTH=4.00\\r\\n\nsleep 60000\n");
    ProbeCancel cancel;
    MediaInfo info;
    info.length = 0;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel.Cancel();
    });
    EXPECT_FALSE(Probe(tools.Folder(), "/v/clip.mp4", info, 30000, &cancel));
    canceller.join();
    EXPECT_EQ(info.length, 0.0);
    EXPECT_FALSE(tools.RunIsAlive(0));
    // A cancelled object starts no tool any more.
    EXPECT_FALSE(Probe(tools.Folder(), "/v/other.mp4", info, 30000, &cancel));
    EXPECT_EQ(tools.Calls().size(), 1u);
}
