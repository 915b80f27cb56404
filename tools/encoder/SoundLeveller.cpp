#include "SoundLeveller.h"

#include <algorithm>
#include <cmath>

namespace tarv::tools {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The leveller aims every stretch of sound at this loudness (weighted as loudness meters weigh
// it). The limiter after it takes off the peaks this pushes past the ceiling: that, not a peak
// target, is what makes phone speakers loud enough.
constexpr double kTargetLufs = -10.0;
// Quiet passages and noise are lifted by at most this much: more would bring up hiss and hum
// as loud as the speech around them.
constexpr double kMaxBoostDb = 10.0;
constexpr double kMaxCutDb = 20.0;
constexpr double kBlockSeconds = 0.05;
// The loudness followed is that of the last few seconds, in power: it rises within a second
// or so when the sound gets louder, and sinks more slowly when it gets quieter.
constexpr double kRisingSeconds = 1.0;
constexpr double kSinkingSeconds = 3.0;
// The gain at the start is judged from the first second: a file that starts with a breath or
// the quiet onset of a note would otherwise start at full lift and be squashed by the limiter.
constexpr double kFirstJudgementSeconds = 1.0;
// A block this far under the loudness followed is a pause between words or notes: the gain
// holds through it instead of rising and lifting the noise of the pause. Only a pause longer
// than a few seconds is a quiet passage to be lifted.
constexpr double kPauseDb = 15.0;
constexpr double kPauseHoldSeconds = 2.0;
// Below this, nothing is heard that needs evening out.
constexpr double kSilenceLufs = -70.0;
// The gain comes down within a quarter second and rises by a few dB a second at most: slower
// than a word, so nothing pumps; an onset the gain is late for is the limiter's.
constexpr double kFallSeconds = 0.25;
constexpr double kRiseDbPerSecond = 3.0;

// The limiter brings its gain down over ten milliseconds ahead of a peak and lets it back up
// over a tenth of a second after it: quick enough to go unheard, slow enough not to distort.
constexpr double kLookAheadSeconds = 0.01;
constexpr double kReleaseSeconds = 0.1;
constexpr int kInterpolationHalf = 8;
constexpr int kOversampling = 4;

double PowerOf(double lufs) {
    return std::pow(10.0, (lufs + 0.691) / 10.0);
}

double LufsOf(double power) {
    return 10.0 * std::log10(power) - 0.691;
}

}  // namespace

double SoundCeilingDb(int sampleRate, int channels, int audioKbps) {
    // Measured on tones, tone onsets, clicks, square waves, noise, speech, music and surround
    // sound at 22.05 to 48 kHz and 32 to 192 kbit/s: with at least 0.6 bits a sample and
    // channel the decoded true peak came within 0.6 dB of the ceiling, below that within 2.1 dB.
    const double bitsPerSample =
        audioKbps * 1000.0 / (static_cast<double>(std::max(sampleRate, 1)) * std::max(channels, 1));
    return bitsPerSample >= 0.6 ? -1.8 : -3.6;
}

double SoundLeveller::Biquad::Run(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
}

SoundLeveller::SoundLeveller(const LevellerSettings& settings)
    : m_settings(settings), m_channels(std::max(settings.channels, 1)) {
    const double rate = std::max(settings.sampleRate, 1000);
    m_blockSize = std::max(1, static_cast<int>(std::lround(kBlockSeconds * rate)));
    m_block.assign(m_channels, {});
    m_ready.assign(m_channels, {});

    // The loudness weighting of broadcast meters: a high shelf of +4 dB above about 1.7 kHz and
    // a high-pass at about 38 Hz, as two biquads at this sample rate.
    double k = std::tan(kPi * 1681.974450955533 / rate);
    const double q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    const Biquad shelf{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
                       (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                       (1.0 - k / q + k * k) / a0};
    k = std::tan(kPi * 38.13547087602444 / rate);
    const double hq = 0.5003270373238773;
    a0 = 1.0 + k / hq + k * k;
    const Biquad highPass{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / hq + k * k) / a0};
    for (int c = 0; c < m_channels; ++c) {
        m_weighting.push_back(shelf);
        m_weighting.push_back(highPass);
    }

    m_interpolationHalf = kInterpolationHalf;
    m_lookAhead = std::max(8, static_cast<int>(std::lround(kLookAheadSeconds * rate)));
    m_ceiling = std::pow(10.0, settings.ceilingDb / 20.0);
    m_release = 1.0 - std::exp(-1.0 / (kReleaseSeconds * rate));
    // Hann-windowed sinc taps for the points a quarter, a half and three quarters of the way
    // to the next sample, each phase scaled to pass a constant unchanged.
    for (int phase = 1; phase < kOversampling; ++phase) {
        const double t = static_cast<double>(phase) / kOversampling;
        std::vector<double> taps;
        double sum = 0;
        for (int j = -m_interpolationHalf + 1; j <= m_interpolationHalf; ++j) {
            const double u = t - j;
            const double sinc = std::sin(kPi * u) / (kPi * u);
            const double window = 0.5 * (1.0 + std::cos(kPi * u / m_interpolationHalf));
            taps.push_back(sinc * window);
            sum += taps.back();
        }
        for (double& tap : taps) {
            tap /= sum;
        }
        m_phases.push_back(std::move(taps));
    }
    // Silence before the start, so the first samples are interpolated like any other.
    m_history.assign(m_interpolationHalf - 1, std::vector<double>(m_channels, 0.0));
    m_envelope.assign(m_lookAhead + 1, 1.0);
    m_envelopeSum = m_lookAhead + 1;
}

void SoundLeveller::Push(const float* const* planes, int count) {
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < m_channels; ++c) {
            m_block[c].push_back(planes[c][i]);
        }
        if (static_cast<int>(m_block[0].size()) == m_blockSize) {
            LevelBlock();
        }
    }
}

