#include "PassBudget.h"

#include <algorithm>
#include <vector>

#include "PathFacts.h"
#include "SignalCleanup.h"

namespace tarv::tools {

namespace {

// The video never aims lower than this, whatever the sound left: a stream needs its headers.
constexpr double kLeastKbps = 1;
// How far Xvid's aim is moved to make up for what the first pass missed by. Up is held
// tighter than down: a first pass short of its aim may only have met pictures too plain to
// take it, and the stretch that can take more then takes all of it.
constexpr double kMostCorrectionDown = 0.8;
constexpr double kMostCorrectionUp = 1.03;

// Another final pass aims this much under what would just have fitted, and at least this much
// under its last aim when that was too much: the rate control that missed once misses the same
// way again.
constexpr double kRetryShare = 0.97;
// Streams that take this share of their bound are full enough.
constexpr double kFullShare = 0.95;
// A raised aim is worth a pass only when it is this much higher.
constexpr double kLeastRaise = 1.02;

// The files x264 makes from its statistics path while it works.
std::vector<std::string> StatsFiles(const std::string& stats) {
    return {stats, stats + ".temp", stats + ".mbtree", stats + ".mbtree.temp"};
}

}  // namespace

double FirstPassKbps(const EncodeSettings& settings, double lengthSeconds) {
    if (settings.streamBytes <= 0 || !(lengthSeconds > 0)) {
        return settings.videoKbps;
    }
    const double left = settings.streamBytes * 8.0 / lengthSeconds / 1000.0 - settings.audioKbps;
    return std::clamp(left, kLeastKbps, static_cast<double>(settings.videoKbps));
}

double SecondPassKbps(const EncodeSettings& settings, const MeasuredPass& first) {
    if (settings.streamBytes <= 0 || !(first.seconds > 0)) {
        return first.askedKbps > 0 ? first.askedKbps : settings.videoKbps;
    }
    const double left = (settings.streamBytes - first.audioBytes) * 8.0 / first.seconds / 1000.0;
    const double aim = std::clamp(left, kLeastKbps, static_cast<double>(settings.videoKbps));
    if (settings.family != VideoFamily::kXvid || first.videoBytes <= 0 || first.askedKbps <= 0) {
        return aim;
    }
    const double got = first.videoBytes * 8.0 / first.seconds / 1000.0;
    return std::max(kLeastKbps, aim * std::clamp(first.askedKbps / got, kMostCorrectionDown,
                                                 kMostCorrectionUp));
}

std::optional<double> NextFinalKbps(const EncodeSettings& settings, const MeasuredPass& last,
                                    int64_t keptBytes) {
    const int64_t bound = settings.streamBytes;
    const int64_t took = last.videoBytes + last.audioBytes;
    if (bound <= 0 || !(last.askedKbps > 0)) {
        return std::nullopt;
    }
    const double room = static_cast<double>(bound - last.audioBytes);
    const double scaled = last.videoBytes > 0
                              ? last.askedKbps * room / static_cast<double>(last.videoBytes)
                              : static_cast<double>(settings.videoKbps);
    if (took > bound) {
        return room <= 0 ? kLeastKbps
                         : std::max(kLeastKbps, std::min(scaled, last.askedKbps) * kRetryShare);
    }
    if (took <= keptBytes || took >= bound * kFullShare) {
        return std::nullopt;
    }
    const double raised = std::min(scaled * kRetryShare, static_cast<double>(settings.videoKbps));
    if (raised < last.askedKbps * kLeastRaise) {
        return std::nullopt;
    }
    return raised;
}

PassFolder::~PassFolder() {
    if (m_folder.empty()) {
        return;
    }
    for (const std::string& file : StatsFiles(m_stats)) {
        RemovePath(file);
        KeepOnStop(file);
    }
    RemovePath(m_folder);
    KeepOnStop(m_folder);
}

Status PassFolder::Create() {
    std::string reason;
    m_folder = MakeTemporaryFolder("tarv-pass-", &reason);
    if (m_folder.empty()) {
        return Status::Failure("cannot make a folder for the first pass in " + reason);
    }
    m_stats = m_folder + kPathSeparator + "x264.log";
    RemoveOnStop(m_folder);
    for (const std::string& file : StatsFiles(m_stats)) {
        RemoveOnStop(file);
    }
    return Status::Ok();
}

}  // namespace tarv::tools
