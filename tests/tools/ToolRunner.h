// Runs a program with an argument vector (never through a shell) and collects its exit
// status and output, with a time limit so a hanging tool fails its test instead of the run.
#pragma once

#include <string>
#include <vector>

namespace tarv::tools::test {

struct RunOptions {
    std::string workingFolder;  // empty: the test's own
    long fileSizeLimit = -1;    // bytes a file may grow to; -1 for no limit
    int timeoutSeconds = 120;
};

struct RunResult {
    int exitCode = -1;  // -1 when the program was killed by a signal or the time limit
    bool timedOut = false;
    int signal = 0;
    std::string out;
    std::string err;
};

RunResult RunProgram(const std::vector<std::string>& argv, const RunOptions& options = {});

// A tool in the program folder, by its number: "tarv.patch3" and so on.
std::string ToolPath(int number);

}  // namespace tarv::tools::test
