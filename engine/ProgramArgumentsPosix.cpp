#include "ProgramArguments.h"

namespace tarv {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // File names are bytes here and stay so: any byte but the zero may be in one.
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace tarv
