// tarv-convert in the desktop's language: its help and messages come from the catalogue beside
// it, its JSON records stay as scripts read them, and a C locale keeps it English.
#include <gtest/gtest.h>

#include <cstdlib>

#include "RunToEnd.h"
#include "TempFolder.h"

namespace {

class CommandLanguageTest : public ::testing::Test {
protected:
    // Runs the command from the build's program folder with only the given variables set.
    RunOutput Run(std::vector<std::string> arguments,
                  std::vector<std::pair<const char*, const char*>> desktop) {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            unsetenv(name);
        }
        for (const auto& [name, value] : desktop) {
            setenv(name, value, 1);
        }
        arguments.insert(arguments.begin(), TARV_CONVERT_PATH);
        RunOutput run = RunToEnd(arguments, 20000);
        unsetenv("LANGUAGE");
        setenv("LC_ALL", "C.UTF-8", 1);
        return run;
    }

    static bool Has(const RunOutput& run, const std::string& text) {
        return run.text.find(text) != std::string::npos;
    }
};

}  // namespace

TEST_F(CommandLanguageTest, HelpIsSpanishOnASpanishDesktop) {
    // LANGUAGE alone, with no locale installed for it.
    const RunOutput run = Run({"--help"}, {{"LANGUAGE", "es"}});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_TRUE(Has(run, "Uso: tarv-convert [opciones] -o CARPETA ARCHIVO...\n")) << run.text;
    EXPECT_TRUE(Has(run, "Convierte archivos de vídeo en archivos 3GPP para teléfonos móviles."))
        << run.text;
    EXPECT_TRUE(Has(run, "\nOpciones:\n")) << run.text;
    EXPECT_TRUE(Has(run, "-o,--output CARPETA")) << run.text;
    EXPECT_TRUE(Has(run, "muestra la versión")) << run.text;
    EXPECT_TRUE(Has(run, "Estado de salida: 0 todos los archivos terminados")) << run.text;
    EXPECT_FALSE(Has(run, "print the version")) << run.text;
}

TEST_F(CommandLanguageTest, HelpColumnsLineUpByLettersNotBytes) {
    const RunOutput run = Run({"--help"}, {{"LANGUAGE", "ru"}});
    // "ПАПКА" is five letters in ten bytes; the help still starts in the thirtieth column.
    EXPECT_TRUE(Has(run, "\n  -o,--output ПАПКА           куда сохранять файлы .3gp")) << run.text;
    EXPECT_TRUE(Has(run, "\n  --progress ФОРМАТ           text (по умолчанию)")) << run.text;
}

TEST_F(CommandLanguageTest, TheDesktopsLocaleNamesTheLanguageToo) {
    const RunOutput run = Run({"--list-options"}, {{"LANG", "ru_RU.UTF-8"}});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_TRUE(Has(run, "--resolution  (Разрешение:)\n")) << run.text;
    EXPECT_TRUE(Has(run, "Как у исходного")) << run.text;
    EXPECT_TRUE(Has(run, "* отмечает начальный выбор")) << run.text;
}

TEST_F(CommandLanguageTest, MistakesAreToldInTheLanguageWithTheirValuesInPlace) {
    const RunOutput run = Run({"--jobs", "many", "-o", "/tmp", "a.mp4"}, {{"LANGUAGE", "de"}});
    EXPECT_EQ(run.status.code, 2);
    EXPECT_TRUE(Has(run, "Option --jobs erwartet eine Zahl von 0 bis 64, nicht „many“"))
        << run.text;
}

TEST_F(CommandLanguageTest, JsonRecordsStayTheSameInEveryLanguage) {
    TempFolder folder;
    const RunOutput run =
        Run({"--progress", "json", "-o", folder.Path(), folder.Path() + "gone.mp4"},
            {{"LANGUAGE", "fr"}});
    EXPECT_EQ(run.status.code, 1) << run.text;
    EXPECT_TRUE(Has(run, "\"event\":\"end\",\"status\":\"failed\"")) << run.text;
    // The reason is for a person, and speaks the language.
    EXPECT_TRUE(Has(run, "\"reason\":\"fichier introuvable\"")) << run.text;
}

TEST_F(CommandLanguageTest, ACLocaleOrEnglishFirstKeepsTheCommandEnglish) {
    for (const auto& desktop :
         {std::vector<std::pair<const char*, const char*>>{{"LANGUAGE", "es"}, {"LC_ALL", "C"}},
          {{"LANGUAGE", "en:es"}},
          {{"LANGUAGE", "it"}}}) {
        const RunOutput run = Run({"--help"}, desktop);
        EXPECT_TRUE(Has(run, "Usage: tarv-convert [options] -o FOLDER FILE...\n")) << run.text;
        EXPECT_TRUE(Has(run, "print the version")) << run.text;
    }
}
