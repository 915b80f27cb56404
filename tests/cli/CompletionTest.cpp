// The shell completions of tarv-convert, run in bash and in zsh over the real command as Tab
// runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "OptionCatalogue.h"
#include "RunToEnd.h"
#include "TempFolder.h"

namespace {

enum class Shell { Bash, Zsh };

const std::string kCommandFolder = std::filesystem::path(TARV_CONVERT_PATH).parent_path();

// bash's completion function called as bash calls it, with the line split as readline splits
// it: at blanks, with "=" a word of its own.
RunOutput CompleteInBash(const std::string& line, const std::string& folder) {
    const char* script = R"(
        source /usr/share/bash-completion/bash_completion || exit 9
        source "$1/tarv-convert" || exit 9
        PATH=$2:$PATH
        cd "$3" || exit 9
        COMP_LINE=$4
        COMP_POINT=${#COMP_LINE}
        read -ra COMP_WORDS <<<"${COMP_LINE//=/ = }"
        [[ $COMP_LINE == *[\ =] ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _tarv_convert "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}"
    )";
    return RunToEnd(
        {"/bin/bash", "-c", script, "bash", TARV_COMPLETION_DIR, kCommandFolder, folder, line},
        20000);
}

// What the completion offers for a command line whose last word is being typed, sorted.
std::vector<std::string> Complete(Shell shell, const std::string& line,
                                  const std::string& folder = "/") {
    const RunOutput run = shell == Shell::Bash
                              ? CompleteInBash(line, folder)
                              : RunToEnd({"/usr/bin/zsh", "-f", TARV_ZSH_DRIVER,
                                          TARV_COMPLETION_DIR, kCommandFolder, folder, line},
                                         60000);
    EXPECT_EQ(run.status.code, 0) << run.text;
    std::vector<std::string> words;
    std::istringstream lines(run.text);
    for (std::string word; std::getline(lines, word);) {
        if (!word.empty())
            words.push_back(word);
    }
    std::sort(words.begin(), words.end());
    return words;
}

bool Offers(const std::vector<std::string>& words, const std::string& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

class Completion : public ::testing::TestWithParam<Shell> {};

}  // namespace

TEST_P(Completion, OffersTheOptionsTheCommandKnows) {
    EXPECT_EQ(Complete(GetParam(), "tarv-convert --fo"), std::vector<std::string>{"--format"});
    const std::vector<std::string> all = Complete(GetParam(), "tarv-convert --");
    for (const char* option :
         {"--help", "--output", "--format", "--video-quality", "--resolution", "--framerate",
          "--audio-quality", "--sample-rate", "--aspect", "--max-size", "--jobs", "--progress",
          "--list-options", "--version"}) {
        EXPECT_TRUE(Offers(all, option)) << option;
    }
}

TEST_P(Completion, AfterAListOptionOffersItsPositions) {
    const std::vector<std::string> formats = {"0", "1", "2"};
    EXPECT_EQ(Complete(GetParam(), "tarv-convert --format "), formats);
    EXPECT_EQ(Complete(GetParam(), "tarv-convert -o out --format="), formats);
    // As many as the list has, the start selection's too.
    const std::vector<std::string> resolutions = Complete(GetParam(), "tarv-convert --resolution ");
    EXPECT_EQ(resolutions.size(),
              static_cast<size_t>(tarv::ItemCountOf(tarv::OptionList::Resolution)));
    EXPECT_TRUE(Offers(resolutions, "4"));
    EXPECT_EQ(Complete(GetParam(), "tarv-convert --resolution 1"),
              (std::vector<std::string>{"1", "10", "11", "12", "13", "14", "15", "16", "17", "18",
                                        "19"}));
    EXPECT_EQ(Complete(GetParam(), "tarv-convert --progress "),
              (std::vector<std::string>{"json", "text"}));
    // The size limit offers its items as the sizes to type.
    std::vector<std::string> sizes = Complete(GetParam(), "tarv-convert --max-size ");
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<std::string>{"0", "16M", "1M", "3.5M", "300K", "600K"}));
}

TEST_P(Completion, OffersVideoFilesAndFoldersAndOnlyFoldersForTheOutput) {
    TempFolder folder;
    for (const char* name : {"a.mp4", "B.AVI", "c.vob", "notes.txt", "d.jpg"}) {
        folder.Touch(name);
    }
    std::filesystem::create_directory(folder.Path() + "sub");
    const std::vector<std::string> videos = {"B.AVI", "a.mp4", "c.vob", "sub"};
    EXPECT_EQ(Complete(GetParam(), "tarv-convert -o out ", folder.Path()), videos);
    EXPECT_EQ(Complete(GetParam(), "tarv-convert -o out a.mp4 ", folder.Path()), videos);
    EXPECT_EQ(Complete(GetParam(), "tarv-convert -o ", folder.Path()),
              std::vector<std::string>{"sub"});
    // After the end of the options a word that looks like one is a file.
    folder.Touch("-odd.mp4");
    EXPECT_EQ(Complete(GetParam(), "tarv-convert -o out -- -", folder.Path()),
              std::vector<std::string>{"-odd.mp4"});
}

INSTANTIATE_TEST_SUITE_P(Shells, Completion, ::testing::Values(Shell::Bash, Shell::Zsh),
                         [](const auto& info) {
                             return info.param == Shell::Bash ? std::string("Bash")
                                                              : std::string("Zsh");
                         });
