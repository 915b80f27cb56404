#include "StepCommands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "TempFolder.h"

using namespace tarv;

namespace {

// The command lines as the tools document them, filled with printf.
constexpr const char* kXvidTemplate =
    "\"%s%s.patch4\" -af volnorm -srate %s -vf-add scale=%s,harddup -ofps %s -oac faac "
    "-faacopts br=%s:mpeg=4:object=2 -ovc xvid -xvidencopts bitrate=%s:max_bframes=0 \"%s\" "
    "-o \"%s.avi\" ";
constexpr const char* kX264Template =
    "\"%s%s.patch4\" -af volnorm -srate %s -vf-add scale=%s,harddup -ofps %s -oac faac "
    "-faacopts br=%s:mpeg=4:object=2 -ovc x264 -ffourcc H264 -x264encopts "
    "bitrate=%s:level_idc=12:nocabac:bframes=0 \"%s\" -o \"%s.avi\" ";
constexpr const char* kRawVideoTemplate =
    "\"%s%s.patch4\" -ovc copy -nosound -of rawvideo \"%s.avi\" -o \"%s.%s\"";
constexpr const char* kRawAudioTemplate =
    "\"%s%s.patch4\" -ovc frameno -oac copy -of rawaudio \"%s.avi\" -o \"%s.aac\"";
constexpr const char* kVideoMuxTemplate = "\"%s%s.patch5\" -c \"%s.%s\" -rate=%s \"%s.3gp\"";
constexpr const char* kAudioMuxTemplate = "\"%s%s.patch5\" -c \"%s.aac\" \"%s.3gp\"";

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[2056];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

const char* const kFolder = "/opt/tarv/";
const char* const kSource = "/home/ann/My Videos/clip.avi";
const char* const kBase = "/home/ann/out/clip";

std::vector<std::string> ExpectedCommands(const ConvertOptions& o) {
    auto v = [&](OptionList list) { return std::string(ValueOf(list, o[list])); };
    const std::string ext(RawVideoExtensionOf(o.format));
    return {
        Format(o.format == 1 ? kX264Template : kXvidTemplate, kFolder, "tarv",
               v(OptionList::SampleRate).c_str(), v(OptionList::Resolution).c_str(),
               v(OptionList::FrameRate).c_str(), v(OptionList::AudioBitrate).c_str(),
               v(OptionList::VideoBitrate).c_str(), kSource, kBase),
        Format(kRawVideoTemplate, kFolder, "tarv", kBase, kBase, ext.c_str()),
        Format(kRawAudioTemplate, kFolder, "tarv", kBase, kBase),
        Format(kVideoMuxTemplate, kFolder, "tarv", kBase, ext.c_str(),
               v(OptionList::FrameRate).c_str(), kBase),
        Format(kAudioMuxTemplate, kFolder, "tarv", kBase, kBase),
    };
}

std::vector<std::string> BuiltCommands(const ConvertOptions& options) {
    std::vector<std::string> texts;
    for (int step = 0; step < kStepsPerFile; ++step) {
        texts.push_back(BuildStepCommand(step, kFolder, kSource, kBase, options).text);
    }
    return texts;
}

ConvertOptions OptionsForFormat(int format) {
    ConvertOptions options = StartSelections();
    options.format = format;
    ApplyFormatPreset(options);
    return options;
}

}  // namespace

TEST(StepCommands, EveryStepRendersTheDocumentedCommandLineForEachFormat) {
    for (int format = 0; format < 3; ++format) {
        SCOPED_TRACE(format);
        const ConvertOptions options = OptionsForFormat(format);
        EXPECT_EQ(BuiltCommands(options), ExpectedCommands(options));
    }
    EXPECT_EQ(BuiltCommands(OptionsForFormat(1))[0],
              "\"/opt/tarv/tarv.patch4\" -af volnorm -srate 48000 -vf-add "
              "scale=176:144,harddup -ofps 15 -oac faac -faacopts br=96:mpeg=4:object=2 -ovc "
              "x264 -ffourcc H264 -x264encopts bitrate=256:level_idc=12:nocabac:bframes=0 "
              "\"/home/ann/My Videos/clip.avi\" -o \"/home/ann/out/clip.avi\" ");
    EXPECT_EQ(BuiltCommands(OptionsForFormat(1))[3],
              "\"/opt/tarv/tarv.patch5\" -c \"/home/ann/out/clip.264\" -rate=15 "
              "\"/home/ann/out/clip.3gp\"");
}

TEST(StepCommands, FormatTwoGivesTheSameCommandsAsFormatZero) {
    ConvertOptions zero = OptionsForFormat(2);
    zero.format = 0;  // same other positions, only the format differs
    EXPECT_EQ(BuiltCommands(OptionsForFormat(2)), BuiltCommands(zero));
}

TEST(StepCommands, OriginalSizeLeavesTheScaleEmpty) {
    ConvertOptions options = StartSelections();
    options.resolution = 0;
    const Command encode = BuildStepCommand(0, kFolder, kSource, kBase, options);
    EXPECT_NE(encode.text.find(" -vf-add scale=,harddup "), std::string::npos);
    EXPECT_EQ(encode.arguments[6], "scale=,harddup");
}

