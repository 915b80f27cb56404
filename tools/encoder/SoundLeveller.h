// Evens out the loudness of the sound and keeps its true peaks under a ceiling: a slow gain
// that follows the loudness of the last few seconds, then a look-ahead limiter that judges the
// peaks between samples at four times the sample rate.
#pragma once

#include <deque>
#include <vector>

namespace tarv::tools {

struct LevellerSettings {
    int sampleRate = 44100;
    int channels = 2;
    bool level = true;        // false: the limiter alone, at unity gain
    double ceilingDb = -1.0;  // the highest true peak let through, in dBFS
};

// The true-peak ceiling that keeps the decoded AAC sound at or below -1 dBTP: the encoder's
// rounding lifts the peaks it is given, and the less it may spend on each sample the more.
double SoundCeilingDb(int sampleRate, int channels, int audioKbps);

class SoundLeveller {
public:
    explicit SoundLeveller(const LevellerSettings& settings);

    // Takes `count` samples of each channel.
    void Push(const float* const* planes, int count);
    // Ends the input: every sample still held back becomes ready.
    void Finish();
    // How many samples of each channel can be pulled.
    int Ready() const { return static_cast<int>(m_ready.empty() ? 0 : m_ready[0].size()); }
    // Moves up to `count` ready samples of each channel into `planes`; returns how many.
    int Pull(float* const* planes, int count);

private:
    struct Biquad {
        double b0, b1, b2, a1, a2;
        double z1 = 0, z2 = 0;
        double Run(double x);
    };

    struct Block {
        std::vector<std::vector<float>> samples;
        double power = 0;  // weighted, summed over the channels
    };

    void LevelBlock();
    void JudgeTheStart();
    void Apply(const Block& block);
    void Limit(const std::vector<double>& frame);
    void Emit(double gain);

    LevellerSettings m_settings;
    int m_channels;
    // The leveller works on blocks; the gain moves from one block's value to the next's
    // across the block.
    int m_blockSize;
    std::vector<std::vector<float>> m_block;
    std::vector<Biquad> m_weighting;   // two per channel: the loudness weighting
    std::vector<Block> m_firstBlocks;  // held until the gain at the start is judged
    double m_loudness = 0;             // the weighted power followed
    int m_pauseBlocks = 0;
    double m_gainDb = 0;
    bool m_started = false;  // the gain at the start has been judged

    // The limiter: samples wait here until the gain that keeps their peaks down is known.
    int m_interpolationHalf;  // taps on either side of an interpolated point
    int m_lookAhead;          // samples over which the gain comes down before a peak
    double m_ceiling;
    double m_release;
    std::vector<std::vector<double>> m_phases;  // interpolation taps for 1/4, 2/4 and 3/4
    std::deque<std::vector<double>> m_history;  // the newest input frames, for interpolating
    std::deque<std::vector<double>> m_waiting;  // frames whose gain is not yet known
    std::deque<std::pair<long long, double>> m_minimum;  // ascending gains of the hold window
    std::deque<double> m_envelope;                       // the last look-ahead + 1 gains
    double m_envelopeSum = 0;
    double m_released = 1;
    double m_lastIntervalPeak = 0;
    long long m_detected = 0;  // frames whose needed gain is known
    long long m_pushed = 0;
    long long m_emitted = 0;
    std::vector<std::vector<float>> m_ready;
};

}  // namespace tarv::tools
