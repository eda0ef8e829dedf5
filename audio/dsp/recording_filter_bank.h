// The recorder's notch, high-pass and low-pass filters, applied in place to captured
// interleaved 16-bit frames. Only enabled filters run, so the default costs nothing.
#pragma once

#include "audio/dsp/biquad.h"

#include <cstdint>

class RecordingFilterBank {
public:
    struct Settings {
        bool notch = false, highPass = false, lowPass = false;
        float notchHz = 50, highPassHz = 100, lowPassHz = 15000;
    };

    void configure(const Settings &settings, int sampleRate, int channels);
    void process(int16_t *samples, int frames);
    bool active() const { return settings_.notch || settings_.highPass || settings_.lowPass; }

private:
    Settings settings_;
    int channels_ = 2;
    Biquad notch_, highPass_, lowPass_;
};
