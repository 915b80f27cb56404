#include "CommandLine.h"

#include <gtest/gtest.h>

using namespace tarv;

namespace {

CliRequest Parse(std::vector<std::string> arguments) {
    auto parsed = ParseCommandLine(arguments);
    if (auto* error = std::get_if<CliError>(&parsed)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<CliRequest>(parsed);
}

std::string ErrorOf(std::vector<std::string> arguments) {
    auto parsed = ParseCommandLine(arguments);
    auto* error = std::get_if<CliError>(&parsed);
    return error ? error->message : "";
}

}  // namespace

TEST(CommandLine, DefaultsAreTheWindowsStartSelections) {
    const CliRequest request = Parse({"-o", "out", "a.mp4", "b.avi"});
    EXPECT_EQ(request.options, StartSelections());
    EXPECT_EQ(request.outputFolder, "out");
    EXPECT_EQ(request.files, (std::vector<std::string>{"a.mp4", "b.avi"}));
}

TEST(CommandLine, TheFormatPresetAppliesBeforeTheOtherOptionsWhateverTheirOrder) {
    const CliRequest request =
        Parse({"--framerate", "5", "--format=1", "-o", "out", "--resolution", "0", "a.mp4"});
    EXPECT_EQ(request.options.format, 1);
    EXPECT_EQ(request.options.frameRate, 5);     // given, beats the preset's 2
    EXPECT_EQ(request.options.videoBitrate, 3);  // the preset's
    EXPECT_EQ(request.options.sampleRate, 4);
    EXPECT_EQ(request.options.audioBitrate, 5);
    EXPECT_EQ(request.options.resolution, 0);
}

TEST(CommandLine, FilesMayStartWithADashAfterTheEndOfOptions) {
    const CliRequest request = Parse({"-o", "out", "--", "-odd.mp4", "--list-options"});
    EXPECT_FALSE(request.listOptions);
    EXPECT_EQ(request.files, (std::vector<std::string>{"-odd.mp4", "--list-options"}));
}

TEST(CommandLine, BadArgumentsAreNamed) {
    EXPECT_EQ(ErrorOf({"--speed", "3", "-o", "out", "a"}), "unknown option --speed");
    EXPECT_EQ(ErrorOf({"--format", "3", "-o", "out", "a"}),
              "option --format takes a position from 0 to 2, not \"3\"");
    EXPECT_EQ(ErrorOf({"--resolution", "4x", "-o", "out", "a"}),
              "option --resolution takes a position from 0 to 20, not \"4x\"");
    EXPECT_EQ(ErrorOf({"--aspect", "-1", "-o", "out", "a"}),
              "option --aspect takes a position from 0 to 2, not \"-1\"");
    EXPECT_EQ(ErrorOf({"a.mp4", "-o"}), "option -o needs a value");
    EXPECT_EQ(ErrorOf({"a.mp4"}), "no output folder given (-o FOLDER)");
    EXPECT_EQ(ErrorOf({"-o", "out"}), "no files to convert");
    EXPECT_EQ(ErrorOf({"--video-codec", "0", "-o", "out", "a"}), "unknown option --video-codec");
}

TEST(CommandLine, ListingShowsEveryChoosableListWithPositions) {
    EXPECT_TRUE(Parse({"--list-options"}).listOptions);
    const std::string listing = OptionListing();
    EXPECT_NE(listing.find("--sample-rate  (Sample Rate:)\n  *  0  22050 Hz\n"), std::string::npos);
    EXPECT_NE(listing.find("     1  48 kbbs\n"), std::string::npos);
    EXPECT_NE(listing.find("  *  4  176X144 QCIF\n"), std::string::npos);
    EXPECT_NE(listing.find("    20  720X576\n"), std::string::npos);
    EXPECT_EQ(listing.find("aac"), std::string::npos);
}

TEST(CommandLine, JobsAndProgressFormatAreChosenOrRefused) {
    CliRequest request = Parse({"-o", "out", "a.mp4"});
    EXPECT_EQ(request.jobs, 1);
    EXPECT_EQ(request.progress, CliRequest::Progress::Text);
    request = Parse({"--jobs", "0", "--progress=json", "-o", "out", "a.mp4"});
    EXPECT_EQ(request.jobs, 0);
    EXPECT_EQ(request.progress, CliRequest::Progress::Json);
    EXPECT_EQ(Parse({"--jobs=3", "-o", "out", "a.mp4"}).jobs, 3);
    EXPECT_EQ(ErrorOf({"--jobs", "-2", "-o", "out", "a"}),
              "option --jobs takes a number from 0 to 64, not \"-2\"");
    EXPECT_EQ(ErrorOf({"--jobs", "many", "-o", "out", "a"}),
              "option --jobs takes a number from 0 to 64, not \"many\"");
    EXPECT_EQ(ErrorOf({"--progress=xml", "-o", "out", "a"}),
              "option --progress takes json or text, not \"xml\"");
}

TEST(CommandLine, ALaterOptionWinsAndEveryFileNameIsTakenAsItIs) {
    const CliRequest request = Parse(
        {"--format", "0", "-o", "first", "[a,b]", "--format=1", "-o", "out", "--", "[c]", "-x"});
    EXPECT_EQ(request.options.format, 1);
    EXPECT_EQ(request.outputFolder, "out");
    // A list in brackets is no list here: names are bytes.
    EXPECT_EQ(request.files, (std::vector<std::string>{"[a,b]", "[c]", "-x"}));
    EXPECT_EQ(ErrorOf({"-o", "out", "a", "--format="}), "option --format needs a value");
    EXPECT_EQ(ErrorOf({"-o", "out", "--frame", "1", "a"}), "unknown option --frame");
    EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(CommandLine, MaxSizeTakesKilobytesMegabytesOrBytes) {
    EXPECT_EQ(Parse({"-o", "out", "a.mp4"}).maxSize, 0);
    EXPECT_EQ(Parse({"--max-size", "300K", "-o", "out", "a.mp4"}).maxSize, 307200);
    EXPECT_EQ(Parse({"--max-size=1m", "-o", "out", "a.mp4"}).maxSize, 1048576);
    EXPECT_EQ(Parse({"--max-size", "3.5MB", "-o", "out", "a.mp4"}).maxSize, 3670016);
    EXPECT_EQ(Parse({"--max-size", "500000", "-o", "out", "a.mp4"}).maxSize, 500000);
    EXPECT_EQ(Parse({"--max-size", "0", "-o", "out", "a.mp4"}).maxSize, 0);
    // The window's list position follows where the size is one of its items.
    EXPECT_EQ(Parse({"--max-size", "1M", "-o", "out", "a.mp4"}).options.sizeLimit, 3);
    EXPECT_EQ(Parse({"--max-size", "0", "-o", "out", "a.mp4"}).options.sizeLimit, 0);
    EXPECT_EQ(Parse({"--max-size", "500000", "-o", "out", "a.mp4"}).options.sizeLimit, -1);
    for (const char* bad : {"300X", "1.5", "-1", "K", ".5M", "1..5M", "2G", "5000M", ""}) {
        EXPECT_EQ(ErrorOf({"--max-size", bad, "-o", "out", "a"}),
                  std::string("option --max-size takes a size such as 300K, 1M or 307200 "
                              "(bytes), not \"") +
                      bad + "\"")
            << bad;
    }
}

TEST(CommandLine, TheListingGivesTheSizeLimitsAsTheSizesToType) {
    const std::string listing = OptionListing();
    EXPECT_NE(listing.find("--max-size  (Size limit:)\n"
                           "  *    0  No limit\n"
                           "    300K  300 KB\n"
                           "    600K  600 KB\n"
                           "      1M  1 MB\n"
                           "    3.5M  3.5 MB\n"
                           "     16M  16 MB\n"),
              std::string::npos)
        << listing;
    // Each token reads back as its item's size.
    for (int i = 0; i < ItemCountOf(OptionList::SizeLimit); ++i) {
        EXPECT_EQ(ParseSize(SizeToken(SizeLimitBytesOf(i))), SizeLimitBytesOf(i));
    }
    EXPECT_EQ(SizeToken(307201), "307201");
    EXPECT_NE(UsageText().find("--max-size SIZE"), std::string::npos);
}
