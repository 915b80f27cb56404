#include <clocale>
#include <cstdlib>
#include <cstring>

#include "MessageLanguage.h"

namespace tarv {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Sets a category from the desktop's variables; where that locale is not installed, or is the
// plain C one that knows only ASCII, the C library's built-in UTF-8 locale stands in.
void SetCategory(int category) {
    const char* set = std::setlocale(category, "");
    if (!set || std::strcmp(set, "C") == 0 || std::strcmp(set, "POSIX") == 0) {
        std::setlocale(category, "C.UTF-8");
    }
}

}  // namespace

LanguageEnvironment LanguageEnvironment::Current() {
    return {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")};
}

void UseMessageLanguage(const std::string& language) {
    // Translations are UTF-8; in an ASCII locale the C library would turn them into question
    // marks. gettext also passes LANGUAGE by in the plain C locale, which C.UTF-8 is not.
    SetCategory(LC_CTYPE);
    SetCategory(LC_MESSAGES);
    // The libraries beneath (GTK's dialogs) read LANGUAGE too, and should speak what we speak,
    // not the next language on the user's list that they happen to have and we do not.
    setenv("LANGUAGE", language.empty() ? "en" : language.c_str(), 1);
}

}  // namespace tarv
