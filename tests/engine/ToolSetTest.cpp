#include "ToolSet.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

using namespace tarv;

TEST(ToolSet, ProgramFolderIsTheExecutablesFolderEndingInTheSeparator) {
    EXPECT_EQ(ProgramFolderOf("D:\\apps\\conv.exe", '\\'), "D:\\apps\\");
    EXPECT_EQ(ProgramFolderOf("conv.exe", '\\'), "\\");
    EXPECT_EQ(ProgramFolderOf("/usr/lib/tarv/TarvMediaConverter"), "/usr/lib/tarv/");

    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(std::filesystem::path(folder),
              std::filesystem::canonical(TARV_TEST_DIR).string() + "/");
}

TEST(ToolSet, ToolPathsComeFromTheProgramFolderWhateverTheCurrentFolder) {
    EXPECT_EQ(ToolPath("D:\\apps\\", Tool::Encoder), "D:\\apps\\tarv.patch4");
    EXPECT_EQ(ToolPath("/opt/t/", Tool::Identify), "/opt/t/tarv.patch3");
    EXPECT_EQ(ToolPath("/opt/t/", Tool::Muxer), "/opt/t/tarv.patch5");

    const std::string before = ProgramFolder();
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path("/");
    EXPECT_EQ(ProgramFolder(), before);
    std::filesystem::current_path(cwd);
}