void SoundLeveller::LevelBlock() {
    const int count = static_cast<int>(m_block[0].size());
    if (count == 0) {
        return;
    }
    Block block;
    block.samples = std::move(m_block);
    m_block.assign(m_channels, {});
    for (int c = 0; c < m_channels; ++c) {
        Biquad& shelf = m_weighting[2 * c];
        Biquad& highPass = m_weighting[2 * c + 1];
        double sum = 0;
        for (const float v : block.samples[c]) {
            const double y = highPass.Run(shelf.Run(v));
            sum += y * y;
        }
        block.power += sum / count;
    }
    // A mono track is heard from both sides, as loud as the same sound in two channels.
    if (m_channels == 1) {
        block.power *= 2;
    }
    if (m_started || !m_settings.level) {
        Apply(block);
        return;
    }
    m_firstBlocks.push_back(std::move(block));
    if (m_firstBlocks.size() * kBlockSeconds >= kFirstJudgementSeconds) {
        JudgeTheStart();
    }
}

void SoundLeveller::JudgeTheStart() {
    double sum = 0;
    int loud = 0;
    for (const Block& block : m_firstBlocks) {
        if (block.power >= PowerOf(kSilenceLufs)) {
            sum += block.power;
            ++loud;
        }
    }
    if (loud > 0) {
        m_loudness = sum / loud;
        m_gainDb = std::clamp(kTargetLufs - LufsOf(m_loudness), -kMaxCutDb, kMaxBoostDb);
        m_started = true;
    }
    for (const Block& block : m_firstBlocks) {
        Apply(block);
    }
    m_firstBlocks.clear();
}

