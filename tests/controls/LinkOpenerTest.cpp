#include "LinkOpener.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

TEST(LinkErrorTextTest, EachCodeHasItsWordsAndOthersAreUnknown) {
    EXPECT_EQ(LinkErrorText(0), "The operating system is out\nof memory or resources.");
    EXPECT_EQ(LinkErrorText(2), "The specified file was not found.");
    EXPECT_EQ(LinkErrorText(11),
              "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    EXPECT_EQ(LinkErrorText(26), "A sharing violation occurred. ");
    EXPECT_EQ(LinkErrorText(30),
              "The DDE transaction could not\nbe completed because other DDE transactions\n"
              "were being processed.");
    EXPECT_EQ(LinkErrorText(31),
              "There is no application associated\nwith the given filename extension.");
    EXPECT_EQ(LinkErrorText(32), "The specified dynamic-link library was not found.");
    EXPECT_EQ(LinkErrorText(1), "Unknown Error (1) occurred.");
    EXPECT_EQ(LinkErrorText(-7), "Unknown Error (-7) occurred.");
    EXPECT_EQ(LinkErrorMessage(3), "Can't open link:\n\nThe specified path was not found.");
}

// Records what GotoURL asks of the desktop.
class FakeOpener : public LinkOpener {
public:
    bool OpenWithDesktop(const wxString& target) override {
        m_desktopTargets.push_back(target);
        return m_desktopOpens;
    }
    std::optional<wxString> DefaultBrowserCommand() override { return m_browser; }
    int Start(const std::vector<wxString>& arguments) override {
        m_started = arguments;
        return m_startResult;
    }
    void Beep() override {}
    void ShowMessage(wxWindow*, const wxString&) override {}

    bool m_desktopOpens = false;
    std::optional<wxString> m_browser;
    int m_startResult = kLinkOpened;
    std::vector<wxString> m_desktopTargets;
    std::vector<wxString> m_started;
};

TEST(GotoURLTest, DesktopHandlerComesFirst) {
    FakeOpener opener;
    opener.m_desktopOpens = true;
    opener.m_browser = "firefox %u";
    EXPECT_TRUE(LinkOpened(GotoURL("mailto:support@example.org", opener)));
    EXPECT_EQ(opener.m_desktopTargets, std::vector<wxString>{"mailto:support@example.org"});
    EXPECT_TRUE(opener.m_started.empty());
}

TEST(GotoURLTest, BrowserIsStartedWithTheTargetWhenTheDesktopFails) {
    FakeOpener opener;
    opener.m_browser = "/usr/bin/firefox \"%u\"";
    EXPECT_TRUE(LinkOpened(GotoURL("http://example.org/", opener)));
    EXPECT_EQ(opener.m_started, (std::vector<wxString>{"/usr/bin/firefox", "http://example.org/"}));

    opener.m_startResult = kLinkErrorFileNotFound;
    EXPECT_EQ(GotoURL("http://example.org/", opener), kLinkErrorFileNotFound);
}

TEST(GotoURLTest, WithoutABrowserTheDesktopsFailureIsReported) {
    FakeOpener opener;
    EXPECT_EQ(GotoURL("http://example.org/", opener), kLinkErrorNoAssociation);
}

class DefaultBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = std::filesystem::temp_directory_path() /
                 ("tarv-links-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_root);
        m_dirs.configHome = Path("config");
        m_dirs.configDirs = {Path("etc")};
        m_dirs.dataHome = Path("home");
        m_dirs.dataDirs = {Path("local"), Path("system")};
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    wxString Path(const std::string& relative) { return (m_root / relative).string(); }
    void Write(const std::string& relative, const std::string& text) {
        const std::filesystem::path path = m_root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    void Browser(const std::string& dir, const std::string& name, const std::string& exec) {
        Write(dir + "/applications/" + name,
              "[Desktop Entry]\nName=Web\nExec=" + exec + "\n[Desktop Action new]\nExec=wrong\n");
    }

    std::filesystem::path m_root;
    XdgDirectories m_dirs;
};

TEST_F(DefaultBrowserTest, UsersChoiceComesBeforeTheSystemsAndMissingEntriesAreSkipped) {
    Browser("system", "system.desktop", "system-browser %u");
    Browser("local", "mine.desktop", "my-browser \"%u\"");
    Write("system/applications/mimeapps.list",
          "[Default Applications]\ntext/html=system.desktop\n");
    Write("config/mimeapps.list",
          "[Added Associations]\ntext/html=system.desktop;\n"
          "[Default Applications]\ntext/html=gone.desktop;mine.desktop;\n");
    EXPECT_EQ(FindDefaultBrowserCommand(m_dirs), wxString("my-browser \"%u\""));
}

TEST_F(DefaultBrowserTest, CapableApplicationsServeWhenNoDefaultIsSet) {
    Browser("home", "web.desktop", "web %U");
    Write("system/applications/mimeinfo.cache",
          "[MIME Cache]\nx-scheme-handler/http=web.desktop;\n");
    EXPECT_EQ(FindDefaultBrowserCommand(m_dirs), wxString("web %U"));
}

TEST_F(DefaultBrowserTest, NoAssociationMeansNoBrowser) {
    Browser("system", "web.desktop", "web %u");
    Write("config/mimeapps.list", "[Default Applications]\nimage/png=web.desktop\n");
    EXPECT_FALSE(FindDefaultBrowserCommand(m_dirs));
}

TEST_F(DefaultBrowserTest, ProgramThatCannotStartIsNamedByItsReason) {
    // Nothing here can start, so nothing is started.
    LinkOpener& desktop = DesktopLinkOpener();
    EXPECT_EQ(desktop.Start({Path("no-such-dir/browser"), "x"}), kLinkErrorPathNotFound);
    Write("bin/browser", "#!/bin/sh\n");
    EXPECT_EQ(desktop.Start({Path("bin/missing"), "x"}), kLinkErrorFileNotFound);
    EXPECT_EQ(desktop.Start({Path("bin/browser"), "x"}), kLinkErrorAccessDenied);
    EXPECT_EQ(desktop.Start({"tarv-no-such-browser-anywhere", "x"}), kLinkErrorFileNotFound);
}

}  // namespace
}  // namespace tarv
