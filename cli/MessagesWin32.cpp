// Windows' C runtime has no gettext, and the catalogues' plural rules need its expression
// reader; the command keeps its English texts there.
#include "Messages.h"

namespace tarv {

void UseDesktopLanguageForCommand(const std::string& /*programFolder*/) {}

const char* _(const char* english) {
    return english;
}

const char* ngettext(const char* one, const char* many, unsigned long count) {
    return count == 1 ? one : many;
}

size_t DisplayWidth(const std::string& text) {
    // The English texts hold a letter in a column; a name in UTF-8 counts its first bytes.
    size_t width = 0;
    for (const char c : text) {
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return width;
}

}  // namespace tarv
