#include "audio/dsp/recording_filter_bank.h"

#include <algorithm>
#include <cmath>

void RecordingFilterBank::configure(const Settings &settings, int sampleRate, int channels) {
    // Changing a frequency keeps the filter state, so moving a slider does not click.
    if (settings.notch && !settings_.notch)
        notch_.reset();
    if (settings.highPass && !settings_.highPass)
        highPass_.reset();
    if (settings.lowPass && !settings_.lowPass)
        lowPass_.reset();
    settings_ = settings;
    channels_ = std::clamp(channels, 1, 2);
    notch_.setCoefficients(BiquadCoefficients::notch(settings.notchHz, sampleRate));
    highPass_.setCoefficients(BiquadCoefficients::highPass(settings.highPassHz, sampleRate));
    lowPass_.setCoefficients(BiquadCoefficients::lowPass(settings.lowPassHz, sampleRate));
}

void RecordingFilterBank::process(int16_t *samples, int frames) {
    if (!active())
        return;
    for (int i = 0; i < frames; ++i) {
        for (int ch = 0; ch < channels_; ++ch) {
            int16_t &s = samples[i * channels_ + ch];
            float x = s;
            if (settings_.highPass)
                x = highPass_.process(ch, x);
            if (settings_.lowPass)
                x = lowPass_.process(ch, x);
            if (settings_.notch)
                x = notch_.process(ch, x);
            s = static_cast<int16_t>(std::clamp(std::lround(x), -32768L, 32767L));
        }
    }
}
