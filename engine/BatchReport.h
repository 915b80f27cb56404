// What the worker tells about one file of a batch: a step's position, or how the file ended.
// Made once from the tools' output; the window, the headless command and the tests read the
// same value.
#pragma once

#include <cstdint>
#include <string>

#include "StepCommands.h"

namespace tarv {

// The old integer protocol's values besides a position in whole seconds (0 or more).
inline constexpr int kProgressStopped = -1;   // the batch was stopped while this entry ran
inline constexpr int kProgressFileDone = -2;  // the file's last step finished: the file is done
inline constexpr int kProgressFailed = -3;  // this step failed; the file's other steps are skipped

struct BatchReport {
    enum class Kind {
        Position,  // the running step's tool is at `seconds`
        FileDone,  // the file's last step finished
        Failed,    // the step failed; the file's other steps are skipped
        Stopped,   // the batch was stopped before the file was done
    };

    uint64_t batch = 0;  // the ticket of the batch it belongs to
    int file = 0;        // the file's place in its batch
    uint64_t key = 0;    // the name the caller gave the file when it entered it
    int step = 0;        // 0 to 4, the step that was running
    Kind kind = Kind::Position;
    int seconds = 0;     // for a position: whole seconds, never negative
    std::string output;  // the file's 3GPP path once its names are claimed; empty before
    std::string text;    // for a failure: why, in the tool's own last words
    // For a file done: how many frames of its source the encoder skipped as damaged.
    int damagedFrames = 0;

    StepType Step() const { return StepTypeOf(step); }
    // The batch entry index and value of the integer protocol: five entries per file, the
    // value a position or one of the codes above.
    int Entry() const { return file * kStepsPerFile + step; }
    int Value() const {
        switch (kind) {
            case Kind::Position:
                return seconds;
            case Kind::FileDone:
                return kProgressFileDone;
            case Kind::Failed:
                return kProgressFailed;
            case Kind::Stopped:
                return kProgressStopped;
        }
        return seconds;
    }
};

}  // namespace tarv
