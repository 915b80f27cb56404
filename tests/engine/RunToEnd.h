// Runs a program through the child-process layer and collects everything it prints.
#pragma once

#include <functional>
#include <string>

#include "ChildProcess.h"

struct RunOutput {
    std::string text;
    tarv::ExitStatus status;
};

// Reads until the program closes its output (or is silent for timeoutMs), then waits for it.
// onOutput sees the child and all text so far after every read.
inline RunOutput RunToEnd(const tarv::Arguments& arguments, int timeoutMs = 120000,
                          const std::function<void(tarv::ChildProcess&, const std::string&)>&
                              onOutput = {}) {
    RunOutput output;
    std::string error;
    auto child = tarv::ChildProcess::Launch(arguments, &error);
    if (!child) {
        output.text = error;
        return output;
    }
    char chunk[tarv::ChildProcess::kMaxRead];
    while (size_t count = child->Read(chunk, sizeof chunk, timeoutMs)) {
        output.text.append(chunk, count);
        if (onOutput) {
            onOutput(*child, output.text);
        }
    }
    output.status = child->Wait();
    return output;
}
