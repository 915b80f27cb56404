// The file and drive functions as Windows answers them: drive letters, the folder rules with
// a drive's bare "C:", locked files, large files, names beyond the code page, and the name hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "FileSystem.h"
#include "PathUtils.h"

using namespace tarv;

namespace {

class WindowsFolder {
public:
    WindowsFolder() {
        const auto base = std::filesystem::temp_directory_path();
        for (int i = 0;; ++i) {
            m_path = base / ("tarv-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(i));
            if (std::filesystem::create_directory(m_path)) {
                break;
            }
        }
    }
    ~WindowsFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    // UTF-8, with a trailing backslash.
    std::string Path() const { return Utf8Path(m_path) + "\\"; }
    std::string Touch(const std::string& name, const std::string& content = "x") const {
        std::ofstream(FileSystemPath(Path() + name), std::ios::binary) << content;
        return Path() + name;
    }

private:
    std::filesystem::path m_path;
};

std::wstring Wide(const std::string& utf8) {
    return FileSystemPath(utf8).wstring();
}

}  // namespace

TEST(WindowsDrives, FixedDrivesAreListedByLetterWithTheirRoots) {
    const std::vector<std::string> drives = FixedDriveList();
    ASSERT_FALSE(drives.empty());
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
    for (const std::string& root : drives) {
        ASSERT_EQ(root.size(), 3u) << root;
        EXPECT_TRUE(root[0] >= 'A' && root[0] <= 'Z') << root;
        EXPECT_EQ(root.substr(1), ":\\");
        EXPECT_EQ(GetDriveTypeW(Wide(root).c_str()), static_cast<UINT>(DRIVE_FIXED)) << root;
    }
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 2u);
    const std::string systemRoot = std::string(1, static_cast<char>(system[0])) + ":\\";
    EXPECT_NE(std::find(drives.begin(), drives.end(), systemRoot), drives.end());
}

TEST(WindowsDrives, ABareDriveLetterIsAFolderOnlyInUpperCase) {
    const std::string drive = FixedDriveList().front().substr(0, 2);
    EXPECT_TRUE(IsUsableFolder(drive));
    EXPECT_TRUE(IsUsableFolder(drive + "\\"));
    std::string lower = drive;
    lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
    EXPECT_FALSE(IsUsableFolder(lower));
    // A letter with no drive at all.
    const DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 0; --letter) {
        if (!(drives & (1u << letter))) {
            EXPECT_FALSE(IsUsableFolder(std::string(1, static_cast<char>('A' + letter)) + ":"));
            break;
        }
    }
}

TEST(WindowsFolders, FoldersAreUsableWithOrWithoutTheTrailingSeparator) {
    const WindowsFolder folder;
    const std::string plain = folder.Path() + "Clips";
    const std::string unicode =
        folder.Path() + "\xD0\x92\xD0\xB8\xD0\xB4\xD0\xB5\xD0\xBE \xE5\x90\x8D";
    std::string reason;
    ASSERT_TRUE(MakeFolders(plain + "\\deeper\\still", &reason)) << reason;
    ASSERT_TRUE(MakeFolders(unicode, &reason)) << reason;
    EXPECT_TRUE(IsUsableFolder(plain));
    EXPECT_TRUE(IsUsableFolder(plain + "\\"));
    EXPECT_TRUE(IsUsableFolder(unicode));
    EXPECT_EQ(StatusOf(unicode).kind, PathStatus::Kind::Folder);
    EXPECT_FALSE(IsUsableFolder(folder.Touch("file.avi")));
    EXPECT_FALSE(IsUsableFolder(folder.Path() + "missing"));
    // A pattern finds "Clips", but a name with a wildcard is no folder name.
    EXPECT_FALSE(IsUsableFolder(folder.Path() + "Cl?ps"));
    EXPECT_TRUE(HasSubfolders(plain));
    EXPECT_FALSE(HasSubfolders(plain + "\\deeper\\still"));
    EXPECT_FALSE(HasSubfolders(unicode));
}

TEST(WindowsFiles, ALockedFileIsNotThereForReadingButADeniedOneIs) {
    const WindowsFolder folder;
    const std::string path = folder.Touch("locked.avi");
    EXPECT_TRUE(FileExists(path));
    HANDLE exclusive = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FileExists(path));
    CloseHandle(exclusive);
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FileExists(folder.Path() + "missing.avi"));
}

