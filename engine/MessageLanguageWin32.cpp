#include <windows.h>

#include <cstdlib>

#include "MessageLanguage.h"

namespace tarv {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The language of Windows' own menus and dialogs as a locale name ("de_DE"); "" where Windows
// gives none.
std::string DisplayLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) {
        return {};
    }
    // Locale names are ASCII; Windows writes "de-DE" where the catalogues say "de_DE".
    std::string text;
    for (const wchar_t* c = name; *c; ++c) {
        text += *c == L'-' ? '_' : static_cast<char>(*c);
    }
    return text;
}

}  // namespace

LanguageEnvironment LanguageEnvironment::Current() {
    LanguageEnvironment environment{Variable("LANGUAGE"), Variable("LC_ALL"),
                                    Variable("LC_MESSAGES"), Variable("LANG")};
    // Windows sets none of these; a user who does (a shell from a POSIX toolkit) is obeyed, as
    // everywhere else.
    if (environment.language.empty() && environment.lcAll.empty() &&
        environment.lcMessages.empty() && environment.lang.empty()) {
        environment.lang = DisplayLanguage();
    }
    return environment;
}

void UseMessageLanguage(const std::string& /*language*/) {
    // Windows' C runtime has no message catalogues to point at the language, and the window
    // reads ours through wxWidgets: nothing of the process needs changing.
}

}  // namespace tarv
