// The window's texts in another language, read from the catalogues the build put in the
// program folder: the desktop's choice, the failure sentences, the batch lines.
#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/translation.h>

#include "BatchSummary.h"
#include "FailureTranslation.h"
#include "Translations.h"

using namespace tarv;

namespace {

class TranslationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wxInitialize(); }
    static void TearDownTestSuite() { wxUninitialize(); }
    void TearDown() override { UseDesktopLanguage(TARV_PROGRAM_DIR, {"", "C", "", ""}); }

    static wxString Use(const std::string& language) {
        return UseDesktopLanguage(TARV_PROGRAM_DIR, {language, "", "", ""});
    }
};

}  // namespace

TEST_F(TranslationTest, TheDesktopsFirstLanguageWithACatalogueIsChosen) {
    EXPECT_EQ(Use("it:de_AT:fr"), "de");
    EXPECT_EQ(_("Add file"), "Datei hinzufügen");
    EXPECT_EQ(Use("pt_BR"), "pt_BR");
    EXPECT_EQ(_("Add file"), "Adicionar arquivo");
    // A language without a catalogue, or English, leaves the texts as written.
    EXPECT_EQ(Use("ja"), "");
    EXPECT_EQ(_("Add file"), "Add file");
    EXPECT_EQ(UseDesktopLanguage(TARV_PROGRAM_DIR, {"de", "C", "", ""}), "");
    EXPECT_EQ(_("Add file"), "Add file");
}

TEST_F(TranslationTest, KnownFailureSentencesAreTranslatedWithTheirVaryingPartsKept) {
    Use("de");
    EXPECT_EQ(TranslatedFailure("The file holds no video or sound to convert."),
              "Die Datei enthält weder Bild noch Ton zum Konvertieren.");
    EXPECT_EQ(TranslatedFailure("Cannot write /tmp/out/clip.avi: No space left on device."),
              "/tmp/out/clip.avi kann nicht geschrieben werden: No space left on device.");
    EXPECT_EQ(TranslatedFailure("The encoder ended with exit status 3."),
              "Der Encoder endete mit Exit-Status 3.");
    // Numbered placeholders put the parts where the language wants them.
    EXPECT_EQ(TranslatedFailure("Cannot put h263 from /a/b.avi into a 3GPP file."),
              "h263 aus /a/b.avi passt in keine 3GPP-Datei.");
    Use("hi");
    EXPECT_EQ(TranslatedFailure("Cannot put h263 from /a/b.avi into a 3GPP file."),
              wxString::FromUTF8("/a/b.avi का h263 3GPP फ़ाइल में नहीं रखा जा सकता।"));
    // What no pattern knows stays as the tool said it.
    EXPECT_EQ(TranslatedFailure("Something else went wrong."), "Something else went wrong.");
}

TEST(FailurePatterns, MatchOnlyTheirOwnFormAndFillByOrderOrNumber) {
    std::vector<wxString> parts;
    EXPECT_TRUE(MatchPattern("Cannot write %s: %s.", "Cannot write /a: b: c.", &parts));
    EXPECT_EQ(parts, (std::vector<wxString>{"/a", "b: c"}));
    EXPECT_FALSE(MatchPattern("%s holds no video.", "/a holds no video frames.", &parts));
    EXPECT_FALSE(MatchPattern("Out of memory.", "Out of memory", &parts));
    EXPECT_EQ(FillPattern("%2$s, %1$s %s %% done", {"a", "b"}), "b, a a % done");
    // Every known sentence is a pattern the catalogue can hold.
    for (const char* pattern : FailurePatterns()) {
        EXPECT_TRUE(wxString(pattern).EndsWith(".")) << pattern;
    }
}

TEST_F(TranslationTest, BatchLinesTakeTheLanguagesPluralsAndPercentSign) {
    Use("ru");
    std::vector<FileProgress> files(5);
    for (FileProgress& file : files) {
        file.state = FileProgress::State::Done;
    }
    EXPECT_EQ(SummaryText(files, false), "Преобразовано 5 файлов");
    files.resize(2);
    EXPECT_EQ(SummaryText(files, false), "Преобразовано 2 файла");
    files.resize(1);
    EXPECT_EQ(SummaryText(files, false), "Преобразован 1 файл");
    Use("de");
    BatchEstimate estimate;
    estimate.fileNumber = 2;
    estimate.fileCount = 5;
    estimate.percent = 43;
    estimate.secondsLeft = 80;
    EXPECT_EQ(ProgressText(estimate),
              "Konvertiere 2 von 5 Dateien \u00b7 43 % \u00b7 noch etwa 1:20");
    Use("hi");
    EXPECT_EQ(ProgressText(estimate),
              "5 में से 2 फ़ाइल कन्वर्ट हो रही है \u00b7 43% \u00b7 लगभग 1:20 बाकी");
}
