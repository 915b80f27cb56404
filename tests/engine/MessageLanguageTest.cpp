// Which language the texts come in: the desktop's wishes, read as gettext reads them, against
// the catalogues there are.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "MessageLanguage.h"
#include "TempFolder.h"

using namespace tarv;

namespace {

LanguageEnvironment Only(std::string language, std::string lcAll = "", std::string lcMessages = "",
                         std::string lang = "") {
    return {std::move(language), std::move(lcAll), std::move(lcMessages), std::move(lang)};
}

using Names = std::vector<std::string>;

}  // namespace

TEST(WantedLanguages, LanguageListComesFirstInItsOrderWithoutCodesets) {
    EXPECT_EQ(WantedLanguages(Only("ru:de_DE.UTF-8:fr", "", "", "es_ES.UTF-8")),
              (Names{"ru", "de_DE", "fr"}));
    EXPECT_EQ(WantedLanguages(Only("sr@latin::pt_BR")), (Names{"sr@latin", "pt_BR"}));
}

TEST(WantedLanguages, WithoutLanguageTheLocaleOfLcAllThenLcMessagesThenLangNamesIt) {
    EXPECT_EQ(WantedLanguages(Only("", "de_DE.UTF-8", "fr_FR.UTF-8", "es_ES.UTF-8")),
              (Names{"de_DE"}));
    EXPECT_EQ(WantedLanguages(Only("", "", "fr_FR.UTF-8", "es_ES.UTF-8")), (Names{"fr_FR"}));
    EXPECT_EQ(WantedLanguages(Only("", "", "", "de_DE.utf8@euro")), (Names{"de_DE@euro"}));
    EXPECT_TRUE(WantedLanguages(Only("")).empty());
}

TEST(WantedLanguages, PlainCLocaleAsksForTheUntranslatedTextsWhateverLanguageSays) {
    EXPECT_TRUE(WantedLanguages(Only("de", "C")).empty());
    EXPECT_TRUE(WantedLanguages(Only("de", "", "POSIX", "de_DE.UTF-8")).empty());
    EXPECT_TRUE(WantedLanguages(Only("de", "", "", "C")).empty());
}

TEST(WantedLanguages, LanguageAloneOrBesideCUtf8IsHeard) {
    // A desktop that names no locale at all, or only the C library's UTF-8 one, still gets the
    // language LANGUAGE asks for.
    EXPECT_EQ(WantedLanguages(Only("de")), (Names{"de"}));
    EXPECT_EQ(WantedLanguages(Only("de", "", "", "C.UTF-8")), (Names{"de"}));
    EXPECT_TRUE(WantedLanguages(Only("", "", "", "C.UTF-8")).empty());
}

TEST(WantedLanguages, EnglishEndsTheList) {
    EXPECT_EQ(WantedLanguages(Only("en_GB:de")), (Names{"en_GB"}));
    EXPECT_EQ(WantedLanguages(Only("ru:en:de")), (Names{"ru", "en"}));
}

TEST(CatalogueNames, GoFromTheExactNameToTheBareLanguage) {
    EXPECT_EQ(CatalogueNames("de_DE@euro"), (Names{"de_DE@euro", "de_DE", "de@euro", "de"}));
    EXPECT_EQ(CatalogueNames("pt_BR"), (Names{"pt_BR", "pt"}));
    EXPECT_EQ(CatalogueNames("ru"), (Names{"ru"}));
}

TEST(ChooseLanguage, TakesTheFirstWantedLanguageThatHasACatalogue) {
    const std::set<std::string> have = {"de", "pt_BR", "ru"};
    auto has = [&have](const std::string& name) { return have.count(name) > 0; };
    EXPECT_EQ(ChooseLanguage({"it", "de_AT", "ru"}, has), "de");
    EXPECT_EQ(ChooseLanguage({"pt_BR"}, has), "pt_BR");
    // A Portuguese speaker from Portugal gets no Brazilian texts: only pt_PT and pt are asked.
    EXPECT_EQ(ChooseLanguage({"pt_PT"}, has), "");
    EXPECT_EQ(ChooseLanguage({"it", "ja"}, has), "");
    // English before German: the texts as written.
    EXPECT_EQ(ChooseLanguage({"en_US", "de"}, has), "");
}

TEST(CatalogueFolderOf, FindsTheFolderThatHoldsTheLanguagesCatalogue) {
    TempFolder program;
    // As installed: the program folder in lib/, the catalogues in share/locale/.
    const std::string own = program.Path() + "lib/tarvmediaconverter/";
    const std::vector<std::string> folders = CatalogueFolders(own);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], own + "locale/");
    EXPECT_EQ(std::filesystem::weakly_canonical(folders[1]),
              std::filesystem::weakly_canonical(program.Path() + "share/locale/"));

    auto install = [](const std::string& folder, const std::string& language) {
        std::filesystem::create_directories(folder + language + "/LC_MESSAGES");
        std::ofstream(folder + language + "/LC_MESSAGES/" + kTextDomain + ".mo") << "mo";
    };
    std::filesystem::create_directories(own);
    install(folders[0], "de");
    install(program.Path() + "share/locale/", "ru");
    EXPECT_EQ(CatalogueFolderOf(folders, "de"), folders[0]);
    EXPECT_EQ(CatalogueFolderOf(folders, "ru"), folders[1]);
    EXPECT_EQ(CatalogueFolderOf(folders, "fr"), std::nullopt);
}
