// Stands in for the conversion tools in the worker's and probe's tests. Each run logs its
// arguments to calls.log beside it and then follows script.N (N = how many runs came before
// it), else script.<its own file name>, else script.default, from the same folder. Script lines:
//   write TEXT       write TEXT (\r \n \t \\ escapes) in one call, then pause 40 ms
//   fill N TEXT      write N bytes in one call: dots, ending with TEXT
//   sleep MS         pause
//   touch            create the output file (the argument after -o, else the last argument)
//   ignore-term      ignore SIGTERM from now on
//   close-output     close standard output and error (the reader sees the end of the output)
//   pid              write the process id to pid.N
//   exit CODE        end with that status (the default end is status 0)
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

void WriteAll(const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(STDOUT_FILENO, data.data() + done, data.size() - done);
        if (n <= 0) {
            _exit(9);
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string self = argv[0];
    const std::string folder = self.substr(0, self.rfind('/') + 1);
    std::vector<std::string> args(argv, argv + argc);

    int index = 0;
    {
        std::ifstream log(folder + "calls.log");
        std::string line;
        while (std::getline(log, line)) {
            ++index;
        }
    }
    {
        std::ofstream log(folder + "calls.log", std::ios::app);
        for (size_t i = 0; i < args.size(); ++i) {
            log << (i ? "\x1f" : "") << args[i];
        }
        log << "\n";
    }

    std::ifstream script(folder + "script." + std::to_string(index));
    if (!script) {
        script.open(folder + "script." + self.substr(folder.size()));
    }
    if (!script) {
        script.open(folder + "script.default");
    }
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        std::string rest;
        std::getline(words, rest);
        if (!rest.empty() && rest[0] == ' ') {
            rest.erase(0, 1);
        }
        if (verb == "write") {
            WriteAll(Unescape(rest));
            usleep(40000);
        } else if (verb == "fill") {
            std::istringstream fill(rest);
            size_t count = 0;
            fill >> count;
            std::string tail;
            std::getline(fill, tail);
            tail = Unescape(tail.empty() ? tail : tail.substr(1));
            std::string data(count - tail.size(), '.');
            WriteAll(data + tail);
            usleep(40000);
        } else if (verb == "sleep") {
            usleep(std::stoi(rest) * 1000);
        } else if (verb == "touch") {
            std::string output = args.back();
            for (size_t i = 1; i + 1 < args.size(); ++i) {
                if (args[i] == "-o") {
                    output = args[i + 1];
                }
            }
            std::ofstream(output) << "made by the fake tool";
        } else if (verb == "ignore-term") {
            signal(SIGTERM, SIG_IGN);
        } else if (verb == "close-output") {
            close(STDOUT_FILENO);
            close(STDERR_FILENO);
        } else if (verb == "pid") {
            std::ofstream(folder + "pid." + std::to_string(index)) << getpid();
        } else if (verb == "exit") {
            return std::stoi(rest);
        }
    }
    return 0;
}
