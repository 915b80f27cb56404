// Opening media files for reading and writing them under a temporary name, so that a
// tool that fails never leaves a half-written file under the name it was asked for.
#pragma once

#include <string>

#include "LibavHandles.h"
#include "Status.h"

namespace tarv::tools {

// Libav reads any name with a colon as a protocol ("a:b.avi"); the explicit file protocol
// keeps every path a plain local file.
std::string FileUrl(const std::string& path);

// Opens `path` for demuxing. With `findStreamInfo` the streams' parameters are completed by
// reading the start of the file; otherwise only the container's header is read.
Status OpenMediaInput(const std::string& path, bool findStreamInfo, InputContextPtr& out,
                      AVDictionary** demuxerOptions = nullptr);

// The input's length in seconds from the container or its streams; 0 when it names none.
double ContainerDurationSeconds(const AVFormatContext* input);

// The clockwise turn (0, 90, 180 or 270 degrees) a player gives the stream's pictures, as
// phones record it in the display matrix.
int ClockwiseRotation(const AVStream* stream);

// A new file written under a temporary name in the target's folder and renamed over the
// target by Commit(). Destroying an uncommitted output removes the temporary file.
class StagedOutput {
public:
    explicit StagedOutput(std::string target);
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    const std::string& Target() const { return m_target; }
    const std::string& TemporaryPath() const { return m_temporary; }

    // Allocates the muxer `formatName` and opens the temporary file for it.
    Status Open(const char* formatName, OutputContextPtr& out);
    // Writes the trailer, closes the file (a full disk shows up here at the latest) and renames
    // it over the target.
    Status Commit(OutputContextPtr& out);

private:
    std::string m_target;
    std::string m_temporary;
    bool m_created = false;
    bool m_committed = false;
};

}  // namespace tarv::tools
