#include "OptionCatalogue.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tarv;

namespace {

std::vector<std::string_view> Displays(OptionList list) {
    std::vector<std::string_view> texts;
    for (const OptionItem& item : ItemsOf(list)) {
        texts.push_back(item.display);
    }
    return texts;
}

}  // namespace

TEST(OptionCatalogue, ListsHoldTheirItemsInTableOrderWithTheirOddSpellings) {
    EXPECT_EQ(Displays(OptionList::Format),
              (std::vector<std::string_view>{"3GP - (XVID AAC) 3GPP format(*.3gp)",
                                             "3GP - (MPEG4-AVC AAC) 3GPP format(*.3gp)",
                                             "3GP - (MPEG4-XVID AAC) 3GPP format(*.3gp)"}));
    EXPECT_EQ(ItemsOf(OptionList::VideoBitrate).size(), 11u);
    EXPECT_EQ(ItemsOf(OptionList::VideoBitrate)[10].display, "1200 kbps");
    EXPECT_EQ(ItemsOf(OptionList::Resolution).size(), 21u);
    EXPECT_EQ(ItemsOf(OptionList::Resolution)[1].display, "128x96 SQCIF");
    EXPECT_EQ(ItemsOf(OptionList::Resolution)[2].display, "160X120 QVGA");
    EXPECT_EQ(ItemsOf(OptionList::Resolution)[20].display, "720X576");
    EXPECT_EQ(Displays(OptionList::FrameRate),
              (std::vector<std::string_view>{"10.0 FPS", "12.0 FPS", "15.0 FPS", "20.0 FPS",
                                             "24.0 FPS", "25.0 FPS"}));
    EXPECT_EQ(ItemsOf(OptionList::AudioBitrate).size(), 9u);
    EXPECT_EQ(ItemsOf(OptionList::AudioBitrate)[1].display, "48 kbbs");
    EXPECT_EQ(Displays(OptionList::AudioCodec), (std::vector<std::string_view>{"aac"}));
    EXPECT_EQ(Displays(OptionList::SampleRate),
              (std::vector<std::string_view>{"22050 Hz", "24000 Hz", "32000 Hz", "44100 Hz",
                                             "48000 Hz"}));
    EXPECT_EQ(Displays(OptionList::Aspect), (std::vector<std::string_view>{"Auto", "4:3", "16:9"}));
    EXPECT_EQ(
        Displays(OptionList::SizeLimit),
        (std::vector<std::string_view>{"No limit", "300 KB", "600 KB", "1 MB", "3.5 MB", "16 MB"}));
}

TEST(OptionCatalogue, SizeLimitsAreBytesOfKilobytesAndMegabytesOf1024) {
    EXPECT_EQ(SizeLimitBytesOf(0), 0);
    EXPECT_EQ(SizeLimitBytesOf(1), 300 * 1024);
    EXPECT_EQ(SizeLimitBytesOf(2), 600 * 1024);
    EXPECT_EQ(SizeLimitBytesOf(3), 1024 * 1024);
    EXPECT_EQ(SizeLimitBytesOf(4), 7 * 512 * 1024);
    EXPECT_EQ(SizeLimitBytesOf(5), 16 * 1024 * 1024);
    EXPECT_EQ(SizeLimitBytesOf(6), 0);
    EXPECT_EQ(SizeLimitBytesOf(-1), 0);
}

TEST(OptionCatalogue, ValuesAreTheCommandTextsAndOriginalSizeIsEmpty) {
    EXPECT_EQ(ValueOf(OptionList::Resolution, 0), "");
    EXPECT_EQ(ValueOf(OptionList::Resolution, 4), "176:144");
    EXPECT_EQ(ValueOf(OptionList::VideoBitrate, 9), "1000");
    EXPECT_EQ(ValueOf(OptionList::AudioBitrate, 1), "48");
    EXPECT_EQ(ValueOf(OptionList::SampleRate, 4), "48000");
    EXPECT_EQ(ValueOf(OptionList::FrameRate, 5), "25");
    // A position outside the table yields nothing rather than reading past it.
    EXPECT_EQ(ValueOf(OptionList::FrameRate, 6), "");
    EXPECT_EQ(ValueOf(OptionList::FrameRate, -1), "");
}

