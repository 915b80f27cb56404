// Every translation as a translator hands it in: compiled by msgfmt's own checks, nothing left
// untranslated or fuzzy, each text's placeholders, accelerator and edge spaces as the English
// one has them, and no text of the sources missing from the template.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "MessageLanguage.h"
#include "OptionCatalogue.h"
#include "RunToEnd.h"
#include "TempFolder.h"

namespace {

struct Entry {
    std::string msgid;
    std::string plural;
    std::vector<std::string> msgstr;  // one per plural form
    bool fuzzy = false;
};

std::string Unquote(const std::string& quoted) {
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 2 < quoted.size()) {
            const char c = quoted[++i];
            text += c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            text += quoted[i];
        }
    }
    return text;
}

// The entries of a .po or .pot file, the header left out.
std::vector<Entry> ReadCatalogue(const std::string& path) {
    std::ifstream file(path);
    std::vector<Entry> entries;
    Entry entry;
    std::string* field = nullptr;
    auto finish = [&] {
        if (!entry.msgid.empty()) {
            entries.push_back(entry);
        }
        entry = Entry();
        field = nullptr;
    };
    const std::regex keyword(R"re(^(msgid|msgid_plural|msgstr(\[(\d+)\])?) (".*")$)re");
    std::string line;
    while (std::getline(file, line)) {
        std::smatch match;
        if (line.empty()) {
            finish();
        } else if (line.starts_with("#,")) {
            entry.fuzzy = entry.fuzzy || line.find("fuzzy") != std::string::npos;
        } else if (line.starts_with("#")) {
            continue;
        } else if (std::regex_match(line, match, keyword)) {
            if (match[1] == "msgid") {
                field = &entry.msgid;
            } else if (match[1] == "msgid_plural") {
                field = &entry.plural;
            } else {
                const size_t form = match[3].matched ? std::stoul(match[3]) : 0;
                entry.msgstr.resize(std::max(entry.msgstr.size(), form + 1));
                field = &entry.msgstr[form];
            }
            *field += Unquote(match[4]);
        } else if (line.starts_with("\"") && field) {
            *field += Unquote(line);
        }
    }
    finish();
    return entries;
}

std::vector<std::string> Languages() {
    std::ifstream file(TARV_PO_DIR "LINGUAS");
    std::vector<std::string> languages;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line[0] != '#') {
            languages.push_back(line);
        }
    }
    return languages;
}

// A text's printf conversions, each with the argument it takes: "%1$s" and the first "%s" are
// both (1, "s"); "%%" is none.
std::multiset<std::pair<int, std::string>> Placeholders(const std::string& text) {
    std::multiset<std::pair<int, std::string>> found;
    const std::regex conversion(
        R"(%(?:(\d+)\$)?[-+ #0]*\d*(?:\.\d+)?(l{0,2}|z)?([diouxXeEfgGcsp%]))");
    int next = 1;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& match = *it;
        if (match[3] == "%") {
            continue;
        }
        const int number = match[1].matched ? std::stoi(match[1]) : next++;
        found.insert({number, match[2].str() + match[3].str()});
    }
    return found;
}

size_t Count(const std::string& text, char c) {
    return std::count(text.begin(), text.end(), c);
}

std::string Leading(const std::string& text) {
    return text.substr(0, text.find_first_not_of(" \t\n"));
}

std::string Trailing(const std::string& text) {
    const size_t last = text.find_last_not_of(" \t\n");
    return last == std::string::npos ? text : text.substr(last + 1);
}

class CatalogueTest : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST(Catalogues, EveryLanguageOfTheListHasItsFile) {
    const std::vector<std::string> languages = Languages();
    EXPECT_EQ(languages, (std::vector<std::string>{"de", "es", "fr", "hi", "id", "pt_BR", "ru"}));
}

