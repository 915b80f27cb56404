// The five tool runs that turn one input file into a 3GPP file: their commands, the files they
// read and write, and the rule that keeps a batch from overwriting existing files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "OptionCatalogue.h"
#include "PathUtils.h"

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

// True when any of the four names exists, in the order avi, raw video, raw audio, output.
bool AnyOutputNameExists(std::string_view baseName, std::string_view rawVideoExtension);

// The base name the file's five steps will use: the given one when none of its four names
// exists, otherwise the first of base_T, base_T+1, ... (T the tick count) whose four names are
// all free, so no existing file is ever overwritten.
std::string ResolveOutputBaseName(std::string_view baseName, std::string_view rawVideoExtension,
                                  int32_t tickCount,
                                  const std::function<bool(std::string_view)>& exists = FileExists);

// The system's millisecond tick count as a signed 32-bit number.
int32_t TickCount();

// The command of one step for a file. The program folder ends in its separator.
Command BuildStepCommand(int stepPosition, std::string_view programFolder,
                         std::string_view sourcePath, std::string_view baseName,
                         const ConvertOptions& options);

}  // namespace tarv
