// The five tool runs that turn one input file into a 3GPP file: their commands, the files they
// read and write, and the rule that keeps a batch from overwriting existing files.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "OptionCatalogue.h"
#include "PathUtils.h"
#include "SizeLimit.h"

namespace tarv {

inline constexpr int kStepsPerFile = 5;

// The code published while a step runs; the progress display maps it to a share of the bar.
enum class StepType : int32_t {
    Encode = -10,
    RawVideo = -11,
    RawAudio = -12,
    VideoMux = -13,
    AudioMux = -14,
};

// The type of the step at a position 0 to 4 of a file's run.
StepType StepTypeOf(int stepPosition);

// A tool run: the argument vector handed to the tool, and the same command as one line of
// text, quoted the way the tools' documentation writes it, for display and logs.
struct Command {
    std::vector<std::string> arguments;
    std::string text;
};

// The four files of one input, formed from its output base name.
struct OutputNames {
    std::string avi;       // encode step's intermediate
    std::string rawVideo;  // raw elementary video stream
    std::string rawAudio;  // raw AAC stream
    std::string output;    // the 3GPP result, the only one kept
};
OutputNames OutputNamesOf(std::string_view baseName, std::string_view rawVideoExtension);

// The raw video extension of a format ("m4v" or "264"); empty for an unknown format.
std::string_view RawVideoExtensionOf(int format);

// The output folder (a separator added where it lacks one) followed by the source's file title.
// A source without an extension is named after its whole file name, so it neither hides
// itself nor collides with every other such file.
std::string OutputBaseName(std::string_view outputFolder, std::string_view sourcePath,
                           char separator = kSeparator);

// The file a step writes: the intermediate it makes, or the 3GPP file for the two mux steps.
const std::string& StepTargetOf(int stepPosition, const OutputNames& names);

// Where a tool stages the file it writes before renaming it to the target: beside it, named
// after it and the tool's process id, within the file system's name limit. The tools form the
// same name, so the worker can remove what a tool that was killed left behind.
std::string StagedPathOf(std::string_view targetPath, int processId);

// The hidden marker that holds a base name's four names for the run converting that file.
std::string ClaimMarkerPathOf(std::string_view baseName);

// The outcome of trying to claim the four names of one base name.
struct ClaimTry {
    enum class Result { Claimed, Taken, Failed };
    Result result = Result::Failed;
    std::string error;  // when failed: what could not be done, with the system's reason
};
using ClaimFunction = std::function<ClaimTry(std::string_view baseName)>;

// The collision rule. Claims the given base name when none of its four names is taken,
// otherwise the first of base_T, base_T+1, ... (T the tick count) whose names are all free, so
// no existing file is ever overwritten. The search ends with the first error (a name whose
// existence cannot be told), when stop is set, or after kMaxNameTries candidates. A base name
// too long for its four names to fit the file system's limit is cut to fit (see FitFileName),
// its suffix kept whole.
inline constexpr int kMaxNameTries = 100000;
struct BaseNameChoice {
    std::string baseName;  // empty when none was claimed
    std::string error;     // why not; empty when stopped
};
BaseNameChoice ChooseOutputBaseName(std::string_view baseName, int32_t tickCount,
                                    const ClaimFunction& claim,
                                    const std::atomic<bool>* stop = nullptr);

// The system's millisecond tick count as a signed 32-bit number.
int32_t TickCount();

// The command of one step for a file. The program folder ends in its separator. A file made to
// fit a size limit has its plan: the encode step then takes the plan's sound (bitrate, sample
// rate, one channel when lowered) and gains ":size=N" in its video options, the bytes both
// streams may take together; the video's bitrate stays the chosen one, the most it may have.
Command BuildStepCommand(int stepPosition, std::string_view programFolder,
                         std::string_view sourcePath, std::string_view baseName,
                         const ConvertOptions& options, const SizePlan* plan = nullptr);

}  // namespace tarv
