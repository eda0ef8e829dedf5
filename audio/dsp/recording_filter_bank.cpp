#include "audio/dsp/recording_filter_bank.h"

#include <algorithm>

namespace {

constexpr int kFadesPerSecond = 50;  // a 20 ms ramp for every change
enum Stage { kHighPass, kLowPass, kNotch };

}  // namespace

void RecordingFilterBank::configure(const Settings &settings, int sampleRate, int channels) {
    sampleRate = std::max(sampleRate, 1000);
    channels = std::clamp(channels, 1, 2);
    settings_ = settings;

    BiquadCascade::Design design{};
    design[kHighPass].active = settings.highPass;
    design[kHighPass].coefficients = BiquadCoefficients::highPass(settings.highPassHz, sampleRate);
    design[kLowPass].active = settings.lowPass;
    design[kLowPass].coefficients = BiquadCoefficients::lowPass(settings.lowPassHz, sampleRate);
    design[kNotch].active = settings.notch;
    design[kNotch].coefficients = BiquadCoefficients::notch(settings.notchHz, sampleRate, kNotchQ);

    if (sampleRate != sampleRate_ || channels != channels_) {
        sampleRate_ = sampleRate;
        channels_ = channels;
        cascade_.configure(channels, sampleRate / kFadesPerSecond);
        cascade_.setDesignNow(design);
    } else {
        cascade_.setDesign(design);
    }
}
