#include "Messages.h"

#include <cstdarg>
#include <cstdio>

#include "MessageLanguage.h"

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

std::string Printf(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

}  // namespace tarv
