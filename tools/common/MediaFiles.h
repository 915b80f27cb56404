// Opening media files for reading and writing them under a temporary name, so that a
// tool that fails never leaves a half-written file under the name it was asked for.
#pragma once

#include <cstdint>
#include <string>

#include "LibavHandles.h"
#include "Status.h"

namespace tarv::tools {

// Libav reads any name with a colon as a protocol ("a:b.avi"); the explicit file protocol
// keeps every path a plain local file.
std::string FileUrl(const std::string& path);

// The most pixels a picture of an input may have: twice an 8K picture and more, past any
// camera's video, while a tiny file that claims a far larger one would hold gigabytes of
// memory in the decoders. Larger pictures are refused, not decoded.
inline constexpr int64_t kMaxPicturePixels = 8192LL * 8192;

// Opens `path` for demuxing. With `findStreamInfo` the streams' parameters are completed by
// reading the start of the file (see ReadStreamInfo); otherwise only the container's header is
// read. A `format` reads the file as that format instead of guessing it from the contents. A
// file of a known kind whose header cannot be read fails as damaged.
Status OpenMediaInput(const std::string& path, bool findStreamInfo, InputContextPtr& out,
                      AVDictionary** demuxerOptions = nullptr,
                      const AVInputFormat* format = nullptr);

// Completes the streams' parameters of an input opened from `path` by reading its start. When
// a picture or sound stream is still without its size or sample format, as after damage, the
// file is opened again and read ten times as far; `input` then becomes the new one. Pictures
// larger than kMaxPicturePixels fail the input.
Status ReadStreamInfo(const std::string& path, InputContextPtr& input,
                      AVDictionary* options = nullptr, const AVInputFormat* format = nullptr);

// The input's length in seconds from the container or its streams; 0 when it names none.
double ContainerDurationSeconds(const AVFormatContext* input);

// The clockwise turn (0, 90, 180 or 270 degrees) a player gives the stream's pictures, as
// phones record it in the display matrix.
int ClockwiseRotation(const AVStream* stream);

// The temporary name a tool writes `target` under: "TARGET.PID.tarvpart" beside it. Where that
// would pass the 255-byte name limit, the target's name is cut at a character boundary and
// gains "~" and eight hex digits of its FNV-1a hash before the tail, so a caller cleaning up
// after a tool that was killed can form the same name.
std::string StagedPathFor(const std::string& target, int processId);

// A new file written under a temporary name in the target's folder and renamed to the target
// by Commit(). It replaces only what lay at the target when it was opened: a file that
// appears there meanwhile, or a target changed by someone else, makes the commit fail and is
// left as it is. Destroying an uncommitted output removes the temporary file.
class StagedOutput {
public:
    explicit StagedOutput(std::string target);
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    const std::string& Target() const { return m_target; }

    // Allocates the muxer `formatName` and opens the temporary file for it.
    Status Open(const char* formatName, OutputContextPtr& out);
    // Whether something lay at the target when Open looked: only that may be read and replaced.
    bool TargetExisted() const { return m_targetExisted; }
    // Writes the trailer, closes the file (a full disk shows up here at the latest) and renames
    // it to the target.
    Status Commit(OutputContextPtr& out);

private:
    // Which file, and whether it was written to; not its change time, which our own swap moves.
    struct Identity {
        unsigned long long device = 0, inode = 0;
        long long size = 0, modifiedNs = 0;
        bool operator==(const Identity&) const = default;
    };
    static bool IdentityAt(const std::string& path, Identity& identity);
    Status Replace();

    std::string m_target;
    std::string m_temporary;
    bool m_targetExisted = false;
    Identity m_targetIdentity;
    bool m_created = false;
    bool m_committed = false;
};

}  // namespace tarv::tools
