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

}  // namespace tarv
