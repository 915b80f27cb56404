#include <libintl.h>

#include <algorithm>
#include <cwchar>

#include "MessageLanguage.h"
#include "Messages.h"

namespace tarv {

void UseDesktopLanguageForCommand(const std::string& programFolder) {
    const std::vector<std::string> folders = CatalogueFolders(programFolder);
    const std::string language = ChooseLanguage(
        WantedLanguages(LanguageEnvironment::Current()), [&folders](const std::string& name) {
            return CatalogueFolderOf(folders, name).has_value();
        });
    UseMessageLanguage(language);
    if (!language.empty()) {
        bindtextdomain(kTextDomain, CatalogueFolderOf(folders, language)->c_str());
    }
    // Whatever the terminal's locale, the catalogue's UTF-8 comes through as it is.
    bind_textdomain_codeset(kTextDomain, "UTF-8");
    textdomain(kTextDomain);
}

const char* _(const char* english) {
    return gettext(english);
}

const char* ngettext(const char* one, const char* many, unsigned long count) {
    return ::ngettext(one, many, count);
}

size_t DisplayWidth(const std::string& text) {
    std::mbstate_t state{};
    size_t width = 0;
    for (size_t at = 0; at < text.size();) {
        wchar_t c = 0;
        const size_t length = std::mbrtowc(&c, text.data() + at, text.size() - at, &state);
        if (length == 0 || length > text.size() - at) {
            return text.size();
        }
        width += static_cast<size_t>(std::max(wcwidth(c), 0));
        at += length;
    }
    return width;
}

}  // namespace tarv
