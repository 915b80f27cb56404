#include "StepCommands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <set>

#include "ConvertWorker.h"
#include "OutputClaim.h"
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

TEST(StepCommands, ASizePlanGivesTheEncodeStepItsSoundAndBoundAndLeavesTheRest) {
    SizePlan plan;
    plan.fits = true;
    plan.videoKbps = 40;  // what the video is expected to get: the encoder finds it out itself
    plan.audioKbps = 24;
    plan.sampleRate = 22050;
    plan.mono = true;
    plan.streamBytes = 280000;
    const ConvertOptions xvid = OptionsForFormat(0);
    EXPECT_EQ(BuildStepCommand(0, kFolder, kSource, kBase, xvid, &plan).text,
              "\"/opt/tarv/tarv.patch4\" -af volnorm -srate 22050 -channels 1 -vf-add "
              "scale=176:144,harddup -ofps 10 -oac faac -faacopts br=24:mpeg=4:object=2 -ovc xvid "
              "-xvidencopts bitrate=100:max_bframes=0:size=280000 \"/home/ann/My Videos/clip.avi\" "
              "-o \"/home/ann/out/clip.avi\" ");

    plan.mono = false;
    plan.audioKbps = 96;
    plan.sampleRate = 48000;
    const ConvertOptions x264 = OptionsForFormat(1);
    const Command encode = BuildStepCommand(0, kFolder, kSource, kBase, x264, &plan);
    EXPECT_EQ(encode.text.find("-channels"), std::string::npos);
    EXPECT_NE(encode.text.find(" -srate 48000 "), std::string::npos);
    EXPECT_NE(
        encode.text.find(" -x264encopts bitrate=256:level_idc=12:nocabac:bframes=0:size=280000 "),
        std::string::npos);
    // The other four steps never change.
    for (int step = 1; step < kStepsPerFile; ++step) {
        EXPECT_EQ(BuildStepCommand(step, kFolder, kSource, kBase, x264, &plan).text,
                  ExpectedCommands(x264)[step]);
    }
}

