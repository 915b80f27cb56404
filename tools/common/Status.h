// The outcome of one stage of a tool: success, or a one-line reason a person can read,
// together with the exit status the tool ends with.
#pragma once

#include <string>
#include <string_view>

namespace tarv::tools {

// Exit statuses shared by the three tools.
constexpr int kExitFailure = 1;  // the work could not be done (bad input, write failure)
constexpr int kExitUsage = 2;    // the command line itself is wrong

class Status {
public:
    static Status Ok() { return Status(); }
    static Status Failure(std::string message) { return Status(kExitFailure, std::move(message)); }
    static Status Usage(std::string message) { return Status(kExitUsage, std::move(message)); }

    explicit operator bool() const { return m_exitCode == 0; }
    int ExitCode() const { return m_exitCode; }
    const std::string& Message() const { return m_message; }

private:
    Status() = default;
    Status(int exitCode, std::string message)
        : m_exitCode(exitCode), m_message(std::move(message)) {}

    int m_exitCode = 0;
    std::string m_message;
};

// Libav's text for an AVERROR code ("No space left on device", "Invalid data found ..."); a
// code libav has no text for is described in words, its number only in brackets.
std::string AvErrorText(int error);

// "what: reason" for a failed libav call.
Status AvFailure(std::string_view what, int error);

// The input cannot be read or decoded at all: "the file is damaged: " and libav's words.
Status DamageFailure(int error);

}  // namespace tarv::tools