void SoundLeveller::Apply(const Block& block) {
    const int count = static_cast<int>(block.samples[0].size());
    const double power = block.power;
    const double start = m_gainDb;
    if (m_settings.level && m_started && power >= PowerOf(kSilenceLufs)) {
        const double seconds = static_cast<double>(count) / m_settings.sampleRate;
        const bool pause = power < m_loudness * std::pow(10.0, -kPauseDb / 10.0);
        m_pauseBlocks = pause ? m_pauseBlocks + 1 : 0;
        if (!pause || m_pauseBlocks * kBlockSeconds >= kPauseHoldSeconds) {
            const double time = power > m_loudness ? kRisingSeconds : kSinkingSeconds;
            m_loudness += (power - m_loudness) * (1.0 - std::exp(-seconds / time));
        }
        const double wanted = std::clamp(kTargetLufs - LufsOf(m_loudness), -kMaxCutDb, kMaxBoostDb);
        if (wanted < m_gainDb) {
            m_gainDb += (wanted - m_gainDb) * (1.0 - std::exp(-seconds / kFallSeconds));
        } else {
            m_gainDb = std::min(wanted, m_gainDb + kRiseDbPerSecond * seconds);
        }
    }
    // The gain glides from one block's value to the next's across the block.
    std::vector<double> frame(m_channels);
    for (int i = 0; i < count; ++i) {
        const double db = start + (m_gainDb - start) * (i + 1) / count;
        const double gain = std::pow(10.0, db / 20.0);
        for (int c = 0; c < m_channels; ++c) {
            frame[c] = block.samples[c][i] * gain;
        }
        Limit(frame);
    }
}

void SoundLeveller::Limit(const std::vector<double>& frame) {
    ++m_pushed;
    m_waiting.push_back(frame);
    m_history.push_back(frame);
    if (static_cast<int>(m_history.size()) < 2 * m_interpolationHalf) {
        return;
    }
    // The highest point between sample m and the next, m being half a filter back.
    const size_t m = m_interpolationHalf - 1;
    double interval = 0;
    for (int c = 0; c < m_channels; ++c) {
        interval = std::max(interval, std::fabs(m_history[m][c]));
        for (const std::vector<double>& taps : m_phases) {
            double v = 0;
            for (size_t j = 0; j < taps.size(); ++j) {
                v += taps[j] * m_history[j][c];
            }
            interval = std::max(interval, std::fabs(v));
        }
    }
    m_history.pop_front();
    // Both intervals around a sample are held to its gain.
    const double peak = std::max(interval, m_lastIntervalPeak);
    m_lastIntervalPeak = interval;
    const double needed = peak > m_ceiling ? m_ceiling / peak : 1.0;
    const long long index = m_detected++;

    // The lowest gain needed anywhere in the look-ahead...
    while (!m_minimum.empty() && m_minimum.back().second >= needed) {
        m_minimum.pop_back();
    }
    m_minimum.emplace_back(index, needed);
    while (m_minimum.front().first < index - m_lookAhead) {
        m_minimum.pop_front();
    }
    const double held = m_minimum.front().second;
    // ...let back up slowly once it has passed...
    m_released = held < m_released ? held : m_released + (held - m_released) * m_release;
    // ...and averaged over the look-ahead, so it reaches that gain by the peak and not before
    // the look-ahead began.
    m_envelope.push_back(m_released);
    m_envelopeSum += m_released - m_envelope.front();
    m_envelope.pop_front();
    if (index >= m_lookAhead) {
        Emit(m_envelopeSum / (m_lookAhead + 1));
    }
}

void SoundLeveller::Emit(double gain) {
    const std::vector<double>& frame = m_waiting.front();
    for (int c = 0; c < m_channels; ++c) {
        m_ready[c].push_back(static_cast<float>(frame[c] * gain));
    }
    m_waiting.pop_front();
    ++m_emitted;
}

void SoundLeveller::Finish() {
    LevelBlock();
    if (!m_firstBlocks.empty()) {
        JudgeTheStart();
    }
    // Silence after the end carries the last samples through the interpolation and the
    // look-ahead; what it yields itself is dropped.
    const long long real = m_pushed;
    const std::vector<double> silence(m_channels, 0.0);
    while (m_emitted < real) {
        Limit(silence);
    }
}

int SoundLeveller::Pull(float* const* planes, int count) {
    const int n = std::min(count, Ready());
    for (int c = 0; c < m_channels; ++c) {
        std::copy_n(m_ready[c].begin(), n, planes[c]);
        m_ready[c].erase(m_ready[c].begin(), m_ready[c].begin() + n);
    }
    return n;
}

}  // namespace tarv::tools
