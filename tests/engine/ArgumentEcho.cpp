// A child for the process layer's tests, on every platform. It writes each argument it was
// given after its name as "<" ARGUMENT ">" on a line of its own, exactly as it arrived, then
// does what its first argument says:
//   echo          nothing more; ends with status 0
//   exit N        ends with status N
//   sleep MS      waits that long, then ends with status 0
//   spam N        writes N lines of 100 bytes, then ends with status 0
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "ProgramArguments.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = tarv::ProgramArguments(argc, argv);
    for (const std::string& argument : arguments) {
        std::printf("<%s>\n", argument.c_str());
    }
    std::fflush(stdout);
    const std::string verb = arguments.empty() ? "echo" : arguments[0];
    const int number = arguments.size() > 1 ? std::atoi(arguments[1].c_str()) : 0;
    if (verb == "exit") {
        return number;
    }
    if (verb == "sleep") {
        std::this_thread::sleep_for(std::chrono::milliseconds(number));
    } else if (verb == "spam") {
        const std::string line(99, 'x');
        for (int i = 0; i < number; ++i) {
            std::printf("%s\n", line.c_str());
        }
    }
    return 0;
}