TEST(StepCommands, StepTypesRunFromMinusTenToMinusFourteen) {
    EXPECT_EQ(StepTypeOf(0), StepType::Encode);
    EXPECT_EQ(static_cast<int>(StepTypeOf(0)), -10);
    EXPECT_EQ(static_cast<int>(StepTypeOf(2)), -12);
    EXPECT_EQ(StepTypeOf(4), StepType::AudioMux);
    EXPECT_EQ(static_cast<int>(StepTypeOf(4)), -14);
}

TEST(StepCommands, ArgumentsCarryAwkwardPathsUnchangedAsSingleTokens) {
    const std::string source = "/v/-odd \"quoted\" n\xC3\xA4me.mp4";
    const std::string base = "/out dir/-odd \"quoted\" n\xC3\xA4me";
    const std::string folder = "/opt/my tools/";
    const ConvertOptions options = StartSelections();

    const Command encode = BuildStepCommand(0, folder, source, base, options);
    ASSERT_GE(encode.arguments.size(), 4u);
    EXPECT_EQ(encode.arguments.front(), "/opt/my tools/tarv.patch4");
    EXPECT_EQ(encode.arguments[encode.arguments.size() - 3], source);
    EXPECT_EQ(encode.arguments[encode.arguments.size() - 2], "-o");
    EXPECT_EQ(encode.arguments.back(), base + ".avi");

    const Command rawVideo = BuildStepCommand(1, folder, source, base, options);
    EXPECT_EQ(rawVideo.arguments,
              (std::vector<std::string>{"/opt/my tools/tarv.patch4", "-ovc", "copy", "-nosound",
                                        "-of", "rawvideo", base + ".avi", "-o", base + ".m4v"}));
    const Command videoMux = BuildStepCommand(3, folder, source, base, options);
    EXPECT_EQ(videoMux.arguments,
              (std::vector<std::string>{"/opt/my tools/tarv.patch5", "-c", base + ".m4v",
                                        "-rate=10", base + ".3gp"}));
    const Command audioMux = BuildStepCommand(4, folder, source, base, options);
    EXPECT_EQ(audioMux.arguments, (std::vector<std::string>{"/opt/my tools/tarv.patch5", "-c",
                                                            base + ".aac", base + ".3gp"}));
}

TEST(StepCommands, OutputBaseNameJoinsFolderAndFileTitle) {
    EXPECT_EQ(OutputBaseName("D:\\out", "C:\\v\\clip.avi", '\\'), "D:\\out\\clip");
    EXPECT_EQ(OutputBaseName("D:\\out\\", "C:\\v\\clip.avi", '\\'), "D:\\out\\clip");
    EXPECT_EQ(OutputBaseName("/out", "/v/clip.part1.avi"), "/out/clip.part1");
    // Without an extension the whole file name is used, never an empty title.
    EXPECT_EQ(OutputBaseName("D:\\out", "C:\\v.1\\clip", '\\'), "D:\\out\\clip");
    EXPECT_EQ(OutputBaseName("/out/", "/v/clip"), "/out/clip");
    EXPECT_EQ(OutputNamesOf("/out/clip", "264").rawVideo, "/out/clip.264");
    EXPECT_EQ(OutputNamesOf("/out/clip", "m4v").output, "/out/clip.3gp");
}

TEST(StepCommands, CollisionRenameTriggersOnEachOfTheFourNames) {
    for (const char* existing : {"clip.avi", "clip.m4v", "clip.aac", "clip.3gp"}) {
        SCOPED_TRACE(existing);
        TempFolder folder;
        folder.Touch(existing);
        const std::string base = folder.Path() + "clip";
        EXPECT_TRUE(AnyOutputNameExists(base, "m4v"));
        EXPECT_EQ(ResolveOutputBaseName(base, "m4v", 4711), base + "_4711");
    }
    TempFolder folder;
    folder.Touch("clip.264");  // only the other format's raw name: no collision for Xvid
    EXPECT_EQ(ResolveOutputBaseName(folder.Path() + "clip", "m4v", 4711), folder.Path() + "clip");
}

TEST(StepCommands, CollisionRenameSkipsSuffixesWhoseNamesAreTakenToo) {
    TempFolder folder;
    folder.Touch("clip.3gp");
    folder.Touch("clip_-5.3gp");
    folder.Touch("clip_-4.aac");
    folder.Touch("clip_-3.avi");
    const std::string base = folder.Path() + "clip";
    EXPECT_EQ(ResolveOutputBaseName(base, "m4v", -5), base + "_-2");
}

TEST(StepCommands, CollisionRenameProtectsAnInputLyingInTheOutputFolder) {
    TempFolder folder;
    const std::string input = folder.Touch("clip.avi", "the user's own video");
    const std::string base = OutputBaseName(folder.Path(), input);
    const std::string resolved = ResolveOutputBaseName(base, "m4v", 99);
    EXPECT_NE(OutputNamesOf(resolved, "m4v").avi, input);
}

TEST(StepCommands, CollisionRenameCountsOnPastTheLargestTick) {
    std::set<std::string> taken = {"b.avi", "b_2147483647.3gp"};
    const auto exists = [&](std::string_view name) { return taken.contains(std::string(name)); };
    EXPECT_EQ(ResolveOutputBaseName("b", "m4v", 2147483647, exists), "b_-2147483648");
}
