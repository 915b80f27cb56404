#include "ProgressDisplay.h"

#include <algorithm>
#include <cstdint>

namespace tarv {

int ShownProgress(int positionSeconds, int durationSeconds, StepType step) {
    int64_t pct = 0;
    if (durationSeconds > 0 && positionSeconds > 0) {
        pct = static_cast<int64_t>(positionSeconds) * 100 / durationSeconds;
    }
    int64_t shown = 0;
    switch (step) {
        case StepType::Encode: shown = pct * 90 / 100; break;
        case StepType::RawVideo: shown = 90 + pct * 3 / 100; break;
        case StepType::RawAudio: shown = 93 + pct * 2 / 100; break;
        case StepType::VideoMux: shown = 95 + pct * 2 / 100; break;
        case StepType::AudioMux: shown = 97 + pct * 2 / 100; break;
    }
    return static_cast<int>(std::clamp<int64_t>(shown, 0, 99));
}

}  // namespace tarv
