// Test signals for the spectrum tests: sines as interleaved 16-bit blocks.
#pragma once

#include "audio/sample_array.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace testsignals {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// `frames` frames of a sine at `hz` with peak `amplitude` (1.0 = full scale) on every
// channel; starting at frame `offset` so consecutive blocks join up.
inline SampleArray sine(double hz, int frames, double amplitude = 0.5, int channels = 2,
                        int offset = 0) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * 32767.0 * std::sin(2.0 * kPi * hz * (i + offset) / kRate);
        for (int c = 0; c < channels; ++c)
            samples[static_cast<size_t>(i * channels + c)] = static_cast<int16_t>(std::lround(v));
    }
    return SampleArray(channels, std::move(samples));
}

inline SampleArray silence(int frames, int channels = 2) {
    return SampleArray(channels, std::vector<int16_t>(static_cast<size_t>(frames) * channels, 0));
}

// Noise at about a third of full scale, the same for the same seed.
inline SampleArray noise(int frames, unsigned seed, int channels = 2) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    unsigned state = seed * 2654435761u + 1u;
    for (int16_t &s : samples) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<int16_t>(static_cast<int>(state >> 16) % 20000 - 10000);
    }
    return SampleArray(channels, std::move(samples));
}

}  // namespace testsignals