TEST(WindowsFiles, SizesAreSixtyFourBitAndNamesAreUnicode) {
    const WindowsFolder folder;
    const std::string path = folder.Path() + "gro\xC3\x9F \xE5\xA4\xA7.avi";
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 5LL * 1024 * 1024 * 1024 + 7;
    DWORD ignored = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    EXPECT_EQ(FileSizeOf(path), 5ULL * 1024 * 1024 * 1024 + 7);
    EXPECT_EQ(StatusOf(path).identity.size, 5LL * 1024 * 1024 * 1024 + 7);
    EXPECT_EQ(FileSizeOf(folder.Path() + "missing.avi"), 0u);
}

TEST(WindowsFiles, StatusTellsFilesFoldersAndAbsenceApartAndSeesWrites) {
    const WindowsFolder folder;
    const std::string path = folder.Touch("clip.avi", "abc");
    const PathStatus before = StatusOf(path);
    EXPECT_EQ(before.kind, PathStatus::Kind::File);
    EXPECT_EQ(before.identity.size, 3);
    EXPECT_EQ(StatusOf(folder.Path()).kind, PathStatus::Kind::Folder);
    EXPECT_EQ(StatusOf(folder.Path() + "missing").kind, PathStatus::Kind::Absent);
    EXPECT_EQ(StatusOf(folder.Path() + "missing\\deeper").kind, PathStatus::Kind::Absent);
    Sleep(20);
    std::ofstream(FileSystemPath(path), std::ios::binary | std::ios::app) << "d";
    const PathStatus after = StatusOf(path);
    EXPECT_EQ(after.identity.inode, before.identity.inode);
    EXPECT_FALSE(after.identity == before.identity);
    EXPECT_TRUE(RemoveFile(path));
    EXPECT_TRUE(RemoveFile(path));  // gone already counts as removed
    EXPECT_EQ(StatusOf(path).kind, PathStatus::Kind::Absent);
}

TEST(WindowsFiles, ANameIsHeldByOneHolderAtATimeAndGoesWithIt) {
    const WindowsFolder folder;
    const std::string marker = folder.Path() + ".clip.tarvclaim";
    NameHold::Attempt first = NameHold::Acquire(marker);
    ASSERT_EQ(first.outcome, NameHold::Outcome::Held) << first.error;
    EXPECT_EQ(NameHold::Acquire(marker).outcome, NameHold::Outcome::Taken);
    EXPECT_TRUE(GetFileAttributesW(Wide(marker).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    first.hold.reset();
    EXPECT_EQ(StatusOf(marker).kind, PathStatus::Kind::Absent);
    NameHold::Attempt again = NameHold::Acquire(marker);
    EXPECT_EQ(again.outcome, NameHold::Outcome::Held);
}

TEST(WindowsFiles, AFileThatIsNoMarkerIsNeverTakenOver) {
    const WindowsFolder folder;
    const std::string marker = folder.Touch(".clip.tarvclaim", "the user's own notes");
    EXPECT_EQ(NameHold::Acquire(marker).outcome, NameHold::Outcome::Taken);
    std::ifstream kept(FileSystemPath(marker));
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "the user's own notes");
}

TEST(WindowsFiles, AMarkerLeftBehindByARunThatDiedIsTakenOver) {
    const WindowsFolder folder;
    const std::string marker = folder.Touch(".clip.tarvclaim", "held by a tarv conversion\n");
    NameHold::Attempt attempt = NameHold::Acquire(marker);
    EXPECT_EQ(attempt.outcome, NameHold::Outcome::Held) << attempt.error;
    attempt.hold.reset();
    EXPECT_EQ(StatusOf(marker).kind, PathStatus::Kind::Absent);
}

TEST(WindowsFiles, FilesCanBeMadeOnlyWhereTheFolderAllowsIt) {
    const WindowsFolder folder;
    std::string reason;
    EXPECT_TRUE(CanCreateFilesIn(folder.Path(), &reason)) << reason;
    EXPECT_FALSE(CanCreateFilesIn(folder.Path() + "missing\\", &reason));
    EXPECT_FALSE(reason.empty());
    // Nothing of the question stays behind.
    EXPECT_TRUE(std::filesystem::is_empty(FileSystemPath(folder.Path())));
}

TEST(WindowsFiles, TheProgramFolderComesFromTheExecutableItself) {
    const std::string executable = OwnExecutablePath();
    ASSERT_GT(executable.size(), 3u);
    EXPECT_EQ(executable[1], ':');
    EXPECT_EQ(StatusOf(executable, true).kind, PathStatus::Kind::File);
    EXPECT_EQ(AbsolutePath("clip.avi").substr(1, 2), ":\\");
}
