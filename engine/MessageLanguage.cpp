#include "MessageLanguage.h"

#include <algorithm>

#include "PathUtils.h"

namespace tarv {

namespace {

// The untranslated texts' own locales.
bool IsPlainLocale(const std::string& locale) {
    return locale == "C" || locale == "POSIX";
}

bool IsEnglish(const std::string& language) {
    return language == "en" || language.starts_with("en_") || language.starts_with("en@");
}

// "de_DE.UTF-8@euro" gives "de_DE@euro": catalogues are named without the codeset.
std::string WithoutCodeset(const std::string& locale) {
    const size_t dot = locale.find('.');
    if (dot == std::string::npos) {
        return locale;
    }
    const size_t at = locale.find('@', dot);
    return locale.substr(0, dot) + (at == std::string::npos ? "" : locale.substr(at));
}

}  // namespace

std::vector<std::string> WantedLanguages(const LanguageEnvironment& environment) {
    const std::string& locale = !environment.lcAll.empty()        ? environment.lcAll
                                : !environment.lcMessages.empty() ? environment.lcMessages
                                                                  : environment.lang;
    if (IsPlainLocale(locale)) {
        return {};
    }
    std::vector<std::string> wanted;
    auto add = [&wanted](const std::string& entry) {
        const std::string language = WithoutCodeset(entry);
        // C.UTF-8 names no language of its own.
        if (language.empty() || IsPlainLocale(language)) {
            return;
        }
        wanted.push_back(language);
    };
    for (size_t from = 0; from <= environment.language.size();) {
        const size_t colon =
            std::min(environment.language.find(':', from), environment.language.size());
        add(environment.language.substr(from, colon - from));
        from = colon + 1;
    }
    if (environment.language.empty()) {
        add(locale);
    }
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (IsEnglish(wanted[i])) {
            wanted.resize(i + 1);
            break;
        }
    }
    return wanted;
}

std::vector<std::string> CatalogueNames(const std::string& language) {
    std::vector<std::string> names;
    auto add = [&names](const std::string& name) {
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(name);
        }
    };
    const size_t at = language.find('@');
    const std::string modifier = at == std::string::npos ? "" : language.substr(at);
    const std::string base = language.substr(0, at);
    const std::string bare = base.substr(0, base.find('_'));
    add(language);
    add(base);
    if (!modifier.empty()) {
        add(bare + modifier);
    }
    add(bare);
    return names;
}

std::string ChooseLanguage(const std::vector<std::string>& wanted,
                           const std::function<bool(const std::string& name)>& has) {
    for (const std::string& language : wanted) {
        // English is what the program is written in: no catalogue needed, none looked for.
        if (IsEnglish(language)) {
            return {};
        }
        for (const std::string& name : CatalogueNames(language)) {
            if (has(name)) {
                return name;
            }
        }
    }
    return {};
}

std::vector<std::string> CatalogueFolders(const std::string& programFolder) {
    return {programFolder + "locale" + kSeparator, programFolder + ".." + kSeparator + ".." +
                                                       kSeparator + "share" + kSeparator +
                                                       "locale" + kSeparator};
}

std::optional<std::string> CatalogueFolderOf(const std::vector<std::string>& folders,
                                             const std::string& language) {
    for (const std::string& folder : folders) {
        const std::string file =
            folder + language + kSeparator + "LC_MESSAGES" + kSeparator + kTextDomain + ".mo";
        if (FileExists(file)) {
            return folder;
        }
    }
    return std::nullopt;
}

}  // namespace tarv
