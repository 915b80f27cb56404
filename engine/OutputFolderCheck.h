// Makes the output folder ready before a batch starts, or says why it cannot be used: the
// window and the headless command refuse a batch with the same reasons.
#pragma once

#include <string>

namespace tarv {

struct OutputFolderCheck {
    enum class Problem {
        None,
        Empty,         // no folder was given
        NotAFolder,    // a file or something else has the name
        CannotCreate,  // it was missing and could not be made
        NotWritable,   // it is there, but no file can be created in it
    };
    Problem problem = Problem::None;
    std::string path;    // the folder, absolute
    std::string reason;  // the system's words, where it gave any

    explicit operator bool() const { return problem == Problem::None; }
};

// Checks the folder, making it (and its parents) when it is missing.
OutputFolderCheck PrepareOutputFolder(const std::string& folder);

}  // namespace tarv
