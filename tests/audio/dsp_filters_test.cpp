// The equaliser and recording-filter DSP on generated tones: band gains where the bands are,
// frequencies the format cannot carry, and changes made while the signal runs staying free
// of clicks, with the untouched signal bit for bit once everything is off.
#include "audio/dsp/playback_equalizer.h"
#include "audio/dsp/recording_filter_bank.h"
#include "widgets/nct_equalizer2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

using Process = std::function<void(int16_t *, int)>;

std::vector<int16_t> tone(double hz, int rate, int frames, double amplitude, int64_t start = 0) {
    std::vector<int16_t> s(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * M_PI * hz * double(start + i) / rate)));
    return s;
}

double rms(const std::vector<int16_t> &s, size_t from) {
    double sum = 0;
    for (size_t i = from; i < s.size(); ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(s.size() - from));
}

// Gain in dB that `process` gives a steady mono tone, after half of it let the filters settle.
double gainAt(double hz, int rate, const Process &process, double amplitude = 3000) {
    std::vector<int16_t> s = tone(hz, rate, rate / 2, amplitude);
    process(s.data(), rate / 2);
    return 20 * std::log10(rms(s, rate / 4) / rms(tone(hz, rate, rate / 2, amplitude), rate / 4));
}

// Runs a tone through `process` in 10 ms chunks, calling `change(k)` before chunk k. Returns
// the output and how sharply it bends relative to the sharpest bend a clean tone of that
// frequency and the output's peak can make (peak x w^2): near 1 for a clean signal, a large
// multiple where a step or corner (a click) appears.
std::pair<std::vector<int16_t>, double> runWithChanges(double hz, int rate, int chunks,
                                                       const std::function<void(int)> &change,
                                                       const Process &process) {
    const int chunk = rate / 100;
    std::vector<int16_t> out;
    for (int k = 0; k < chunks; ++k) {
        change(k);
        std::vector<int16_t> s = tone(hz, rate, chunk, 7000, int64_t(k) * chunk);
        process(s.data(), chunk);
        out.insert(out.end(), s.begin(), s.end());
    }
    double peak = 0, bend = 0;
    for (size_t i = 2; i < out.size(); ++i) {
        peak = std::max(peak, std::fabs(double(out[i])));
        bend = std::max(bend, std::fabs(double(out[i]) - 2.0 * out[i - 1] + out[i - 2]));
    }
    const double w = 2 * M_PI * hz / rate;
    return {out, bend / (peak * w * w)};
}

std::array<float, 12> oneBand(int band, float gain) {
    std::array<float, 12> gains{};
    gains[band] = gain;
    return gains;
}

}  // namespace

TEST(PlaybackEqualizerDsp, EachBandActsAtTheFrequencyItsSliderIsLabelledWith) {
    for (int band = 0; band < 12; ++band) {
        ASSERT_EQ(PlaybackEqualizer::kCentreFrequencies[band],
                  TNCTEqualizer2::BandFrequency(band + 1));
        for (float gain : {6.0f, -12.0f}) {
            PlaybackEqualizer eq;
            eq.setFormat(48000, 1);
            eq.setGains(oneBand(band, gain));
            const double hz = PlaybackEqualizer::kCentreFrequencies[band];
            EXPECT_NEAR(gainAt(hz, 48000, [&](int16_t *s, int n) { eq.process(s, n); }), gain, 0.2)
                << "band " << band + 1;
        }
    }
}

TEST(PlaybackEqualizerDsp, FrequenciesAboveNyquistAreClampedNotRejectedNorStacked) {
    // At 8 kHz the bands from 4 kHz up cannot be carried: together they act once at the top
    // of the range instead of adding up to +60 dB there.
    PlaybackEqualizer eq;
    eq.setFormat(8000, 1);
    std::array<float, 12> gains{};
    for (int band = 8; band < 12; ++band)
        gains[band] = 15.0f;
    eq.setGains(gains);
    const double top = BiquadCoefficients::maxDesignFrequency(8000);
    EXPECT_NEAR(gainAt(
                    top, 8000, [&](int16_t *s, int n) { eq.process(s, n); }, 1000),
                15.0, 0.5);

    // The recording filters' sliders reach 44100 Hz whatever the capture rate.
    RecordingFilterBank lowPass, highPass;
    RecordingFilterBank::Settings settings;
    settings.lowPass = true;
    settings.lowPassHz = 44100;
    lowPass.configure(settings, 22050, 1);
    EXPECT_NEAR(gainAt(440, 22050, [&](int16_t *s, int n) { lowPass.process(s, n); }), 0.0, 0.1);
    settings = {};
    settings.highPass = true;
    settings.highPassHz = 44100;
    highPass.configure(settings, 22050, 1);
    EXPECT_LT(gainAt(440, 22050, [&](int16_t *s, int n) { highPass.process(s, n); }), -40.0);
}

TEST(PlaybackEqualizerDsp, CurveChangesAndSwitchingFadeWithoutClicks) {
    PlaybackEqualizer eq;
    eq.setFormat(44100, 1);
    const auto [out, bend] = runWithChanges(
        1000, 44100, 100,
        [&](int k) {
            if (k == 10)
                eq.setGains(oneBand(5, 12.0f));
            if (k == 30)
                eq.setGains(oneBand(5, -15.0f));
            if (k == 31)  // arrives while the previous change still fades
                eq.setGains(oneBand(5, 6.0f));
            if (k == 50)
                eq.setEnabled(false);
            if (k == 60) {
                eq.setEnabled(true);
                eq.reset();  // as when the player switches the equaliser back on
            }
            if (k == 80)
                eq.setGains({});
        },
        [&](int16_t *s, int n) { eq.process(s, n); });
    EXPECT_LT(bend, 1.15);
    // Off, and flat once the fade is over: the signal passes bit for bit.
    const int chunk = 441;
    const std::vector<int16_t> whileOff(out.begin() + 55 * chunk, out.begin() + 60 * chunk);
    EXPECT_EQ(whileOff, tone(1000, 44100, 5 * chunk, 7000, 55 * chunk));
    const std::vector<int16_t> flat(out.begin() + 85 * chunk, out.end());
    EXPECT_EQ(flat, tone(1000, 44100, 15 * chunk, 7000, 85 * chunk));
}

TEST(RecordingFilterDsp, SwitchingAndTuningWhileRecordingDoesNotClick) {
    RecordingFilterBank bank;
    RecordingFilterBank::Settings settings;
    bank.configure(settings, 44100, 1);
    const auto [out, bend] = runWithChanges(
        440, 44100, 120,
        [&](int k) {
            if (k == 10) {
                settings.highPass = true;
                settings.highPassHz = 2000;
            }
            if (k == 30)
                settings.highPass = false;
            if (k == 50) {
                settings.lowPass = true;
                settings.lowPassHz = 300;
            }
            if (k >= 60 && k < 80)  // a dragged slider
                settings.lowPassHz = 300 + (k - 60) * 100;
            if (k == 90) {
                settings.notch = true;
                settings.notchHz = 440;
            }
            if (k == 105)
                settings = RecordingFilterBank::Settings();
            bank.configure(settings, 44100, 1);
        },
        [&](int16_t *s, int n) { bank.process(s, n); });
    EXPECT_LT(bend, 1.15);
    const std::vector<int16_t> off(out.begin() + 110 * 441, out.end());
    EXPECT_EQ(off, tone(440, 44100, 10 * 441, 7000, 110 * 441));
}
