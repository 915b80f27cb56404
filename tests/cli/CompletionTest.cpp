// The bash completion of tarv-convert, run in bash over the real command as Tab runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "OptionCatalogue.h"
#include "RunToEnd.h"
#include "TempFolder.h"

namespace {

// What the completion offers for a command line whose last word is being typed, sorted. The
// line is split as readline splits it: at blanks, with "=" a word of its own.
std::vector<std::string> Complete(const std::string& line, const std::string& folder = "/") {
    const char* script = R"(
        source /usr/share/bash-completion/bash_completion || exit 9
        source "$1" || exit 9
        cd "$2" || exit 9
        COMP_LINE=$3
        COMP_POINT=${#COMP_LINE}
        read -ra COMP_WORDS <<<"${COMP_LINE//=/ = }"
        [[ $COMP_LINE == *[\ =] ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _tarv_convert "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}"
    )";
    const RunOutput run =
        RunToEnd({"/bin/bash", "-c", script, "bash", TARV_COMPLETION_PATH, folder, line}, 20000);
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

const std::string kCommand = TARV_CONVERT_PATH;

bool Offers(const std::vector<std::string>& words, const std::string& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

}  // namespace

TEST(Completion, OffersTheOptionsTheCommandKnows) {
    EXPECT_EQ(Complete(kCommand + " --fo"), std::vector<std::string>{"--format"});
    const std::vector<std::string> all = Complete(kCommand + " -o out --");
    for (const char* option : {"--help", "--output", "--format", "--video-quality", "--resolution",
                               "--framerate", "--audio-quality", "--sample-rate", "--aspect",
                               "--jobs", "--progress", "--list-options", "--version"}) {
        EXPECT_TRUE(Offers(all, option)) << option;
    }
}

TEST(Completion, AfterAListOptionOffersItsPositions) {
    EXPECT_EQ(Complete(kCommand + " --format "), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(Complete(kCommand + " -o out --format="), (std::vector<std::string>{"0", "1", "2"}));
    // As many as the list has, the start selection's too.
    const std::vector<std::string> resolutions = Complete(kCommand + " --resolution ");
    EXPECT_EQ(resolutions.size(),
              static_cast<size_t>(tarv::ItemCountOf(tarv::OptionList::Resolution)));
    EXPECT_TRUE(Offers(resolutions, "4"));
    EXPECT_EQ(Complete(kCommand + " --resolution 1"),
              (std::vector<std::string>{"1", "10", "11", "12", "13", "14", "15", "16", "17", "18",
                                        "19"}));
    EXPECT_EQ(Complete(kCommand + " --progress "), (std::vector<std::string>{"json", "text"}));
}

TEST(Completion, OffersVideoFilesAndFoldersAndOnlyFoldersForTheOutput) {
    TempFolder folder;
    for (const char* name : {"a.mp4", "B.AVI", "c.vob", "notes.txt", "d.jpg"}) {
        folder.Touch(name);
    }
    std::filesystem::create_directory(folder.Path() + "sub");
    const std::vector<std::string> videos = {"B.AVI", "a.mp4", "c.vob", "sub"};
    EXPECT_EQ(Complete(kCommand + " -o out ", folder.Path()), videos);
    EXPECT_EQ(Complete(kCommand + " -o out a.mp4 ", folder.Path()), videos);
    EXPECT_EQ(Complete(kCommand + " -o ", folder.Path()), std::vector<std::string>{"sub"});
    // After the end of the options a word that looks like one is a file.
    folder.Touch("-odd.mp4");
    EXPECT_EQ(Complete(kCommand + " -o out -- -", folder.Path()),
              std::vector<std::string>{"-odd.mp4"});
}
