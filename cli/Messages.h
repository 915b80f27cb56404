// The command's messages and help in the desktop's language, through the C library's gettext:
// the same catalogues as the window's, chosen as the window chooses.
#pragma once

#include <libintl.h>

#include <string>

namespace tarv {

// Binds the catalogues and sets the message locale; call once, before any text is made.
void UseDesktopLanguageForCommand(const std::string& programFolder);

// A text in the command's language (unchanged where the catalogue has none).
__attribute__((format_arg(1))) inline const char* _(const char* english) {
    return gettext(english);
}

// Marks a text for the catalogue where it is defined; `_` translates it where it is used.
constexpr const char* N_(const char* english) {
    return english;
}

// `format` filled like printf; the format may number its arguments ("%2$s") where a language
// puts them in another order.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tarv