TEST_P(CatalogueTest, CompilesWithMsgfmtsChecksAndNothingIsUntranslatedOrFuzzy) {
    const std::string po = TARV_PO_DIR + GetParam() + ".po";
    const RunOutput run =
        RunToEnd({TARV_MSGFMT, "--check", "--statistics", "--output-file=/dev/null", po});
    EXPECT_TRUE(run.status.Succeeded()) << run.text;
    EXPECT_TRUE(std::regex_match(run.text, std::regex(R"(\d+ translated messages?\.\n)")))
        << run.text;
    for (const Entry& entry : ReadCatalogue(po)) {
        EXPECT_FALSE(entry.fuzzy) << entry.msgid;
        for (const std::string& text : entry.msgstr) {
            EXPECT_FALSE(text.empty()) << entry.msgid;
        }
    }
}

TEST_P(CatalogueTest, HoldsEveryTextOfTheTemplateAndNoOther) {
    std::set<std::string> wanted, held;
    for (const Entry& entry : ReadCatalogue(TARV_PO_DIR "tarvmediaconverter.pot")) {
        wanted.insert(entry.msgid);
    }
    for (const Entry& entry : ReadCatalogue(TARV_PO_DIR + GetParam() + ".po")) {
        held.insert(entry.msgid);
    }
    EXPECT_EQ(held, wanted);
}

TEST_P(CatalogueTest, TranslationsKeepThePlaceholdersAcceleratorsAndEdgesOfTheEnglish) {
    for (const Entry& entry : ReadCatalogue(TARV_PO_DIR + GetParam() + ".po")) {
        for (size_t form = 0; form < entry.msgstr.size(); ++form) {
            const std::string& text = entry.msgstr[form];
            const std::string& english =
                form == 0 || entry.plural.empty() ? entry.msgid : entry.plural;
            SCOPED_TRACE(entry.msgid + " -> " + text);
            EXPECT_EQ(Placeholders(text), Placeholders(english));
            // One accelerator where the English has one; none where it has none.
            EXPECT_EQ(Count(text, '&'), Count(english, '&'));
            // The status bar's leading blanks, a message's closing line break.
            EXPECT_EQ(Leading(text), Leading(english));
            EXPECT_EQ(Trailing(text), Trailing(english));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, CatalogueTest, ::testing::ValuesIn(Languages()),
                         [](const auto& info) { return info.param; });

TEST(Catalogues, TheTemplateHoldsEveryTextTheSourcesMarkForTranslation) {
    TempFolder work;
    const std::string fresh = work.Path() + "fresh.pot";
    const RunOutput run =
        RunToEnd({TARV_CMAKE, "-DSOURCE_DIR=" TARV_SOURCE_DIR, "-DOUTPUT=" + fresh,
                  "-DXGETTEXT=" TARV_XGETTEXT, "-DVERSION=" TARV_VERSION, "-P",
                  TARV_PO_DIR "MakeTemplate.cmake"});
    ASSERT_TRUE(run.status.Succeeded()) << run.text;
    std::set<std::string> fromSources, inTemplate;
    for (const Entry& entry : ReadCatalogue(fresh)) {
        fromSources.insert(entry.msgid);
    }
    for (const Entry& entry : ReadCatalogue(TARV_PO_DIR "tarvmediaconverter.pot")) {
        inTemplate.insert(entry.msgid);
    }
    // A text added to the sources but not to po/ yet: cmake --build BUILD --target update-po.
    EXPECT_EQ(inTemplate, fromSources);
}

TEST(Catalogues, EveryOptionListLabelAndWordIsInTheTemplate) {
    // The engine's texts are shown translated by the window and the command; the template
    // must carry each label and each item that is a word.
    std::set<std::string> inTemplate;
    for (const Entry& entry : ReadCatalogue(TARV_PO_DIR "tarvmediaconverter.pot")) {
        inTemplate.insert(entry.msgid);
    }
    for (const tarv::OptionListInfo& info : tarv::OptionLists()) {
        EXPECT_TRUE(inTemplate.count(std::string(info.label))) << info.label;
        for (int i = 0; i < tarv::ItemCountOf(info.list); ++i) {
            const std::string item(tarv::DisplayTextOf(info.list, i));
            // Numbers with units and codec names read alike in every language.
            const bool word = std::regex_search(item, std::regex("[a-z]{4,}")) &&
                              !std::regex_search(item, std::regex("kb[bp]s|Hz|FPS"));
            if (word) {
                EXPECT_TRUE(inTemplate.count(item)) << item;
            }
        }
    }
}
