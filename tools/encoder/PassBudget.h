// How an encode bounded by the bytes its streams may take shares them out over two passes:
// the sound takes what it costs, the video what is left, never more than its own bitrate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "EncoderCommand.h"
#include "Status.h"

namespace tarv::tools {

// The video's average for the analysis pass, before anything is measured: what the bound
// leaves beside the sound at its bitrate, over the input's length (0 when unknown).
double FirstPassKbps(const EncodeSettings& settings, double lengthSeconds);

// What a pass measured over the frames it encoded.
struct MeasuredPass {
    double askedKbps = 0;  // what the video aimed at
    int64_t videoBytes = 0;
    int64_t audioBytes = 0;
    double seconds = 0;  // the length of the encoded frames
};

// The video's average for the final pass: what the bound leaves beside the sound as the first
// pass made it. Xvid's rate control misses its aim the same way on the same pictures, so its
// aim is corrected by what the first pass missed by, more readily down than up.
double SecondPassKbps(const EncodeSettings& settings, const MeasuredPass& first);

// After a final pass, the video's average for one more, or nothing when the file is as good as
// it gets. Streams over their bound run again for less: what the video took scaled down to
// what the sound leaves it, a little under that, and always under the last aim. Streams well
// short of their bound run again for more, up to the video's bitrate (x264's second pass can
// fall a quarter short on busy pictures), unless the last try gained nothing over `keptBytes`,
// the streams of the file kept so far.
std::optional<double> NextFinalKbps(const EncodeSettings& settings, const MeasuredPass& last,
                                    int64_t keptBytes);

// A private folder for the statistics x264 keeps between the passes, removed with the object,
// and by a stop signal.
class PassFolder {
public:
    PassFolder() = default;
    ~PassFolder();
    PassFolder(const PassFolder&) = delete;
    PassFolder& operator=(const PassFolder&) = delete;

    // Made in the system's folder for temporary files.
    Status Create();
    // Where x264 keeps its statistics; empty before Create().
    const std::string& StatsPath() const { return m_stats; }

private:
    std::string m_folder;
    std::string m_stats;
};

}  // namespace tarv::tools
