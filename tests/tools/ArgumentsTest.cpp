#include "Arguments.h"

#include <gtest/gtest.h>

namespace tarv::tools {
namespace {

constexpr OptionSpec kSpecs[] = {{"-nosound", ValueStyle::kNone}, {"-o", ValueStyle::kNext}};

TEST(ParseArguments, ValuesAndOperandsAfterDoubleDashAreNeverOptions) {
    ParsedArguments p;
    const std::vector<std::string> args = {"-o", "-out file.avi", "--", "-nosound"};
    ASSERT_TRUE(ParseArguments(args, kSpecs, nullptr, p));
    ASSERT_EQ(p.options.size(), 1u);
    EXPECT_EQ(p.options[0].value, "-out file.avi");
    EXPECT_EQ(p.operands, std::vector<std::string>{"-nosound"});
}

TEST(ParseFrameRate, ReadsWholeDecimalAndFractionalRates) {
    EXPECT_EQ(ParseFrameRate("10"), std::make_pair(10, 1));
    EXPECT_EQ(ParseFrameRate("29.97"), std::make_pair(30000, 1001));
    EXPECT_EQ(ParseFrameRate("12.5"), std::make_pair(12500, 1000));
    EXPECT_EQ(ParseFrameRate("30000/1001"), std::make_pair(30000, 1001));
    for (const char* bad : {"", "0", "-5", "ten", "10fps", "1/0", "100000"}) {
        EXPECT_FALSE(ParseFrameRate(bad)) << bad;
    }
}

}  // namespace
}  // namespace tarv::tools
