// The player's twelve-band graphic equaliser: peaking sections at fixed centre frequencies,
// run on interleaved 16-bit frames. Bands at 0 dB are left out, so a flat curve leaves the
// signal untouched; gain changes fade in over a few milliseconds instead of clicking.
#pragma once

#include "audio/dsp/biquad.h"

#include <array>
#include <cstdint>

class PlaybackEqualizer {
public:
    static constexpr int kBands = 12;
    static constexpr float kMinGainDb = -15.0f;
    static constexpr float kMaxGainDb = 15.0f;

    // Centre frequency of each band in Hz, from the lowest. Octave steps up to 2 kHz, closer
    // steps through the presence range (2, 3, 4 kHz) where the ear is most sensitive, then
    // wide steps to the top of the audible range. The band sliders are labelled with these.
    static constexpr std::array<int, kBands> kCentreFrequencies = {
        32, 64, 125, 250, 500, 1000, 2000, 3000, 4000, 8000, 12000, 16000};

    // Bandwidth of each band: half the distance to its neighbours on either side (in octaves),
    // as a peaking-filter Q, so neighbouring bands meet near their -3 dB points.
    static double bandQ(int band);

    PlaybackEqualizer();

    void setGains(const std::array<float, kBands> &gainsDb);
    const std::array<float, kBands> &gains() const { return gains_; }
    // Switching off fades to the unequalised signal (then passed on bit for bit) and switching
    // on fades the curve in, for a player that keeps calling process() either way. The curve
    // is kept while off.
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    void setFormat(int sampleRate, int channels);
    // The next frames do not follow the last ones processed (playback restarted, or the
    // equaliser was switched back on): fade the curve in from the unequalised signal.
    void reset();
    void process(int16_t *samples, int frames);

    // The sections for the current gains and format (for tests and display).
    BiquadCascade::Design design() const;

private:
    std::array<float, kBands> gains_{};
    BiquadCascade cascade_;
    int sampleRate_ = 44100;
    int channels_ = 2;
    bool enabled_ = true;
};
