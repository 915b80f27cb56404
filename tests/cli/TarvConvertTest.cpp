// tarv-convert run as a user would run it, over the scriptable fake tools.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "ChildProcess.h"
#include "FakeTools.h"
#include "RunToEnd.h"

using namespace tarv;

namespace {

using CommandResult = RunOutput;

class TarvConvertTest : public ::testing::Test {
protected:
    TarvConvertTest() {
        program = tools.Install(TARV_CONVERT_PATH);
        tools.Script("tarv.patch3", "write ID_LENGTH=10.00\\r\\n\n");
        tools.Script("default", "touch\nwrite Pos: 5.0s 1f (50%) [0:0]\\r\n");
    }

    // Runs the command; with stopAfter, sends SIGINT once that text has been printed.
    CommandResult Convert(std::vector<std::string> arguments, const std::string& stopAfter = "") {
        arguments.insert(arguments.begin(), program);
        bool signalled = false;
        return RunToEnd(arguments, 20000, [&](ChildProcess& child, const std::string& text) {
            if (!stopAfter.empty() && !signalled && text.find(stopAfter) != std::string::npos) {
                kill(child.Id(), SIGINT);
                signalled = true;
            }
        });
    }

    FakeTools tools;
    TempFolder input;
    TempFolder output;
    std::string program;
};

}  // namespace

