// The desktop's language on Windows, where no locale variables are set: Windows' own display
// language stands in for LANG, in the catalogues' spelling; variables that are set still rule.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "MessageLanguage.h"

using namespace tarv;

namespace {

constexpr const char* kVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// Clears the four variables for one test and puts back what was there.
class CleanLanguageVariables : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? value : "");
            _putenv_s(name, "");
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : m_saved) {
            _putenv_s(name.c_str(), value.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

}  // namespace

TEST_F(CleanLanguageVariables, WindowsDisplayLanguageStandsInForLang) {
    const LanguageEnvironment environment = LanguageEnvironment::Current();
    EXPECT_EQ(environment.language, "");
    EXPECT_EQ(environment.lcAll, "");
    // "en_US", "de_DE", "sr_Latn_RS": Windows' hyphens turned into the catalogues' underscores.
    EXPECT_TRUE(std::regex_match(environment.lang, std::regex("[a-z]{2,3}(_[A-Za-z0-9]+)*")))
        << environment.lang;
    // And it is read as a wish like any LANG.
    const std::vector<std::string> wanted = WantedLanguages(environment);
    ASSERT_FALSE(wanted.empty());
    EXPECT_EQ(wanted.front(), environment.lang);
}

TEST_F(CleanLanguageVariables, VariablesThatAreSetRuleOverWindows) {
    _putenv_s("LANGUAGE", "pt_BR:fr");
    const LanguageEnvironment environment = LanguageEnvironment::Current();
    EXPECT_EQ(environment.language, "pt_BR:fr");
    EXPECT_EQ(environment.lang, "");
    EXPECT_EQ(WantedLanguages(environment).front(), "pt_BR");
}
