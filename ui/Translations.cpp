#include "Translations.h"

#include <wx/translation.h>

namespace tarv {

wxString UseDesktopLanguage(const std::string& programFolder,
                            const LanguageEnvironment& environment) {
    const std::vector<std::string> folders = CatalogueFolders(programFolder);
    const std::string language =
        ChooseLanguage(WantedLanguages(environment), [&folders](const std::string& name) {
            return CatalogueFolderOf(folders, name).has_value();
        });
    UseMessageLanguage(language);

    // A fresh set each time, so a window made after a change of language has only its texts.
    auto* translations = new wxTranslations;
    wxTranslations::Set(translations);
    if (language.empty()) {
        return {};
    }
    for (const std::string& folder : folders) {
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(wxString::FromUTF8(folder));
    }
    // Chosen as the headless command chooses, so the two always speak the same language, also
    // where no locale of that language is installed.
    translations->SetLanguage(wxString::FromUTF8(language));
    // wxWidgets' own texts (its stock buttons and messages) where the system has them.
    translations->AddStdCatalog();
    translations->AddCatalog(kTextDomain);
    return wxString::FromUTF8(language);
}

wxString TranslatedText(std::string_view english) {
    return wxGetTranslation(wxString::FromUTF8(english.data(), english.size()));
}

}  // namespace tarv
