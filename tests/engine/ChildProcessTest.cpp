// The child-process layer on this platform, with a real child: what it receives, how it ends,
// and how it is stopped.
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ToolSet.h"

using namespace tarv;

namespace {

std::string EchoPath() {
    return ProgramFolder() + ARGUMENT_ECHO_NAME;
}

std::string ReadAll(ChildProcess& child, int timeoutMs = -1) {
    std::string output;
    char chunk[ChildProcess::kMaxRead];
    while (const size_t count = child.Read(chunk, sizeof chunk, timeoutMs)) {
        output.append(chunk, count);
    }
    return output;
}

// The arguments the echo child reports, in order.
std::vector<std::string> Echoed(const std::string& output) {
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find(">\n", start);
        if (end == std::string::npos) {
            end = output.find(">\r\n", start);
        }
        if (output[start] != '<' || end == std::string::npos) {
            break;
        }
        arguments.push_back(output.substr(start + 1, end - start - 1));
        start = output.find('\n', end) + 1;
    }
    return arguments;
}

using Clock = std::chrono::steady_clock;

}  // namespace

TEST(ChildProcess, EveryArgumentArrivesExactlyAsGiven) {
    const Arguments arguments = {EchoPath(),
                                 "echo",
                                 "with space",
                                 "quote\"d",
                                 "\"whole\"",
                                 "trailing\\",
                                 "trailing two\\\\",
                                 "back\\\"slash",
                                 "C:\\My Videos\\",
                                 "",
                                 "-dash",
                                 "tab\there",
                                 "\xC3\xBCn\xC3\xAF c\xC3\xB6"
                                 "d\xC3\xA9 \xE5\x90\x8D\xE5\x89\x8D",
                                 "%PATH% ^& | < > $HOME *"};
    std::string error;
    auto child = ChildProcess::Launch(arguments, &error);
    ASSERT_TRUE(child) << error;
    const std::string output = ReadAll(*child);
    EXPECT_TRUE(child->Wait().Succeeded());
    EXPECT_EQ(Echoed(output), Arguments(arguments.begin() + 1, arguments.end())) << output;
}

TEST(ChildProcess, TheExitStatusIsTheChildsOwn) {
    auto failing = ChildProcess::Launch({EchoPath(), "exit", "3"}, nullptr);
    ASSERT_TRUE(failing);
    ReadAll(*failing);
    const ExitStatus status = failing->Wait();
    EXPECT_TRUE(status.exited);
    EXPECT_EQ(status.code, 3);
    EXPECT_FALSE(status.Succeeded());
    EXPECT_EQ(status.Describe(), "exit status 3");
    // Waiting again gives the same.
    EXPECT_EQ(failing->Wait().code, 3);

    auto fine = ChildProcess::Launch({EchoPath(), "exit", "0"}, nullptr);
    ASSERT_TRUE(fine);
    ReadAll(*fine);
    EXPECT_TRUE(fine->Wait().Succeeded());
}

TEST(ChildProcess, AProgramThatIsNotThereFailsWithTheSystemsReason) {
    std::string error;
    EXPECT_FALSE(ChildProcess::Launch({ProgramFolder() + "no-such-tool"}, &error));
    EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
    EXPECT_GT(error.size(), std::string("cannot start ").size() + 20) << error;
}

TEST(ChildProcess, OutputComesInChunksOfAtMostTheLimit) {
    auto child = ChildProcess::Launch({EchoPath(), "spam", "200"}, nullptr);
    ASSERT_TRUE(child);
    char chunk[4 * ChildProcess::kMaxRead];
    size_t total = 0;
    while (const size_t count = child->Read(chunk, sizeof chunk)) {
        EXPECT_LE(count, ChildProcess::kMaxRead);
        total += count;
    }
    EXPECT_GE(total, 200u * 100u);
    EXPECT_TRUE(child->Wait().Succeeded());
}

TEST(ChildProcess, TerminateFromAnotherThreadEndsABlockedReadAndTheChild) {
    auto child = ChildProcess::Launch({EchoPath(), "sleep", "60000"}, nullptr);
    ASSERT_TRUE(child);
    const auto started = Clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        child->Terminate();
        child->Terminate();  // a second request changes nothing
    });
    ReadAll(*child);
    stopper.join();
    const ExitStatus status = child->Wait();
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
    EXPECT_TRUE(child->TerminateRequested());
    EXPECT_FALSE(status.Succeeded());
    EXPECT_NE(status.Describe(), "exit status 0");
}

TEST(ChildProcess, AReadWithATimeLimitGivesUpAndEndsTheChild) {
    auto child = ChildProcess::Launch({EchoPath(), "sleep", "60000"}, nullptr);
    ASSERT_TRUE(child);
    const auto started = Clock::now();
    const std::string output = ReadAll(*child, 700);
    EXPECT_EQ(Echoed(output), (std::vector<std::string>{"sleep", "60000"}));
    EXPECT_FALSE(child->Wait().Succeeded());
    EXPECT_TRUE(child->TerminateRequested());
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
}

TEST(ChildProcess, DestroyingARunningChildEndsIt) {
    const auto started = Clock::now();
    {
        auto child = ChildProcess::Launch({EchoPath(), "sleep", "60000"}, nullptr);
        ASSERT_TRUE(child);
        char chunk[64];
        child->Read(chunk, sizeof chunk);
    }
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
}
