// The command's messages and help in the desktop's language, through the C library's gettext:
// the same catalogues as the window's, chosen as the window chooses. Windows has no gettext in
// its C library, so there the command speaks English (the window reads the catalogues itself).
#pragma once

#include <string>

namespace tarv {

// Binds the catalogues and sets the message locale; call once, before any text is made.
void UseDesktopLanguageForCommand(const std::string& programFolder);

// A text in the command's language (unchanged where the catalogue has none).
__attribute__((format_arg(1))) const char* _(const char* english);

// The form of a counted text for `count`, by the plural rule of the command's language.
__attribute__((format_arg(1), format_arg(2))) const char* ngettext(const char* one,
                                                                   const char* many,
                                                                   unsigned long count);

// Marks a text for the catalogue where it is defined; `_` translates it where it is used.
constexpr const char* N_(const char* english) {
    return english;
}

// How many columns a terminal gives the text; its bytes where it is not valid in the locale.
size_t DisplayWidth(const std::string& text);

// `format` filled like printf; the format may number its arguments ("%2$s") where a language
// puts them in another order.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tarv
