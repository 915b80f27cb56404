#include "LinkOpener.h"

#include <gtest/gtest.h>

namespace tarv {
namespace {

// Records what GotoURL asks of the desktop.
class FakeOpener : public LinkOpener {
public:
    bool OpenWithDesktop(const wxString& target) override {
        m_desktopTargets.push_back(target);
        return m_desktopOpens;
    }
    std::optional<wxString> DefaultBrowserCommand() override { return m_browser; }
    LinkResult Start(const std::vector<wxString>& arguments) override {
        m_started = arguments;
        return m_startResult;
    }
    void Beep() override {}
    void ShowMessage(wxWindow*, const wxString&) override {}

    bool m_desktopOpens = false;
    std::optional<wxString> m_browser;
    LinkResult m_startResult = LinkResult::Opened();
    std::vector<wxString> m_desktopTargets;
    std::vector<wxString> m_started;
};

TEST(GotoURLTest, DesktopHandlerComesFirst) {
    FakeOpener opener;
    opener.m_desktopOpens = true;
    opener.m_browser = "firefox %u";
    EXPECT_TRUE(GotoURL("mailto:support@example.org", opener).IsOpened());
    EXPECT_EQ(opener.m_desktopTargets, std::vector<wxString>{"mailto:support@example.org"});
    EXPECT_TRUE(opener.m_started.empty());
}

TEST(GotoURLTest, BrowserIsStartedWithTheTargetWhenTheDesktopFails) {
    FakeOpener opener;
    opener.m_browser = "/usr/bin/firefox \"%u\"";
    EXPECT_TRUE(GotoURL("http://example.org/", opener).IsOpened());
    EXPECT_EQ(opener.m_started, (std::vector<wxString>{"/usr/bin/firefox", "http://example.org/"}));

    opener.m_startResult = LinkResult::Failed(LinkError::FileNotFound);
    EXPECT_EQ(GotoURL("http://example.org/", opener), LinkResult::Failed(LinkError::FileNotFound));
}

TEST(GotoURLTest, WithoutABrowserTheDesktopsFailureIsReported) {
    FakeOpener opener;
    EXPECT_EQ(GotoURL("http://example.org/", opener), LinkResult::Failed(LinkError::NoAssociation));
}

}  // namespace
}  // namespace tarv
