#include "WindowsCommandLine.h"

#include <gtest/gtest.h>

using namespace tarv;

namespace {

// Every argument must come back from the runtime's split exactly as it went in.
void ExpectRoundTrip(const std::vector<std::string>& arguments) {
    const std::string line = WindowsCommandLine(arguments);
    EXPECT_EQ(SplitWindowsCommandLine(line), arguments) << line;
}

}  // namespace

TEST(WindowsCommandLine, PlainArgumentsStayUnquoted) {
    EXPECT_EQ(QuoteWindowsArgument("-identify"), "-identify");
    EXPECT_EQ(QuoteWindowsArgument("C:\\v\\clip.avi"), "C:\\v\\clip.avi");
    EXPECT_EQ(QuoteWindowsArgument("bitrate=384:vhq=4"), "bitrate=384:vhq=4");
}

TEST(WindowsCommandLine, SpacesAndEmptyArgumentsAreQuoted) {
    EXPECT_EQ(QuoteWindowsArgument("C:\\My Videos\\a b.avi"), "\"C:\\My Videos\\a b.avi\"");
    EXPECT_EQ(QuoteWindowsArgument("tab\there"), "\"tab\there\"");
    EXPECT_EQ(QuoteWindowsArgument(""), "\"\"");
}

TEST(WindowsCommandLine, QuotesAndTheBackslashesBeforeThemAreEscaped) {
    EXPECT_EQ(QuoteWindowsArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    // One backslash before a quote: doubled, and one more for the quote itself.
    EXPECT_EQ(QuoteWindowsArgument("a\\\"b"), "\"a\\\\\\\"b\"");
    // Backslashes not before a quote stay single.
    EXPECT_EQ(QuoteWindowsArgument("a\\\\b c"), "\"a\\\\b c\"");
}

TEST(WindowsCommandLine, ATrailingBackslashDoesNotSwallowTheClosingQuote) {
    EXPECT_EQ(QuoteWindowsArgument("C:\\My Videos\\"), "\"C:\\My Videos\\\\\"");
    EXPECT_EQ(QuoteWindowsArgument("D:\\out dir\\\\"), "\"D:\\out dir\\\\\\\\\"");
}

TEST(WindowsCommandLine, TheProgramIsQuotedWholeWithItsBackslashesAsTheyAre) {
    EXPECT_EQ(WindowsCommandLine({"C:\\Program Files\\Tarv\\tarv.patch4", "-o", "x"}),
              "\"C:\\Program Files\\Tarv\\tarv.patch4\" -o x");
    // The runtime reads the first word by its own rule: no backslash escapes there.
    EXPECT_EQ(SplitWindowsCommandLine("\"C:\\dir\\\\prog\" a")[0], "C:\\dir\\\\prog");
    EXPECT_EQ(SplitWindowsCommandLine("C:\\dir\\prog \"a b\"")[1], "a b");
}

TEST(WindowsCommandLine, EveryKindOfNameSurvivesTheRoundTrip) {
    ExpectRoundTrip(
        {"C:\\tools\\tarv.patch3", "-identify", "C:\\My Videos\\clip one.avi", "-nosound"});
    ExpectRoundTrip({"C:\\t\\p", "\"quoted\"", "a\"b", "back\\slash", "trail\\", "trail two\\\\",
                     "\\\"", "\\\\\"", ""});
    ExpectRoundTrip({"C:\\t\\p", "-dash", "--", "-o", "D:\\Видео\\ünïcödé 名前.3gp"});
    ExpectRoundTrip({"C:\\t\\p", " lead", "trail ", "  ", "a\tb", "%PATH%", "^&|<>"});
}

TEST(WindowsCommandLine, TheSplitFollowsTheRuntimesRules) {
    EXPECT_EQ(SplitWindowsCommandLine("p a\\\\\\\"b c"),
              (std::vector<std::string>{"p", "a\\\"b", "c"}));
    EXPECT_EQ(SplitWindowsCommandLine("p \"a\\\\\" b"),
              (std::vector<std::string>{"p", "a\\", "b"}));
    EXPECT_EQ(SplitWindowsCommandLine("p \"x \"\"y\"\" z\""),
              (std::vector<std::string>{"p", "x \"y\" z"}));
    EXPECT_EQ(SplitWindowsCommandLine("p  a   \t b "), (std::vector<std::string>{"p", "a", "b"}));
}
