// The window program itself, started as a user starts it: one copy per user, a clean end when
// the desktop asks it to quit, and the desktop's language from its first window on.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <thread>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "WindowTitle.h"

using namespace tarv;

namespace {

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Alive and not merely waiting to be reaped.
bool Running(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The copies share this user's home, settings and runtime folder, and nothing else's.
        setenv("HOME", home.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.Path() + "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        // English, whatever a test before this one chose.
        unsetenv("LANGUAGE");
        setenv("LC_ALL", "C.UTF-8", 1);
    }

    std::unique_ptr<ChildProcess> Start() {
        std::string error;
        auto child = ChildProcess::Launch({TARV_PROGRAM_DIR "TarvMediaConverter"}, &error);
        EXPECT_TRUE(child) << error;
        return child;
    }

    // The first copy listens once its window is up.
    bool Listening() const {
        return std::filesystem::exists(runtime.Path() + "tarvmediaconverter.socket");
    }

    std::string Settings() const {
        std::ifstream file(home.Path() + "config/TarvMediaConverter/TarvMediaConverter.conf");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    TempFolder home;
    TempFolder runtime;
};

TEST_F(ProgramTest, ASecondStartHandsOverToTheFirstAndEndsOnItsOwn) {
    auto first = Start();
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitFor([&] { return Listening(); }, 20000));

    auto second = Start();
    ASSERT_TRUE(second);
    bool ended = false;
    std::thread waiter([&] {
        const ExitStatus status = second->Wait();
        EXPECT_TRUE(status.Succeeded()) << status.Describe();
        ended = true;
    });
    EXPECT_TRUE(WaitFor([&] { return ended; }, 20000));
    if (!ended)
        second->Terminate();
    waiter.join();
    EXPECT_TRUE(Running(first->Id())) << "the first copy must still run";

    // Asked to quit, the first copy closes as its close box would: the folder is kept.
    kill(first->Id(), SIGTERM);
    const ExitStatus status = first->Wait();
    EXPECT_TRUE(status.Succeeded()) << status.Describe();
    EXPECT_NE(Settings().find("OutputFolder=" + home.Path() + "TarvSoft Video to 3GP Converter/"),
              std::string::npos)
        << Settings();
    // The default folder was made at start.
    EXPECT_TRUE(std::filesystem::is_directory(home.Path() + "TarvSoft Video to 3GP Converter"));

    // With the first copy gone, a new start is a first copy again.
    auto again = Start();
    ASSERT_TRUE(again);
    EXPECT_TRUE(WaitFor([&] { return Listening(); }, 20000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(Running(again->Id()));
    kill(again->Id(), SIGTERM);
    EXPECT_TRUE(again->Wait().Succeeded());
}

TEST_F(ProgramTest, AGermanDesktopGetsAGermanWindowAndAnEnglishOneTheTitleAsWritten) {
    // LANGUAGE alone, as on a desktop whose German locale is not installed.
    setenv("LANGUAGE", "de", 1);
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        unsetenv(name);
    }
    auto german = Start();
    ASSERT_TRUE(german);
    std::string title;
    // Its window is up once it listens for a second start.
    ASSERT_TRUE(WaitFor([&] { return Listening(); }, 20000));
    EXPECT_TRUE(WaitFor([&] { return !(title = WindowTitleOf(german->Id())).empty(); }, 20000));
    EXPECT_EQ(title, "TarvSoft Video-zu-3GP-Konverter");
    kill(german->Id(), SIGTERM);
    EXPECT_TRUE(german->Wait().Succeeded());

    // The C locale keeps the texts as written, as gettext ignores LANGUAGE there.
    setenv("LC_ALL", "C", 1);
    auto english = Start();
    ASSERT_TRUE(english);
    // Its window is up once it listens for a second start.
    ASSERT_TRUE(WaitFor([&] { return Listening(); }, 20000));
    EXPECT_TRUE(WaitFor([&] { return !(title = WindowTitleOf(english->Id())).empty(); }, 20000));
    EXPECT_EQ(title, "TarvSoft Video to 3GP Converter");
    kill(english->Id(), SIGTERM);
    EXPECT_TRUE(english->Wait().Succeeded());
}

}  // namespace
