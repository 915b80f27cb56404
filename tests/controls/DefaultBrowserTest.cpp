#include "DefaultBrowser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tarv {
namespace {

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

}  // namespace
}  // namespace tarv
