#include "audio/dsp/playback_equalizer.h"

#include <algorithm>
#include <cmath>

const std::array<float, PlaybackEqualizer::kBands> &PlaybackEqualizer::centreFrequencies() {
    static const std::array<float, kBands> frequencies = {31.5f, 63,   125,  250,   500,   1000,
                                                          2000,  4000, 8000, 12000, 16000, 20000};
    return frequencies;
}

void PlaybackEqualizer::setGains(const std::array<float, kBands> &gainsDb) {
    for (int i = 0; i < kBands; ++i)
        gains_[i] = std::isfinite(gainsDb[i]) ? std::clamp(gainsDb[i], -15.0f, 15.0f) : 0.0f;
    design();
}

void PlaybackEqualizer::setFormat(int sampleRate, int channels) {
    sampleRate_ = std::max(sampleRate, 1000);
    channels_ = std::clamp(channels, 1, 2);
    design();
}

void PlaybackEqualizer::reset() {
    for (Biquad &b : bands_)
        b.reset();
}

void PlaybackEqualizer::design() {
    flat_ = std::all_of(gains_.begin(), gains_.end(), [](float g) { return g == 0.0f; });
    for (int i = 0; i < kBands; ++i) {
        bands_[i].setCoefficients(
            BiquadCoefficients::peaking(centreFrequencies()[i], sampleRate_, gains_[i]));
    }
}

void PlaybackEqualizer::process(int16_t *samples, int frames) {
    if (flat_)
        return;
    for (int i = 0; i < frames; ++i) {
        for (int ch = 0; ch < channels_; ++ch) {
            int16_t &s = samples[i * channels_ + ch];
            float x = s;
            for (int b = 0; b < kBands; ++b) {
                if (gains_[b] != 0.0f)
                    x = bands_[b].process(ch, x);
            }
            s = static_cast<int16_t>(std::clamp(std::lround(x), -32768L, 32767L));
        }
    }
}
