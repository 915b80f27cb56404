#include "OutputFolderCheck.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempFolder.h"

using namespace tarv;
using Problem = OutputFolderCheck::Problem;

TEST(OutputFolderCheck, AMissingFolderIsMadeWithItsParents) {
    TempFolder folder;
    const OutputFolderCheck check = PrepareOutputFolder(folder.Path() + "a/b/c");
    EXPECT_TRUE(check);
    EXPECT_EQ(check.path, folder.Path() + "a/b/c");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "a/b/c"));
}

TEST(OutputFolderCheck, EachUnusableFolderSaysWhy) {
    TempFolder folder;
    EXPECT_EQ(PrepareOutputFolder("  ").problem, Problem::Empty);
    folder.Touch("file", "x");
    EXPECT_EQ(PrepareOutputFolder(folder.Path() + "file").problem, Problem::NotAFolder);
    const OutputFolderCheck under = PrepareOutputFolder(folder.Path() + "file/inner");
    EXPECT_EQ(under.problem, Problem::CannotCreate);
    EXPECT_FALSE(under.reason.empty());
    if (geteuid() != 0) {  // root may write anywhere
        std::filesystem::create_directory(folder.Path() + "locked");
        chmod((folder.Path() + "locked").c_str(), 0500);
        const OutputFolderCheck locked = PrepareOutputFolder(folder.Path() + "locked");
        EXPECT_EQ(locked.problem, Problem::NotWritable);
        EXPECT_FALSE(locked.reason.empty());
        chmod((folder.Path() + "locked").c_str(), 0700);
    }
}

TEST(OutputFolderCheck, ALinkToAFolderThatIsGoneIsNamedAndLeftAsItIs) {
    TempFolder folder;
    std::filesystem::create_directory_symlink(folder.Path() + "gone", folder.Path() + "link");
    for (const std::string& asked : {folder.Path() + "link", folder.Path() + "link/inner"}) {
        SCOPED_TRACE(asked);
        const OutputFolderCheck check = PrepareOutputFolder(asked);
        EXPECT_EQ(check.problem, Problem::CannotCreate);
        EXPECT_EQ(check.reason, folder.Path() + "link is a link to " + folder.Path() +
                                    "gone, which does not exist");
        EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() + "link"));
        EXPECT_FALSE(std::filesystem::exists(folder.Path() + "gone"));
    }
    // A link that leads to a folder is that folder.
    std::filesystem::create_directory(folder.Path() + "gone");
    EXPECT_TRUE(PrepareOutputFolder(folder.Path() + "link/inner"));
}

TEST(OutputFolderCheck, ARelativeFolderIsMadeAbsolute) {
    TempFolder folder;
    const std::string here = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);
    const OutputFolderCheck check = PrepareOutputFolder("out");
    EXPECT_EQ(chdir(here.c_str()), 0);
    EXPECT_TRUE(check);
    EXPECT_EQ(check.path, folder.Path() + "out");
}
