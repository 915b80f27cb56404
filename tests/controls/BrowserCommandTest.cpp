#include "BrowserCommand.h"

#include <gtest/gtest.h>

namespace tarv {
namespace {

TEST(ComposeBrowserCommandTest, QuotedPlaceholderCutsTheLineAtItsOpeningQuote) {
    EXPECT_EQ(
        ComposeBrowserCommand("\"/opt/web browser/run\" -new \"%u\" --x", "http://example.org/"),
        "\"/opt/web browser/run\" -new  http://example.org/");
}

TEST(ComposeBrowserCommandTest, BarePlaceholderCutsTheLineAtThePlaceholder) {
    EXPECT_EQ(ComposeBrowserCommand("firefox-esr %u", "http://example.org/"),
              "firefox-esr  http://example.org/");
    EXPECT_EQ(ComposeBrowserCommand("chromium --flag %U --rest", "mailto:a@b.c"),
              "chromium --flag  mailto:a@b.c");
}

TEST(ComposeBrowserCommandTest, LineWithoutPlaceholderGetsTheTargetAppended) {
    EXPECT_EQ(ComposeBrowserCommand("lynx", "http://example.org/"), "lynx http://example.org/");
}

TEST(BrowserCommandArgumentsTest, TargetStaysOneArgumentWhateverItHolds) {
    EXPECT_EQ(BrowserCommandArguments("\"/opt/web browser/run\" -new \"%u\"",
                                      "http://example.org/a b\"c"),
              (std::vector<wxString>{"/opt/web browser/run", "-new", "http://example.org/a b\"c"}));
}

TEST(BrowserCommandArgumentsTest, QuotingEscapesAndFieldCodesFollowDesktopEntryRules) {
    EXPECT_EQ(BrowserCommandArguments("run \"say \\\"hi\\\"\" 100%% %i %u", "x"),
              (std::vector<wxString>{"run", "say \"hi\"", "100%", "x"}));
}

}  // namespace
}  // namespace tarv
