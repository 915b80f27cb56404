// The loudness leveller and true-peak limiter, on sound made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "SoundLeveller.h"

namespace tarv::tools {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 22050;

using Channels = std::vector<std::vector<float>>;

Channels Make(int channels, double seconds, const std::function<double(int, double)>& at) {
    const int n = static_cast<int>(seconds * kRate);
    Channels sound(channels, std::vector<float>(n));
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < n; ++i) {
            sound[c][i] = static_cast<float>(at(c, static_cast<double>(i) / kRate));
        }
    }
    return sound;
}

// Pushed in encoder-sized pieces, pulled as it becomes ready.
Channels Levelled(const Channels& in, bool level = true, double ceilingDb = -3.0) {
    LevellerSettings settings;
    settings.sampleRate = kRate;
    settings.channels = static_cast<int>(in.size());
    settings.level = level;
    settings.ceilingDb = ceilingDb;
    SoundLeveller leveller(settings);
    Channels out(in.size());
    std::vector<float> buffer(4096 * in.size());
    auto pull = [&] {
        std::vector<float*> planes;
        for (size_t c = 0; c < in.size(); ++c) {
            planes.push_back(buffer.data() + c * 4096);
        }
        while (const int n = leveller.Pull(planes.data(), 4096)) {
            for (size_t c = 0; c < in.size(); ++c) {
                out[c].insert(out[c].end(), planes[c], planes[c] + n);
            }
        }
    };
    const size_t length = in[0].size();
    for (size_t at = 0; at < length; at += 1024) {
        std::vector<const float*> planes;
        for (const auto& channel : in) {
            planes.push_back(channel.data() + at);
        }
        leveller.Push(planes.data(), static_cast<int>(std::min<size_t>(1024, length - at)));
        pull();
    }
    leveller.Finish();
    pull();
    return out;
}

// The level in dB of the root mean square of every channel between two times.
double RmsDb(const Channels& sound, double from, double to) {
    double sum = 0;
    size_t count = 0;
    for (const auto& channel : sound) {
        for (size_t i = static_cast<size_t>(from * kRate); i < static_cast<size_t>(to * kRate);
             ++i) {
            sum += static_cast<double>(channel[i]) * channel[i];
            ++count;
        }
    }
    return 10 * std::log10(sum / count + 1e-20);
}

// The highest point of the sound as a player rebuilds it between samples, found at 8 times
// the sample rate with a longer interpolator: finer than the limiter's own look, which may
// miss up to a quarter of a dB between its points.
constexpr double kFinerLook = 0.25;
double TruePeakDb(const Channels& sound) {
    constexpr int kFactor = 8;
    constexpr int kHalf = 16;
    double peak = 0;
    for (const auto& channel : sound) {
        const int n = static_cast<int>(channel.size());
        for (int i = 0; i < n; ++i) {
            peak = std::max(peak, std::fabs(static_cast<double>(channel[i])));
            for (int p = 1; p < kFactor; ++p) {
                const double t = static_cast<double>(p) / kFactor;
                double v = 0;
                for (int j = -kHalf + 1; j <= kHalf; ++j) {
                    if (i + j >= 0 && i + j < n) {
                        const double u = t - j;
                        v += channel[i + j] * std::sin(kPi * u) / (kPi * u) *
                             (0.5 + 0.5 * std::cos(kPi * u / kHalf));
                    }
                }
                peak = std::max(peak, std::fabs(v));
            }
        }
    }
    return 20 * std::log10(peak);
}

TEST(SoundLeveller, GivesBackEverySampleInPlaceAndOrder) {
    // A click at a known sample comes out at that sample, and nothing is added or lost.
    const Channels in = Make(2, 1.3, [](int, double t) {
        return std::fabs(t - 0.7) < 0.5 / kRate ? 0.5 : 0.001 * std::sin(2 * kPi * 300 * t);
    });
    const Channels out = Levelled(in, false);
    ASSERT_EQ(out.size(), 2u);
    ASSERT_EQ(out[0].size(), in[0].size());
    const auto loudest = std::max_element(
        out[0].begin(), out[0].end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    EXPECT_EQ(loudest - out[0].begin(), static_cast<long>(0.7 * kRate + 0.5));
}

TEST(SoundLeveller, KeepsTruePeaksUnderTheCeiling) {
    // Full-scale square waves and a sine whose peaks fall between samples, far past the
    // ceiling once lifted, in one channel and in two.
    const Channels square = Make(2, 2, [](int c, double t) {
        return std::sin(2 * kPi * (c ? 311 : 200) * t) >= 0 ? 1.0 : -1.0;
    });
    const Channels between = Make(1, 2, [](int, double t) {
        return 1.4 * std::sin(2 * kPi * kRate / 4 * t + kPi / 4) * (t > 1 ? 1 : 0.1);
    });
    for (const Channels* in : {&square, &between}) {
        for (const bool level : {false, true}) {
            const Channels out = Levelled(*in, level, -3.0);
            EXPECT_LE(TruePeakDb(out), -3.0 + kFinerLook)
                << in->size() << " channels, level " << level;
        }
    }
}

TEST(SoundLeveller, LiftsNoiseByAtMostTenDecibels) {
    // Noise at -56 dBFS, then a tone: the noise is not brought up toward the tone's loudness.
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, std::pow(10.0, -56 / 20.0));
    const Channels in = Make(2, 6, [&](int, double t) {
        return t < 3 ? noise(random) : 0.178 * std::sin(2 * kPi * 440 * t);
    });
    const Channels out = Levelled(in);
    const double lift = RmsDb(out, 0.2, 2.8) - RmsDb(in, 0.2, 2.8);
    EXPECT_LE(lift, 10.2);
    EXPECT_GE(lift, 6.0);  // still evened out
}

TEST(SoundLeveller, NoDipBeforeALoudPassage) {
    // Four seconds of a quiet tone, then a loud one: the second before the loud one is as loud
    // as the quiet passage before it.
    const Channels in = Make(
        2, 6, [](int, double t) { return (t < 4 ? 0.05 : 0.9) * std::sin(2 * kPi * 440 * t); });
    const Channels out = Levelled(in);
    const double quiet = RmsDb(out, 1.5, 2.5);
    for (double at = 3.0; at < 3.95; at += 0.1) {
        EXPECT_NEAR(RmsDb(out, at, at + 0.05), quiet, 1.0) << "at " << at << " s";
    }
    EXPECT_LE(TruePeakDb(out), -3.0 + kFinerLook);
}

}  // namespace
}  // namespace tarv::tools
