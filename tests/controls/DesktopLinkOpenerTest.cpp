#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "LinkOpener.h"

namespace tarv {
namespace {

TEST(DesktopLinkOpenerTest, AProgramThatCannotStartIsNamedByItsReason) {
    const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                       ("tarv-desktop-opener-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "bin");
    // Not executable, so nothing here can start and nothing is started.
    std::ofstream(root / "bin" / "browser") << "#!/bin/sh\n";
    auto path = [&](const char* relative) { return wxString((root / relative).string()); };

    LinkOpener& desktop = DesktopLinkOpener();
    EXPECT_EQ(desktop.Start({path("no-such-dir/browser"), "x"}),
              LinkResult::Failed(LinkError::PathNotFound));
    EXPECT_EQ(desktop.Start({path("bin/missing"), "x"}),
              LinkResult::Failed(LinkError::FileNotFound));
    EXPECT_EQ(desktop.Start({path("bin/browser"), "x"}),
              LinkResult::Failed(LinkError::AccessDenied));
    EXPECT_EQ(desktop.Start({"tarv-no-such-browser-anywhere", "x"}),
              LinkResult::Failed(LinkError::FileNotFound));
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace tarv
