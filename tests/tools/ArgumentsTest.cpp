#include "Arguments.h"

#include <gtest/gtest.h>

namespace tarv::tools {
namespace {

constexpr OptionSpec kSpecs[] = {
    {"-nosound", ValueStyle::kNone},
    {"-o", ValueStyle::kNext},
    {"-rate", ValueStyle::kAttached},
};

ParsedArguments MustParse(std::vector<std::string> args, const ExistsFn& exists = nullptr) {
    ParsedArguments parsed;
    const Status s = ParseArguments(args, kSpecs, exists, parsed);
    EXPECT_TRUE(s) << s.Message();
    return parsed;
}

TEST(ParseArguments, SplitsOptionsFromOperandsInAnyOrder) {
    const ParsedArguments p = MustParse({"in.avi", "-rate=12", "-o", "out.m4v", "-nosound"});
    ASSERT_EQ(p.operands, std::vector<std::string>{"in.avi"});
    ASSERT_EQ(p.options.size(), 3u);
    EXPECT_EQ(p.options[0].name, "-rate");
    EXPECT_EQ(p.options[0].value, "12");
    EXPECT_EQ(p.options[1].value, "out.m4v");
    EXPECT_EQ(p.options[2].name, "-nosound");
}

TEST(ParseArguments, UnknownOptionIsAUsageErrorNamingIt) {
    ParsedArguments parsed;
    const std::vector<std::string> args = {"-o", "x", "-loop", "in.avi"};
    const Status s = ParseArguments(args, kSpecs, nullptr, parsed);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.ExitCode(), kExitUsage);
    EXPECT_NE(s.Message().find("-loop"), std::string::npos);
}

TEST(ParseArguments, ExistingFileWithLeadingDashIsAnOperand) {
    const auto exists = [](const std::string& p) { return p == "-clip.mp4"; };
    EXPECT_EQ(MustParse({"-clip.mp4", "-nosound"}, exists).operands,
              std::vector<std::string>{"-clip.mp4"});
}

TEST(ParseArguments, ValueOfAnOptionIsTakenVerbatimEvenWithADash) {
    const ParsedArguments p = MustParse({"-o", "-out file.avi"});
    ASSERT_EQ(p.options.size(), 1u);
    EXPECT_EQ(p.options[0].value, "-out file.avi");
}

TEST(ParseArguments, DoubleDashEndsTheOptions) {
    EXPECT_EQ(MustParse({"--", "-nosound"}).operands, std::vector<std::string>{"-nosound"});
}

TEST(ParseArguments, MissingValuesAreUsageErrors) {
    ParsedArguments parsed;
    EXPECT_EQ(ParseArguments(std::vector<std::string>{"-o"}, kSpecs, nullptr, parsed).ExitCode(),
              kExitUsage);
    EXPECT_EQ(ParseArguments(std::vector<std::string>{"-rate"}, kSpecs, nullptr, parsed).ExitCode(),
              kExitUsage);
}

TEST(SplitSubOptions, ReadsKeysWithAndWithoutValues) {
    const SubOptions o = SplitSubOptions("bitrate=256:level_idc=12:nocabac:bframes=0");
    ASSERT_EQ(o.size(), 4u);
    EXPECT_EQ(o[1], (std::pair<std::string, std::string>{"level_idc", "12"}));
    EXPECT_EQ(o[2], (std::pair<std::string, std::string>{"nocabac", ""}));
    EXPECT_TRUE(SplitSubOptions("").empty());
}

TEST(ParseFrameRate, ReadsWholeDecimalAndFractionalRates) {
    EXPECT_EQ(ParseFrameRate("10"), std::make_pair(10, 1));
    EXPECT_EQ(ParseFrameRate("29.97"), std::make_pair(30000, 1001));
    EXPECT_EQ(ParseFrameRate("12.5"), std::make_pair(12500, 1000));
    EXPECT_EQ(ParseFrameRate("30000/1001"), std::make_pair(30000, 1001));
}

TEST(ParseFrameRate, RejectsNonsense) {
    for (const char* bad : {"", "0", "-5", "ten", "10fps", "1/0", "100000"}) {
        EXPECT_FALSE(ParseFrameRate(bad)) << bad;
    }
}

TEST(ParseInt, AcceptsOnlyWholeNumbersInRange) {
    EXPECT_EQ(ParseInt("22050", 8000, 96000), 22050);
    EXPECT_FALSE(ParseInt("22050Hz", 8000, 96000));
    EXPECT_FALSE(ParseInt("100", 8000, 96000));
}

}  // namespace
}  // namespace tarv::tools
