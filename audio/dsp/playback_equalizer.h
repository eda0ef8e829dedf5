// The player's twelve-band graphic equaliser: peaking sections at fixed centre frequencies,
// run on interleaved 16-bit frames. A flat curve is skipped entirely.
#pragma once

#include "audio/dsp/biquad.h"

#include <array>
#include <cstdint>

class PlaybackEqualizer {
public:
    static constexpr int kBands = 12;
    static const std::array<float, kBands> &centreFrequencies();

    void setGains(const std::array<float, kBands> &gainsDb);
    const std::array<float, kBands> &gains() const { return gains_; }
    void setFormat(int sampleRate, int channels);
    void reset();
    void process(int16_t *samples, int frames);

private:
    void design();

    std::array<float, kBands> gains_{};
    std::array<Biquad, kBands> bands_;
    int sampleRate_ = 44100;
    int channels_ = 2;
    bool flat_ = true;
};