TEST(StepCommands, NoLimitLeavesEveryCommandAsDocumented) {
    BatchState state;
    for (int format = 0; format < 3; ++format) {
        state.options = OptionsForFormat(format);
        state.options.sizeLimit = 3;  // a list position alone sets no limit
        state.sizeLimit = 0;
        state.files.clear();
        state.AddFile(kSource, "/home/ann/out", 0, 600);
        const std::optional<SizePlan> plan = state.PlanFor(state.files.front());
        EXPECT_FALSE(plan.has_value());
        std::vector<std::string> texts;
        for (int step = 0; step < kStepsPerFile; ++step) {
            texts.push_back(BuildStepCommand(step, kFolder, kSource, kBase, state.options,
                                             plan ? &*plan : nullptr)
                                .text);
        }
        EXPECT_EQ(texts, ExpectedCommands(state.options));
    }
    // A plan the file does not fit changes nothing either: the file never gets that far.
    SizePlan unfit;
    EXPECT_EQ(BuildStepCommand(0, kFolder, kSource, kBase, OptionsForFormat(0), &unfit).text,
              ExpectedCommands(OptionsForFormat(0))[0]);
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

namespace {

// The base name the worker would claim for the file, with the claim let go at once.
std::string Claimed(const std::string& base, int32_t tick, std::string_view raw = "m4v") {
    std::unique_ptr<OutputClaim> claim;
    return ChooseOutputBaseName(base, tick,
                                [&](std::string_view candidate) {
                                    return OutputClaim::TryClaim(candidate, raw, &claim);
                                })
        .baseName;
}

// A claim function over a set of taken names that counts its calls.
struct TakenNames {
    std::set<std::string> taken;
    int calls = 0;
    ClaimTry operator()(std::string_view base) {
        ++calls;
        for (const char* extension : {".avi", ".m4v", ".aac", ".3gp"}) {
            if (taken.contains(std::string(base) + extension)) {
                return {ClaimTry::Result::Taken, {}};
            }
        }
        return {ClaimTry::Result::Claimed, {}};
    }
};

}  // namespace

TEST(StepCommands, CollisionRenameTriggersOnEachOfTheFourNames) {
    for (const char* existing : {"clip.avi", "clip.m4v", "clip.aac", "clip.3gp"}) {
        SCOPED_TRACE(existing);
        TempFolder folder;
        folder.Touch(existing);
        const std::string base = folder.Path() + "clip";
        EXPECT_EQ(Claimed(base, 4711), base + "_4711");
    }
    TempFolder folder;
    folder.Touch("clip.264");  // only the other format's raw name: no collision for Xvid
    EXPECT_EQ(Claimed(folder.Path() + "clip", 4711), folder.Path() + "clip");
}

TEST(StepCommands, CollisionRenameSkipsSuffixesWhoseNamesAreTakenToo) {
    TempFolder folder;
    folder.Touch("clip.3gp");
    folder.Touch("clip_-5.3gp");
    folder.Touch("clip_-4.aac");
    folder.Touch("clip_-3.avi");
    const std::string base = folder.Path() + "clip";
    EXPECT_EQ(Claimed(base, -5), base + "_-2");
}

TEST(StepCommands, CollisionRenameProtectsAnInputLyingInTheOutputFolder) {
    TempFolder folder;
    const std::string input = folder.Touch("clip.avi", "the user's own video");
    const std::string base = OutputBaseName(folder.Path(), input);
    EXPECT_NE(OutputNamesOf(Claimed(base, 99), "m4v").avi, input);
}

TEST(StepCommands, ABaseNameNearTheLimitIsCutSoEveryNameAndEverySuffixFits) {
    TempFolder folder;
    // 251 bytes: with ".avi" it is 255, the most a name may have, so it is claimed as it is.
    const std::string fits = folder.Path() + std::string(251, 'f');
    EXPECT_EQ(Claimed(fits, 7), fits);

    // A source named at the limit without an extension; its names would be 259 bytes long.
    const std::string whole = folder.Path() + std::string(255, 'w');
    const std::string claimed = Claimed(whole, 7);
    ASSERT_FALSE(claimed.empty());
    EXPECT_EQ(LastPathPart(claimed).size(), kMaxFileNameBytes - 4);
    EXPECT_TRUE(claimed.starts_with(folder.Path() + "www"));

    // Taken: the suffix stays whole, the cut moves, and each name of the set can be made.
    folder.Touch(LastPathPart(claimed) + ".3gp");
    const std::string suffixed = Claimed(whole, 7);
    EXPECT_TRUE(suffixed.ends_with("_7")) << suffixed;
    EXPECT_LE(LastPathPart(suffixed).size(), kMaxFileNameBytes - 4);
    for (const std::string& name :
         {OutputNamesOf(suffixed, "264").avi, OutputNamesOf(suffixed, "264").output}) {
        folder.Touch(LastPathPart(name));
        EXPECT_TRUE(std::filesystem::exists(name)) << name;
    }
    // Two long names that differ only past the cut keep apart.
    EXPECT_NE(Claimed(folder.Path() + std::string(254, 'w') + "x", 7), claimed);
}

TEST(StepCommands, CollisionRenameCountsOnPastTheLargestTick) {
    TakenNames names{{"b.avi", "b_2147483647.3gp"}};
    EXPECT_EQ(ChooseOutputBaseName("b", 2147483647, std::ref(names)).baseName, "b_-2147483648");
}

TEST(StepCommands, CollisionRenameEndsAtTheFirstNameItCannotTellAboutOrAtAStop) {
    // A folder we may not search: the search ends with the system's reason, at once.
    int calls = 0;
    const BaseNameChoice refused = ChooseOutputBaseName("b", 7, [&](std::string_view) {
        ++calls;
        return ClaimTry{ClaimTry::Result::Failed, "cannot create files in /o/: Permission denied"};
    });
    EXPECT_EQ(refused.baseName, "");
    EXPECT_EQ(refused.error, "cannot create files in /o/: Permission denied");
    EXPECT_EQ(calls, 1);

    // Every name taken: a stop ends the search, and so does its limit.
    std::atomic<bool> stop{false};
    calls = 0;
    const BaseNameChoice stopped = ChooseOutputBaseName(
        "b", 7,
        [&](std::string_view) {
            stop = ++calls == 3;
            return ClaimTry{ClaimTry::Result::Taken, {}};
        },
        &stop);
    EXPECT_EQ(stopped.baseName, "");
    EXPECT_EQ(stopped.error, "");
    EXPECT_EQ(calls, 3);
    const BaseNameChoice full = ChooseOutputBaseName("b", 7, [](std::string_view) {
        return ClaimTry{ClaimTry::Result::Taken, {}};
    });
    EXPECT_EQ(full.baseName, "");
    EXPECT_NE(full.error.find("no free output name"), std::string::npos);
}

TEST(StepCommands, LongNamesAreFittedWithinTheLimitAndStayApart) {
    EXPECT_EQ(FitFileName("clip.3gp", ".77.tarvpart"), "clip.3gp.77.tarvpart");
    const std::string longName = std::string(247, 'a') + ".3gp";  // 251 bytes: fits alone
    const std::string fitted = FitFileName(longName, ".123456.tarvpart");
    EXPECT_EQ(fitted.size(), kMaxFileNameBytes);
    EXPECT_TRUE(fitted.ends_with(".123456.tarvpart"));
    EXPECT_TRUE(fitted.starts_with("aaaa"));
    // Two names that differ only past the cut still get different fitted names.
    EXPECT_NE(FitFileName(std::string(247, 'a') + ".aac", ".123456.tarvpart"), fitted);
    // A cut never splits a character: "é" is two bytes.
    std::string accented;
    while (accented.size() < 260)
        accented += "\xc3\xa9";
    const std::string cutShort = FitFileName(accented, ".1.tarvpart");
    const size_t hash = cutShort.find('~');
    ASSERT_NE(hash, std::string::npos);
    EXPECT_EQ(hash % 2, 0u);
    EXPECT_LE(cutShort.size(), kMaxFileNameBytes);

    EXPECT_EQ(StagedPathOf("/out/clip.avi", 42), "/out/clip.avi.42.tarvpart");
    EXPECT_EQ(ClaimMarkerPathOf("/out/clip"), "/out/.clip.tarvclaim");
    EXPECT_LE(LastPathPart(StagedPathOf("/out/" + longName, 4194304)).size(), kMaxFileNameBytes);
}
