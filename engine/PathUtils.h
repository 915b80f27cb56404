// Small stateless helpers on paths, files and folders, shared by the engine, the form and the
// folder tree. Path functions take the separator as a parameter so they work on either
// platform's paths; they never normalise or resolve a path.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarv {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// Characters Windows refuses in a file or folder name, in the order they are tested.
inline constexpr std::string_view kWindowsForbiddenNameCharacters = "\\/:*?\"<>|";
// Characters this system refuses in a name. Here only the separator: a folder named
// `quote"s and spaces` or `a:b` is an ordinary folder the user may write to.
#ifdef _WIN32
inline constexpr std::string_view kForbiddenNameCharacters = kWindowsForbiddenNameCharacters;
#else
inline constexpr std::string_view kForbiddenNameCharacters = "/";
#endif

// The text up to and including the last separator; empty when there is none.
std::string FolderPart(std::string_view path, char separator = kSeparator);

// The path with a separator at its end, added only where it has none (also to an empty path).
std::string WithTrailingSeparator(std::string_view path);

// The text after the last separator; empty when there is none.
std::string LastPathPart(std::string_view path, char separator = kSeparator);

// The text after the last separator up to the last "."; empty when the path has no separator or
// no ".", or when the last "." lies before the last separator.
std::string FileTitleOf(std::string_view path, char separator = kSeparator);

// The most bytes one name in a folder may have on the file systems we write to.
inline constexpr size_t kMaxFileNameBytes = 255;

// The name followed by the tail, kept within the limit: where the whole would be too long the
// name is cut at a character boundary and ends in "~" and eight hex digits of a hash of the
// whole name, so two long names that start alike still differ. The tail always stays whole.
std::string FitFileName(std::string_view name, std::string_view tail,
                        size_t limit = kMaxFileNameBytes);

// A path for the standard library's file-system functions from UTF-8 text, and back. The
// library would take plain text in the system's code page on Windows; on Linux both keep the
// bytes as they are.
std::filesystem::path FileSystemPath(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);

// The roots of the local disks: on Linux the mounted local file systems, the root folder first;
// on Windows the drive letters of the fixed disks in letter order ("C:", "D:").
std::vector<std::string> FixedDriveList();

// True when the path names an existing folder whose last part holds none of `forbidden`.
// A trailing separator makes no difference.
bool IsUsableFolder(std::string_view path, std::string_view forbidden = kForbiddenNameCharacters);

// True when the folder holds at least one folder other than "." and "..".
bool HasSubfolders(std::string_view path);

// True when the file can be opened for reading, or when opening it is refused for lack of
// permission (it is there, only not ours to read).
bool FileExists(std::string_view path);

// The size in bytes; 0 when the file cannot be found.
uint64_t FileSizeOf(std::string_view path);

}  // namespace tarv
