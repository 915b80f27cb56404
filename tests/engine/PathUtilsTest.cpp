#include "PathUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempFolder.h"

using namespace tarv;

TEST(PathParts, SplitAtTheLastSeparatorWithEitherSeparator) {
    EXPECT_EQ(FolderPart("C:\\v\\clip.avi", '\\'), "C:\\v\\");
    EXPECT_EQ(LastPathPart("C:\\v\\clip.avi", '\\'), "clip.avi");
    EXPECT_EQ(FolderPart("/home/ann/clip.avi"), "/home/ann/");
    EXPECT_EQ(LastPathPart("/home/ann/clip.avi"), "clip.avi");
    EXPECT_EQ(FolderPart("clip.avi"), "");
    EXPECT_EQ(LastPathPart("clip.avi"), "");
    EXPECT_EQ(LastPathPart("/home/ann/"), "");
    // The other platform's separator is an ordinary character.
    EXPECT_EQ(LastPathPart("C:\\v\\clip.avi", '/'), "");
}

TEST(PathParts, FileTitleStopsAtTheLastDotOfTheLastPart) {
    EXPECT_EQ(FileTitleOf("C:\\v\\clip.part1.avi", '\\'), "clip.part1");
    EXPECT_EQ(FileTitleOf("C:\\a.b\\file", '\\'), "");
    EXPECT_EQ(FileTitleOf("C:\\v\\clip", '\\'), "");
    EXPECT_EQ(FileTitleOf("clip.avi", '\\'), "");
    EXPECT_EQ(FileTitleOf("/v.1/clip.avi"), "clip");
    EXPECT_EQ(FileTitleOf("/v/.hidden"), "");
    EXPECT_EQ(FileTitleOf("/v/clip."), "clip");
}

TEST(Folders, UsableFolderExistsAndHasACleanName) {
    TempFolder root;
    const std::string plain = root.Path() + "videos";
    const std::string odd = root.Path() + "what?";
    std::filesystem::create_directory(plain);
    std::filesystem::create_directory(odd);
    root.Touch("file.txt");

    EXPECT_TRUE(IsUsableFolder(plain));
    EXPECT_TRUE(IsUsableFolder(plain + "/"));
    EXPECT_TRUE(IsUsableFolder("/"));
    // Windows refuses a "?" in a name, so there such a folder is never offered.
    EXPECT_FALSE(IsUsableFolder(odd, kWindowsForbiddenNameCharacters));
    EXPECT_FALSE(IsUsableFolder(odd + "/", kWindowsForbiddenNameCharacters));
    EXPECT_TRUE(IsUsableFolder(plain, kWindowsForbiddenNameCharacters));
    EXPECT_FALSE(IsUsableFolder(root.Path() + "file.txt"));
    EXPECT_FALSE(IsUsableFolder(root.Path() + "missing"));
    EXPECT_FALSE(IsUsableFolder(""));
}

TEST(Folders, OnlyCharactersThisSystemRefusesMakeANameUnusable) {
    TempFolder root;
    // Every one of these is a legal name here; Windows would refuse each.
    for (const std::string name :
         {"quote\"s and spaces", "what?", "a:b", "star*", "<angled>", "pipe|d", "back\\slash"}) {
        const std::string folder = root.Path() + name;
        ASSERT_TRUE(std::filesystem::create_directory(folder)) << name;
        EXPECT_TRUE(IsUsableFolder(folder)) << name;
        EXPECT_TRUE(IsUsableFolder(folder + "/")) << name;
        EXPECT_FALSE(IsUsableFolder(folder, kWindowsForbiddenNameCharacters)) << name;
    }
    EXPECT_EQ(kForbiddenNameCharacters, "/");
    EXPECT_EQ(kWindowsForbiddenNameCharacters, "\\/:*?\"<>|");
}

TEST(Folders, SubfoldersCountOnlyRealFolders) {
    TempFolder root;
    EXPECT_FALSE(HasSubfolders(root.Path()));
    root.Touch("file.txt");
    EXPECT_FALSE(HasSubfolders(root.Path()));
    std::filesystem::create_directory(root.Path() + "sub");
    EXPECT_TRUE(HasSubfolders(root.Path()));
    std::string withoutSeparator = root.Path();
    withoutSeparator.pop_back();
    EXPECT_TRUE(HasSubfolders(withoutSeparator));
    EXPECT_FALSE(HasSubfolders(root.Path() + "missing"));
}

TEST(Folders, FixedDriveListStartsWithTheRoot) {
    const auto roots = FixedDriveList();
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(roots.front(), "/");
    for (const std::string& root : roots) {
        EXPECT_TRUE(IsUsableFolder(root)) << root;
        EXPECT_EQ(root.rfind("/proc", 0), std::string::npos) << root;
    }
}

TEST(Files, ExistenceCountsUnreadableFilesAsPresent) {
    TempFolder root;
    const std::string readable = root.Touch("a.3gp");
    const std::string locked = root.Touch("b.3gp");
    chmod(locked.c_str(), 0);
    EXPECT_TRUE(FileExists(readable));
    EXPECT_TRUE(FileExists(locked));  // root reads anyway; everyone else is refused: both true
    EXPECT_FALSE(FileExists(root.Path() + "missing.3gp"));

    // A file inside a folder we may not search is refused too, and so counts as present.
    if (geteuid() != 0) {
        const std::string closed = root.Path() + "closed";
        std::filesystem::create_directory(closed);
        std::ofstream(closed + "/c.3gp") << "x";
        chmod(closed.c_str(), 0);
        EXPECT_TRUE(FileExists(closed + "/c.3gp"));
        chmod(closed.c_str(), 0700);
    }
}

TEST(Files, SizesAreSixtyFourBit) {
    TempFolder root;
    EXPECT_EQ(FileSizeOf(root.Touch("five.bin", "12345")), 5u);
    EXPECT_EQ(FileSizeOf(root.Path() + "missing"), 0u);
    // A sparse file past 4 GiB keeps its high bits.
    const std::string big = root.Touch("big.bin", "");
    std::filesystem::resize_file(big, (5ull << 30) + 7);
    EXPECT_EQ(FileSizeOf(big), (5ull << 30) + 7);
}
