// Which language the program's texts are in: the one the desktop asks for (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG) that a catalogue of ours exists for, else English. The window and the
// headless command choose alike; each then reads the catalogue with its own gettext.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarv {

// The catalogues' name: locale/<language>/LC_MESSAGES/tarvmediaconverter.mo.
inline constexpr char kTextDomain[] = "tarvmediaconverter";

// The desktop's language variables as they are set; empty where unset.
struct LanguageEnvironment {
    std::string language;    // LANGUAGE: a list of languages, most wanted first, ':' between
    std::string lcAll;       // LC_ALL
    std::string lcMessages;  // LC_MESSAGES
    std::string lang;        // LANG

    static LanguageEnvironment Current();
};

// The languages asked for, most wanted first, without codeset ("de_DE", "pt_BR", "sr@latin").
// LANGUAGE comes first, then the locale that LC_ALL, LC_MESSAGES or LANG names. A locale of
// "C" or "POSIX" asks for the untranslated texts, as it does to gettext, and then LANGUAGE is
// not read. LANGUAGE alone counts too, also where no locale is set at all. English ends the
// list: nothing after it is looked for.
std::vector<std::string> WantedLanguages(const LanguageEnvironment& environment);

// The names a catalogue for `language` may have, most exact first: "de_DE@euro" gives
// "de_DE@euro", "de_DE", "de@euro", "de".
std::vector<std::string> CatalogueNames(const std::string& language);

// The catalogue to use: the first wanted language that `has` says there is a catalogue for,
// under the first of its names that has one; "" for the untranslated (English) texts.
std::string ChooseLanguage(const std::vector<std::string>& wanted,
                           const std::function<bool(const std::string& name)>& has);

// Where catalogues are looked for: the program folder's locale/, then the system's shared
// locale folder as an install beside the program folder lays it out (lib/<program>/ beside
// share/locale/).
std::vector<std::string> CatalogueFolders(const std::string& programFolder);

// The first folder that holds the catalogue of `language` (a name CatalogueNames gives).
std::optional<std::string> CatalogueFolderOf(const std::vector<std::string>& folders,
                                             const std::string& language);

// Makes the C library's messages speak `language` ("" for English) for this process and the
// libraries it uses: LC_CTYPE and LC_MESSAGES from the desktop (C.UTF-8 where its locale is not
// installed or is plain C), and LANGUAGE narrowed to the one chosen. Numbers keep the C locale's
// form.
void UseMessageLanguage(const std::string& language);

}  // namespace tarv
