#include "OutputClaim.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"

using namespace tarv;

namespace {

ClaimTry Claim(const std::string& base, std::unique_ptr<OutputClaim>* claim) {
    return OutputClaim::TryClaim(base, "m4v", claim);
}

std::vector<std::string> Entries(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Read(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

TEST(OutputClaim, ANameHeldByAnotherRunIsTakenUntilItIsLetGo) {
    TempFolder folder;
    const std::string base = folder.Path() + "clip";
    std::unique_ptr<OutputClaim> first, second;
    ASSERT_EQ(Claim(base, &first).result, ClaimTry::Result::Claimed);
    // The hold is a hidden marker: none of the four names exists yet.
    EXPECT_EQ(Entries(folder), std::vector<std::string>{".clip.tarvclaim"});
    EXPECT_EQ(Claim(base, &second).result, ClaimTry::Result::Taken);
    EXPECT_EQ(second, nullptr);

    first.reset();
    EXPECT_TRUE(Entries(folder).empty());
    EXPECT_EQ(Claim(base, &second).result, ClaimTry::Result::Claimed);
}

TEST(OutputClaim, AMarkerLeftByARunThatDiedIsTakenOverButNoOtherFile) {
    TempFolder folder;
    const std::string base = folder.Path() + "clip";
    // A run that dies holding the name: its marker stays, its lock goes with it.
    const pid_t run = fork();
    if (run == 0) {
        std::unique_ptr<OutputClaim> claim;
        Claim(base, &claim);
        _exit(claim ? 0 : 1);  // no destructors: as if killed
    }
    int status = 0;
    waitpid(run, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(Entries(folder), std::vector<std::string>{".clip.tarvclaim"});
    std::unique_ptr<OutputClaim> claim;
    EXPECT_EQ(Claim(base, &claim).result, ClaimTry::Result::Claimed);
    claim.reset();
    EXPECT_TRUE(Entries(folder).empty());

    // A file of the user's that only has a marker's name is no marker: the name stays taken
    // and the file is never touched.
    folder.Touch(".clip.tarvclaim", "my notes");
    EXPECT_EQ(Claim(base, &claim).result, ClaimTry::Result::Taken);
    EXPECT_EQ(Read(folder.Path() + ".clip.tarvclaim"), "my notes");
}

TEST(OutputClaim, ADanglingLinkTakesTheName) {
    TempFolder folder;
    const std::string link = folder.Path() + "clip.3gp";
    ASSERT_EQ(symlink((folder.Path() + "nowhere").c_str(), link.c_str()), 0);
    std::unique_ptr<OutputClaim> claim;
    EXPECT_EQ(Claim(folder.Path() + "clip", &claim).result, ClaimTry::Result::Taken);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"clip.3gp"});
}

TEST(OutputClaim, NamesThatCannotBeToldAboutFailWithTheSystemsReason) {
    TempFolder folder;
    std::unique_ptr<OutputClaim> claim;
    // The output "folder" is a file.
    const std::string file = folder.Touch("file");
    const ClaimTry notFolder = Claim(file + "/clip", &claim);
    EXPECT_EQ(notFolder.result, ClaimTry::Result::Failed);
    EXPECT_EQ(notFolder.error, "cannot create files in " + file + "/: Not a directory");
    // A title too long for its four names, though its marker is fitted to the limit.
    const ClaimTry tooLong = Claim(folder.Path() + std::string(253, 'x'), &claim);
    EXPECT_EQ(tooLong.result, ClaimTry::Result::Failed);
    EXPECT_NE(tooLong.error.find("File name too long"), std::string::npos) << tooLong.error;
    EXPECT_TRUE(Entries(folder) == std::vector<std::string>{"file"});
}

TEST(OutputClaim, OnlyWhatTheBatchMadeAndLeftAsItWasIsRemoved) {
    TempFolder folder;
    std::unique_ptr<OutputClaim> claim;
    ASSERT_EQ(Claim(folder.Path() + "clip", &claim).result, ClaimTry::Result::Claimed);
    EXPECT_EQ(claim->Intrusion(), "");
    folder.Touch("clip.avi", "made by the encode step");
    claim->RecordMade(folder.Path() + "clip.avi");
    folder.Touch("clip.m4v", "made by the raw video step");
    claim->RecordMade(folder.Path() + "clip.m4v");
    EXPECT_EQ(claim->Intrusion(), "");

    // Someone writes over one of our files and puts one of theirs at a name we hold.
    folder.Touch("clip.m4v", "the user's own words, longer than ours");
    EXPECT_EQ(
        claim->Intrusion(),
        folder.Path() + "clip.m4v was changed or removed by another program; it was left as it is");
    folder.Touch("clip.3gp", "the user's own video");
    claim->RemoveMade(OutputClaim::Made::All);
    claim.reset();
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"clip.3gp", "clip.m4v"}));
    EXPECT_EQ(Read(folder.Path() + "clip.3gp"), "the user's own video");
}