TEST_F(TarvConvertTest, ConvertsEveryFileAndSaysSo) {
    const std::string a = input.Touch("a clip.mp4");
    const std::string b = input.Touch("b.avi");
    const CommandResult run = Convert({"--format", "1", "-o", output.Path() + "new/folder", a, b});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_TRUE(run.status.exited);
    EXPECT_NE(run.text.find("[1/2] " + a + ": 0.0 MB, 00:00:10\n"), std::string::npos) << run.text;
    // 5 s of 10 s into the encode step is 45 % of the whole file.
    EXPECT_NE(run.text.find("[1/2] " + a + ": encoding 45%\n"), std::string::npos) << run.text;
    EXPECT_NE(run.text.find("[1/2] " + a + ": Done\n"), std::string::npos);
    EXPECT_NE(run.text.find("[2/2] " + b + ": Done\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(output.Path() + "new/folder/a clip.3gp"));
    EXPECT_TRUE(std::filesystem::exists(output.Path() + "new/folder/b.3gp"));
    // The x264 family was asked for.
    const auto calls = tools.Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[2][0], tools.Folder() + "tarv.patch4");
    EXPECT_NE(std::find(calls[2].begin(), calls[2].end(), "x264"), calls[2].end());
}

TEST_F(TarvConvertTest, AFailedOrMissingFileGivesStatusOneAndTheRestStillConverts) {
    tools.Script("3", "write error: input has no video\\n\nexit 1\n");  // a's encode step
    const std::string a = input.Touch("a.mp4");
    const std::string b = input.Touch("b.mp4");
    const CommandResult run = Convert({"-o", output.Path(), a, input.Path() + "gone.mp4", b});
    EXPECT_EQ(run.status.code, 1) << run.text;
    EXPECT_NE(run.text.find("[1/3] " + a + ": Failed: error: input has no video\n"),
              std::string::npos)
        << run.text;
    EXPECT_NE(run.text.find("[2/3] " + input.Path() + "gone.mp4: Failed: no such file\n"),
              std::string::npos)
        << run.text;
    EXPECT_NE(run.text.find("[3/3] " + b + ": Done\n"), std::string::npos) << run.text;
    EXPECT_FALSE(std::filesystem::exists(output.Path() + "a.avi"));
}

TEST_F(TarvConvertTest, CtrlCStopsTheBatchAndLeavesNoToolRunning) {
    tools.Script("2", "pid\ntouch\nwrite Pos: 1.0s 1f (5%) [0:0]\\r\nsleep 60000\n");
    const std::string a = input.Touch("a.mp4");
    const std::string b = input.Touch("b.mp4");
    const CommandResult run = Convert({"-o", output.Path(), a, b}, "encoding");
    EXPECT_EQ(run.status.code, 130) << run.text;
    EXPECT_NE(run.text.find("[1/2] " + a + ": Abort\n"), std::string::npos) << run.text;
    EXPECT_EQ(run.text.find("[2/2] " + b + ": encoding"), std::string::npos);
    EXPECT_FALSE(tools.RunIsAlive(2));
    EXPECT_TRUE(std::filesystem::exists(output.Path() + "a.avi"));  // a stopped file keeps its work
}

TEST_F(TarvConvertTest, BadArgumentsGiveStatusTwoAndTheUsage) {
    const CommandResult run = Convert({"--format", "9", "-o", output.Path(), "a.mp4"});
    EXPECT_EQ(run.status.code, 2);
    EXPECT_NE(run.text.find("Usage: tarv-convert"), std::string::npos);
    EXPECT_TRUE(tools.Calls().empty());
}

namespace {

// Runs a command as an unprivileged user: as nobody through setpriv where the test runs as root,
// as the test's own user otherwise. Empty when that cannot be done.
std::vector<std::string> Unprivileged(std::vector<std::string> command) {
    if (geteuid() != 0) {
        return command;
    }
    if (access("/usr/bin/setpriv", X_OK) != 0) {
        return {};
    }
    command.insert(command.begin(),
                   {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
    return command;
}

// CPU time a process has used so far, in clock ticks.
long CpuTicksOf(int pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i >= 14)
            ticks += std::stol(field);
    }
    return ticks;
}

bool WaitUntilGone(const FakeTools& tools, int run) {
    for (int i = 0; i < 100 && tools.RunIsAlive(run); ++i) {
        usleep(50000);
    }
    return !tools.RunIsAlive(run);
}

}  // namespace

TEST_F(TarvConvertTest, AFolderThatCannotBeSearchedIsRefusedWithTheSystemsReason) {
    const std::string a = input.Touch("a.mp4");
    const std::string closed = output.Path() + "closed";
    std::filesystem::create_directory(closed);
    chmod(closed.c_str(), 0666);  // readable and writable, but not searchable
    for (const std::string& folder : {tools.Folder(), input.Path(), output.Path()}) {
        chmod(folder.c_str(), 0777);
    }
    const std::vector<std::string> command = Unprivileged({program, "-o", closed, a});
    if (command.empty()) {
        GTEST_SKIP() << "needs setpriv to run as an unprivileged user";
    }
    const CommandResult run = RunToEnd(command, 20000);
    // Refused before anything is probed, as the window refuses it.
    EXPECT_EQ(run.status.code, 2) << run.text;
    EXPECT_NE(run.text.find("cannot use the output folder " + closed + ": Permission denied\n"),
              std::string::npos)
        << run.text;
    EXPECT_EQ(tools.Calls().size(), 0u);
}

TEST_F(TarvConvertTest, BadPathsFailTheirFileOrRefuseTheFolderInsteadOfCrashing) {
    const std::string a = input.Touch("a.mp4");
    const std::string b = input.Touch("b.mp4");
    CommandResult run = Convert({"-o", output.Path(), a, "", input.Path(), b});
    EXPECT_EQ(run.status.code, 1) << run.text;
    EXPECT_NE(run.text.find("[2/4] \"\": Failed: the file name is empty\n"), std::string::npos)
        << run.text;
    EXPECT_NE(run.text.find("[3/4] " + input.Path() + ": Failed: it is a folder, not a file\n"),
              std::string::npos)
        << run.text;
    EXPECT_NE(run.text.find("[4/4] " + b + ": Done\n"), std::string::npos) << run.text;

    run = Convert({"-o", output.Path() + std::string(300, 'o'), a});
    EXPECT_EQ(run.status.code, 2) << run.text;
    EXPECT_NE(run.text.find("File name too long"), std::string::npos) << run.text;

    // Folders under a folder the user may not enter, as input and as output.
    const std::string locked = output.Path() + "locked";
    std::filesystem::create_directory(locked);
    std::ofstream(locked + "/c.mp4") << "x";
    chmod(locked.c_str(), 0700);
    for (const std::string& folder : {tools.Folder(), input.Path(), output.Path()}) {
        chmod(folder.c_str(), 0777);
    }
    const auto command = Unprivileged({program, "-o", output.Path() + "out", locked + "/c.mp4"});
    if (command.empty()) {
        GTEST_SKIP() << "needs setpriv to run as an unprivileged user";
    }
    run = RunToEnd(command, 20000);
    EXPECT_EQ(run.status.code, 1) << run.text;
    EXPECT_NE(run.text.find("[1/1] " + locked + "/c.mp4: Failed: Permission denied\n"),
              std::string::npos)
        << run.text;
    run = RunToEnd(Unprivileged({program, "-o", locked + "/out", a}), 20000);
    EXPECT_EQ(run.status.code, 2) << run.text;
    EXPECT_NE(run.text.find("cannot use the output folder " + locked + "/out: Permission denied"),
              std::string::npos)
        << run.text;
}

TEST_F(TarvConvertTest, AClosedTerminalOrReaderStopsTheBatchAndItsTool) {
    // The encoder keeps reporting, so the command keeps writing to its reader.
    std::string encode = "pid\n";
    for (int second = 1; second < 10; ++second) {
        encode += "write Pos: " + std::to_string(second) + ".0s 1f (5%) [0:0]\\r\nsleep 200\n";
    }
    tools.Script("1", encode + "sleep 60000\ntouch\n");  // run 0 is the probe
    const std::string a = input.Touch("a.mp4");

    // The reader goes away after two lines, as "| head -2" does.
    const CommandResult piped = RunToEnd(
        {"/bin/bash", "-c",
         "\"$0\" -o \"$1\" \"$2\" | head -n 2 >/dev/null; echo \"status=${PIPESTATUS[0]}\"",
         program, output.Path(), a},
        20000);
    EXPECT_NE(piped.text.find("status=130"), std::string::npos) << piped.text;
    EXPECT_TRUE(WaitUntilGone(tools, 1));
    EXPECT_TRUE(output.Entries().empty());

    // The terminal closes.
    tools.Script("3", encode + "sleep 60000\ntouch\n");
    const CommandResult hungUp = RunToEnd({program, "-o", output.Path(), a}, 20000,
                                          [&](ChildProcess& child, const std::string& text) {
                                              if (text.find("encoding") != std::string::npos)
                                                  kill(child.Id(), SIGHUP);
                                          });
    EXPECT_EQ(hungUp.status.code, 130) << hungUp.text;
    EXPECT_NE(hungUp.text.find(": Abort\n"), std::string::npos) << hungUp.text;
    EXPECT_TRUE(WaitUntilGone(tools, 3));
    EXPECT_TRUE(output.Entries().empty());
}

TEST_F(TarvConvertTest, KillingTheCommandEndsItsToolAndTheNextRunReusesTheName) {
    tools.Script("1", "pid\nwrite Pos: 1.0s 1f (5%) [0:0]\\r\nsleep 60000\ntouch\n");
    const std::string a = input.Touch("a.mp4");
    const CommandResult killed = RunToEnd({program, "-o", output.Path(), a}, 20000,
                                          [&](ChildProcess& child, const std::string& text) {
                                              if (text.find("encoding") != std::string::npos)
                                                  kill(child.Id(), SIGKILL);
                                          });
    EXPECT_EQ(killed.status.code, SIGKILL);
    EXPECT_TRUE(WaitUntilGone(tools, 1));
    // Only the hidden marker of its claim is left, and a later run takes the name over.
    EXPECT_EQ(output.Entries(), std::vector<std::string>{".a.tarvclaim"});
    const CommandResult again = Convert({"-o", output.Path(), a});
    EXPECT_EQ(again.status.code, 0) << again.text;
    EXPECT_EQ(output.Entries(), std::vector<std::string>{"a.3gp"});
}

TEST_F(TarvConvertTest, CtrlCWhileProbingEndsAtOnce) {
    tools.Script("tarv.patch3", "write ID_LENGTH=10.00\\r\\n\nsleep 100\n");
    std::vector<std::string> arguments = {"-o", output.Path()};
    for (int i = 0; i < 150; ++i) {
        arguments.push_back(input.Touch("f" + std::to_string(i) + ".mp4"));
    }
    const CommandResult run = Convert(arguments, "[1/150]");
    EXPECT_EQ(run.status.code, 130) << run.text;
    size_t probed = 0;
    for (size_t at = run.text.find(" MB, "); at != std::string::npos;
         at = run.text.find(" MB, ", at + 1)) {
        ++probed;
    }
    EXPECT_LT(probed, 10u) << run.text;
    EXPECT_EQ(run.text.find("encoding"), std::string::npos);
}

TEST_F(TarvConvertTest, ASecondCtrlCWhileStoppingLeavesTheCommandIdle) {
    // A tool that ignores the stop keeps the command waiting until it is killed, 2 s later.
    tools.Script("1", "pid\nignore-term\nwrite Pos: 1.0s 1f (5%) [0:0]\\r\nsleep 60000\n");
    const std::string a = input.Touch("a.mp4");
    std::string error;
    auto child = ChildProcess::Launch({program, "-o", output.Path(), a}, &error);
    ASSERT_TRUE(child) << error;
    std::string text;
    char chunk[ChildProcess::kMaxRead];
    while (text.find("encoding") == std::string::npos) {
        const size_t count = child->Read(chunk, sizeof chunk, 20000);
        ASSERT_GT(count, 0u) << text;
        text.append(chunk, count);
    }
    kill(child->Id(), SIGINT);
    usleep(200000);
    kill(child->Id(), SIGINT);
    const long before = CpuTicksOf(child->Id());
    usleep(1000000);
    const long used = CpuTicksOf(child->Id()) - before;
    while (const size_t count = child->Read(chunk, sizeof chunk, 20000)) {
        text.append(chunk, count);
    }
    EXPECT_EQ(child->Wait().code, 130) << text;
    EXPECT_LT(used, sysconf(_SC_CLK_TCK) / 4) << "ticks of CPU while waiting: " << used;
    EXPECT_FALSE(tools.RunIsAlive(1));
}

TEST_F(TarvConvertTest, ALineBreakInAFileNameStaysOnItsLine) {
    const std::string odd = input.Touch("two\nlines.mp4");
    const CommandResult run = Convert({"-o", output.Path(), odd});
    EXPECT_EQ(run.status.code, 0) << run.text;
    EXPECT_NE(run.text.find("[1/1] \"" + input.Path() + "two\\nlines.mp4\": Done\n"),
              std::string::npos)
        << run.text;
}

TEST_F(TarvConvertTest, TwoSourcesNamedAtTheSystemsLimitBothConvertUnderNamesThatFit) {
    // No extension: the file's whole 255-byte name is its title, too long for "title.avi".
    const std::string name(255, 'm');
    TempFolder other;
    const std::string a = input.Touch(name);
    const std::string b = other.Touch(name);
    const CommandResult run = Convert({"-o", output.Path(), a, b});
    EXPECT_EQ(run.status.code, 0) << run.text;
    const std::vector<std::string> made = output.Entries();
    ASSERT_EQ(made.size(), 2u) << run.text;
    for (const std::string& file : made) {
        EXPECT_TRUE(file.starts_with("mmmm") && file.ends_with(".3gp")) << file;
        EXPECT_LE(file.size(), 255u);
    }
}

TEST_F(TarvConvertTest, CtrlCStopsEveryFileRunningAtOnceAndLeavesNoTool) {
    // Runs 0 and 1 are the probes, 2 and 3 the two encodes running side by side.
    for (const char* run : {"2", "3"}) {
        tools.Script(run, "pid\nwrite Pos: 1.0s 1f (5%) [0:0]\\r\nsleep 60000\ntouch\n");
    }
    const std::string a = input.Touch("a.mp4");
    const std::string b = input.Touch("b.mp4");
    bool signalled = false;
    const CommandResult run = RunToEnd(
        {program, "--jobs", "2", "-o", output.Path(), a, b}, 20000,
        [&](ChildProcess& child, const std::string& text) {
            if (!signalled && text.find("[1/2] " + a + ": encoding") != std::string::npos &&
                text.find("[2/2] " + b + ": encoding") != std::string::npos) {
                kill(child.Id(), SIGINT);
                signalled = true;
            }
        });
    EXPECT_TRUE(signalled) << run.text;
    EXPECT_EQ(run.status.code, 130) << run.text;
    EXPECT_NE(run.text.find("[1/2] " + a + ": Abort\n"), std::string::npos) << run.text;
    EXPECT_NE(run.text.find("[2/2] " + b + ": Abort\n"), std::string::npos) << run.text;
    EXPECT_FALSE(tools.RunIsAlive(2));
    EXPECT_FALSE(tools.RunIsAlive(3));
    EXPECT_TRUE(output.Entries().empty());
}

TEST_F(TarvConvertTest, JsonProgressGivesOneParsableRecordPerLineAndOneEndPerFile) {
    // Run 4 is a step of a or of b, whichever lane comes to it first.
    tools.Script("4", "write error: input has no video\\n\nexit 1\n");
    const std::string a = input.Touch("a.mp4");
    const std::string b = input.Touch("b.mp4");
    const CommandResult run = Convert(
        {"--progress=json", "--jobs", "2", "-o", output.Path(), a, input.Path() + "gone.mp4", b});
    EXPECT_EQ(run.status.code, 1) << run.text;
    std::map<int, std::string> ends;
    std::istringstream lines(run.text);
    std::string line;
    while (std::getline(lines, line)) {
        const nlohmann::json record = nlohmann::json::parse(line);  // every line is JSON
        const int file = record.at("file");
        EXPECT_EQ(ends.count(file), 0u) << "a record after file " << file << "'s end: " << line;
        EXPECT_EQ(record.at("files"), 3);
        if (record.at("event") == "end")
            ends[file] = record.at("status");
        if (record.at("event") == "progress") {
            EXPECT_GE(record.at("percent").get<int>(), 0);
            EXPECT_LE(record.at("percent").get<int>(), 100);
        }
    }
    ASSERT_EQ(ends.size(), 3u) << run.text;
    EXPECT_EQ(ends[2], "failed");
    EXPECT_EQ(std::set<std::string>({ends[1], ends[3]}), (std::set<std::string>{"done", "failed"}))
        << run.text;
}

TEST_F(TarvConvertTest, ANameThatIsNotUtf8IsConvertedAndItsJsonRecordsCarryU_FFFD) {
    // "café" as Latin-1 writes it: the é is a byte that cannot stand alone in UTF-8.
    const std::string latin1 = input.Touch("caf\xe9.mp4");
    const CommandResult run = Convert({"--progress=json", "-o", output.Path(), latin1});
    EXPECT_EQ(run.status.code, 0) << run.text;
    std::istringstream lines(run.text);
    std::string line;
    std::vector<nlohmann::json> records;
    while (std::getline(lines, line)) {
        records.push_back(nlohmann::json::parse(line));  // throws on text that is not UTF-8
    }
    ASSERT_FALSE(records.empty());
    for (const nlohmann::json& record : records) {
        EXPECT_EQ(record.at("source"), input.Path() + "caf\xef\xbf\xbd.mp4");
    }
    EXPECT_EQ(records.back().at("status"), "done");
    // Only the record is changed: the file was read and written under its own bytes.
    EXPECT_EQ(output.Entries(), std::vector<std::string>{"caf\xe9.3gp"});
}

TEST_F(TarvConvertTest, VersionAndHelpAnswerWithoutConverting) {
    CommandResult run = Convert({"--version"});
    EXPECT_EQ(run.status.code, 0);
    EXPECT_EQ(run.text, "tarv-convert " TARV_VERSION "\n");
    // Neither needs an output folder or files, wherever it stands.
    run = Convert({input.Touch("a.mp4"), "--help"});
    EXPECT_EQ(run.status.code, 0);
    EXPECT_EQ(run.text.rfind("Usage: tarv-convert [options] -o FOLDER FILE...\n", 0), 0u)
        << run.text;
    EXPECT_TRUE(tools.Calls().empty());
    EXPECT_TRUE(output.Entries().empty());
}