TEST(OptionCatalogue, ListsCarryTheirFormIdsAndCaptionsInCaptureOrder) {
    const int ids[] = {1002, 1003, 1005, 1006, 1009, 1004, 1011, 1013, 1010, 1019};
    int i = 0;
    for (const OptionListInfo& info : OptionLists()) {
        EXPECT_EQ(static_cast<int>(info.list), i);
        EXPECT_EQ(info.controlId, ids[i]);
        ++i;
    }
    EXPECT_EQ(InfoOf(OptionList::AudioBitrate).label, "Audio Quality:");
    EXPECT_EQ(InfoOf(OptionList::FrameRate).label, "Framerate:");
    EXPECT_EQ(InfoOf(OptionList::SizeLimit).label, "Size limit:");
    EXPECT_EQ(i, 10);
}

TEST(OptionCatalogue, StartSelectionsShowFormatZeroWithItsPreset) {
    const ConvertOptions start = StartSelections();
    EXPECT_EQ(DisplayTextOf(OptionList::Format, start.format),
              "3GP - (XVID AAC) 3GPP format(*.3gp)");
    EXPECT_EQ(DisplayTextOf(OptionList::FrameRate, start.frameRate), "10.0 FPS");
    EXPECT_EQ(DisplayTextOf(OptionList::VideoBitrate, start.videoBitrate), "100 kbps");
    EXPECT_EQ(DisplayTextOf(OptionList::Resolution, start.resolution), "176X144 QCIF");
    EXPECT_EQ(DisplayTextOf(OptionList::AudioBitrate, start.audioBitrate), "32 kbps");
    EXPECT_EQ(DisplayTextOf(OptionList::AudioCodec, start.audioCodec), "aac");
    EXPECT_EQ(DisplayTextOf(OptionList::SampleRate, start.sampleRate), "22050 Hz");
    EXPECT_EQ(DisplayTextOf(OptionList::Aspect, start.aspect), "Auto");
    EXPECT_EQ(DisplayTextOf(OptionList::VideoCodec, start.videoCodec, start.format), "XVID");
    EXPECT_EQ(ItemCountOf(OptionList::VideoCodec), 1);
    EXPECT_EQ(DisplayTextOf(OptionList::SizeLimit, start.sizeLimit), "No limit");
}

TEST(OptionCatalogue, ChoosingAFormatReplacesFourListsAndKeepsTheOthers) {
    ConvertOptions options = StartSelections();
    options.resolution = 17;
    options.aspect = 2;
    options.sizeLimit = 3;
    options.frameRate = 5;
    options.format = 1;
    ApplyFormatPreset(options);
    EXPECT_EQ(DisplayTextOf(OptionList::FrameRate, options.frameRate), "15.0 FPS");
    EXPECT_EQ(DisplayTextOf(OptionList::VideoBitrate, options.videoBitrate), "256 kbps");
    EXPECT_EQ(DisplayTextOf(OptionList::SampleRate, options.sampleRate), "48000 Hz");
    EXPECT_EQ(DisplayTextOf(OptionList::AudioBitrate, options.audioBitrate), "96 kbps");
    EXPECT_EQ(DisplayTextOf(OptionList::VideoCodec, options.videoCodec, options.format),
              "MPEG4-AVC");
    EXPECT_EQ(options.resolution, 17);
    EXPECT_EQ(options.aspect, 2);
    EXPECT_EQ(options.sizeLimit, 3);

    options.format = 2;
    ApplyFormatPreset(options);
    EXPECT_EQ(options.frameRate, 0);
    EXPECT_EQ(options.videoBitrate, 1);
    EXPECT_EQ(options.sampleRate, 3);
    EXPECT_EQ(options.audioBitrate, 0);
    EXPECT_EQ(DisplayTextOf(OptionList::VideoCodec, 0, 2), "MPEG4-XVID");

    const ConvertOptions before = options;
    options.format = 7;
    ApplyFormatPreset(options);
    options.format = 2;
    EXPECT_EQ(options, before);
}

TEST(OptionCatalogue, OptionsIndexByListInCaptureOrder) {
    ConvertOptions options;
    for (int i = 0; i < kOptionListCount; ++i) {
        options[static_cast<OptionList>(i)] = 100 + i;
    }
    EXPECT_EQ(options.format, 100);
    EXPECT_EQ(options.videoCodec, 102);
    EXPECT_EQ(options.frameRate, 104);
    EXPECT_EQ(options.audioBitrate, 105);
    EXPECT_EQ(options.aspect, 108);
    EXPECT_EQ(options.sizeLimit, 109);
}
