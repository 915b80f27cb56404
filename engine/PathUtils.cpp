#include "PathUtils.h"

#include <cstdio>

namespace tarv {

std::string FolderPart(std::string_view path, char separator) {
    const size_t last = path.rfind(separator);
    if (last == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, last + 1));
}

std::string WithTrailingSeparator(std::string_view path) {
    std::string folder(path);
    if (folder.empty() || folder.back() != kSeparator) {
        folder += kSeparator;
    }
    return folder;
}

std::string LastPathPart(std::string_view path, char separator) {
    const size_t last = path.rfind(separator);
    if (last == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(last + 1));
}

std::string FileTitleOf(std::string_view path, char separator) {
    const size_t last = path.rfind(separator);
    const size_t dot = path.rfind('.');
    if (last == std::string_view::npos || dot == std::string_view::npos || dot < last) {
        return {};
    }
    return std::string(path.substr(last + 1, dot - last - 1));
}

std::filesystem::path FileSystemPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string FitFileName(std::string_view name, std::string_view tail, size_t limit) {
    constexpr size_t kHashPart = 9;  // "~" and eight hex digits
    if (name.size() + tail.size() <= limit || tail.size() + kHashPart >= limit) {
        return std::string(name) + std::string(tail);
    }
    uint32_t hash = 2166136261u;  // FNV-1a: tiny, and the tools form the same names with it
    for (unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    size_t cut = limit - tail.size() - kHashPart;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
        --cut;  // never half a UTF-8 character
    }
    char digits[kHashPart + 1];
    std::snprintf(digits, sizeof digits, "~%08x", hash);
    return std::string(name.substr(0, cut)) + digits + std::string(tail);
}

}  // namespace tarv
