#include "audio/dsp/playback_equalizer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFadesPerSecond = 50;  // a 20 ms ramp for every change of curve

double octavesBetween(int low, int high) {
    return std::log2(static_cast<double>(high) / low);
}

}  // namespace

double PlaybackEqualizer::bandQ(int band) {
    const auto &f = kCentreFrequencies;
    double octaves;
    if (band <= 0)
        octaves = octavesBetween(f[0], f[1]);
    else if (band >= kBands - 1)
        octaves = octavesBetween(f[kBands - 2], f[kBands - 1]);
    else
        octaves = (octavesBetween(f[band - 1], f[band]) + octavesBetween(f[band], f[band + 1])) / 2;
    const double ratio = std::pow(2.0, octaves);
    return std::sqrt(ratio) / (ratio - 1);
}

PlaybackEqualizer::PlaybackEqualizer() {
    cascade_.configure(channels_, sampleRate_ / kFadesPerSecond);
}

void PlaybackEqualizer::setGains(const std::array<float, kBands> &gainsDb) {
    for (int i = 0; i < kBands; ++i) {
        gains_[i] =
            std::isfinite(gainsDb[i]) ? std::clamp(gainsDb[i], kMinGainDb, kMaxGainDb) : 0.0f;
    }
    if (enabled_)
        cascade_.setDesign(design());
}

void PlaybackEqualizer::setEnabled(bool on) {
    if (on == enabled_)
        return;
    enabled_ = on;
    cascade_.setDesign(on ? design() : BiquadCascade::Design{});
}

void PlaybackEqualizer::setFormat(int sampleRate, int channels) {
    sampleRate = std::max(sampleRate, 1000);
    channels = std::clamp(channels, 1, 2);
    if (sampleRate == sampleRate_ && channels == channels_)
        return;
    sampleRate_ = sampleRate;
    channels_ = channels;
    cascade_.configure(channels_, sampleRate_ / kFadesPerSecond);
    cascade_.setDesignNow(enabled_ ? design() : BiquadCascade::Design{});
}

void PlaybackEqualizer::reset() {
    cascade_.restart();
}

void PlaybackEqualizer::process(int16_t *samples, int frames) {
    cascade_.process(samples, frames);
}

BiquadCascade::Design PlaybackEqualizer::design() const {
    // Bands the format cannot carry (above its Nyquist limit) are moved down to the top of
    // its range. Several bands landing there would stack their gains, so they act as one
    // band with their average gain.
    const double top = BiquadCoefficients::maxDesignFrequency(sampleRate_);
    BiquadCascade::Design design{};
    int b = 0;
    while (b < kBands) {
        double frequency = kCentreFrequencies[b];
        int last = b;
        double gain = gains_[b];
        if (frequency > top) {
            frequency = top;
            while (last + 1 < kBands) {
                gain += gains_[++last];
            }
            gain /= last - b + 1;
        }
        if (gain != 0) {
            design[b].active = true;
            design[b].coefficients =
                BiquadCoefficients::peaking(frequency, sampleRate_, gain, bandQ(b));
        }
        b = last + 1;
    }
    return design;
}
