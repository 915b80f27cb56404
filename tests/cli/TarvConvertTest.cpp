// tarv-convert run as a user would run it, over the scriptable fake tools.
#include <gtest/gtest.h>
#include <signal.h>

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
              std::string::npos) << run.text;
    EXPECT_NE(run.text.find("[2/3] " + input.Path() + "gone.mp4: Failed: no such file\n"),
              std::string::npos) << run.text;
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
