// The recorder's notch, high-pass and low-pass filters, applied in place to captured
// interleaved 16-bit frames. Only enabled filters run, so the default costs nothing and
// leaves the signal untouched; switching a filter or moving its frequency fades over a few
// milliseconds instead of clicking.
#pragma once

#include "audio/dsp/biquad.h"

#include <cstdint>

class RecordingFilterBank {
public:
    struct Settings {
        bool notch = false, highPass = false, lowPass = false;
        float notchHz = 50, highPassHz = 100, lowPassHz = 15000;
    };

    // Bandwidth of the notch: narrow enough to take out mains hum without its neighbours.
    static constexpr double kNotchQ = 4.0;

    // A change of sample rate or channels starts afresh; anything else fades over.
    void configure(const Settings &settings, int sampleRate, int channels);
    void process(int16_t *samples, int frames) { cascade_.process(samples, frames); }
    bool active() const { return settings_.notch || settings_.highPass || settings_.lowPass; }

private:
    Settings settings_;
    int sampleRate_ = 0;
    int channels_ = 0;
    BiquadCascade cascade_;
};
