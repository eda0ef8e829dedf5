// The equaliser and recording-filter DSP on generated tones: band gains where the bands are,
// a flat curve and switched-off filters leaving the signal untouched, frequencies the format
// cannot carry, and changes made while the signal runs staying free of clicks.
#include "audio/dsp/playback_equalizer.h"
#include "audio/dsp/recording_filter_bank.h"
#include "audio/widgets/nct_equalizer2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

std::vector<int16_t> tone(double hz, int rate, int frames, double amplitude, int channels = 1,
                          int64_t start = 0) {
    std::vector<int16_t> s(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * M_PI * hz * double(start + i) / rate);
        for (int ch = 0; ch < channels; ++ch)
            s[static_cast<size_t>(i) * channels + ch] = static_cast<int16_t>(std::lround(v));
    }
    return s;
}

// RMS of one channel over frames [from, end).
double rms(const std::vector<int16_t> &s, int channels, int channel, size_t from) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from * channels + channel; i < s.size(); i += channels, ++n)
        sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / n) : 0;
}

double db(double ratio) {
    return 20 * std::log10(ratio);
}

// Gain in dB that `process` gives a steady tone, measured after the filters settled.
double measuredGain(double hz, int rate, const std::function<void(std::vector<int16_t> &)> &process,
                    double amplitude = 3000) {
    std::vector<int16_t> s = tone(hz, rate, rate / 2, amplitude);
    const std::vector<int16_t> in = s;
    process(s);
    return db(rms(s, 1, 0, rate / 4) / rms(in, 1, 0, rate / 4));
}

// How sharply a mono signal bends, relative to the sharpest bend a clean tone of that frequency
// and of the output's peak level can make (peak x w^2). A clean signal stays near 1; a click
// (a step or a corner in the waveform) shows as a large multiple.
double bendRatio(const std::vector<int16_t> &s, double hz, int rate) {
    double peak = 0, bend = 0;
    for (size_t i = 2; i < s.size(); ++i) {
        peak = std::max(peak, std::fabs(double(s[i])));
        bend = std::max(bend, std::fabs(double(s[i]) - 2.0 * s[i - 1] + s[i - 2]));
    }
    const double w = 2 * M_PI * hz / rate;
    return bend / (peak * w * w);
}

std::array<float, 12> oneBand(int band, float gain) {
    std::array<float, 12> gains{};
    gains[band] = gain;
    return gains;
}

}  // namespace

TEST(PlaybackEqualizerDsp, BandsAreTheOnesTheSlidersAreLabelledWith) {
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(PlaybackEqualizer::kCentreFrequencies[n - 1], TNCTEqualizer2::BandFrequency(n))
            << "band " << n;
}

TEST(PlaybackEqualizerDsp, EachBandMovesItsCentreFrequencyByItsGain) {
    for (int band = 0; band < 12; ++band) {
        for (float gain : {6.0f, -12.0f}) {
            PlaybackEqualizer eq;
            eq.setFormat(48000, 1);
            eq.setGains(oneBand(band, gain));
            const double measured =
                measuredGain(PlaybackEqualizer::kCentreFrequencies[band], 48000,
                             [&](std::vector<int16_t> &s) { eq.process(s.data(), s.size()); });
            EXPECT_NEAR(measured, gain, 0.2) << "band " << band + 1;
        }
    }
}

TEST(PlaybackEqualizerDsp, NeighbouringBandsOverlapOnlyPartly) {
    // A boost on 1 kHz reaches the next band's centre (2 kHz) much weaker.
    PlaybackEqualizer eq;
    eq.setFormat(44100, 1);
    eq.setGains(oneBand(5, 12.0f));
    const double at2k =
        measuredGain(2000, 44100, [&](std::vector<int16_t> &s) { eq.process(s.data(), s.size()); });
    EXPECT_GT(at2k, 0.5);
    EXPECT_LT(at2k, 6.0);
}

TEST(PlaybackEqualizerDsp, FlatCurveLeavesTheSignalBitExact) {
    PlaybackEqualizer eq;
    eq.setFormat(44100, 2);
    std::vector<int16_t> s = tone(997, 44100, 4410, 30000, 2);
    s[10] = -32768;
    s[11] = 32767;
    const std::vector<int16_t> in = s;
    eq.process(s.data(), 4410);
    EXPECT_EQ(s, in);

    // After a curve was used and then flattened again, once the fade is over.
    eq.setGains(oneBand(3, 9.0f));
    std::vector<int16_t> shaped = tone(997, 44100, 4410, 10000, 2);
    eq.process(shaped.data(), 4410);
    eq.setGains({});
    std::vector<int16_t> fading = tone(997, 44100, 4410, 10000, 2);
    eq.process(fading.data(), 4410);
    s = in;
    eq.process(s.data(), 4410);
    EXPECT_EQ(s, in);
}

TEST(PlaybackEqualizerDsp, BandsAboveNyquistActAtTheTopWithoutStacking) {
    // At 8 kHz the bands from 4 kHz up cannot be carried; boosting all four must not add
    // up to +60 dB at the top of the range.
    PlaybackEqualizer eq;
    eq.setFormat(8000, 1);
    std::array<float, 12> gains{};
    for (int band = 8; band < 12; ++band)
        gains[band] = 15.0f;
    eq.setGains(gains);
    const double top = BiquadCoefficients::maxDesignFrequency(8000);
    const double measured = measuredGain(
        top, 8000, [&](std::vector<int16_t> &s) { eq.process(s.data(), s.size()); }, 1000);
    EXPECT_NEAR(measured, 15.0, 0.5);

    int activeStages = 0;
    for (const BiquadCascade::Stage &stage : eq.design())
        activeStages += stage.active;
    EXPECT_EQ(activeStages, 1);

    // Bands the format carries keep their own place.
    eq.setGains(oneBand(7, -12.0f));  // 3 kHz
    const double at3k =
        measuredGain(3000, 8000, [&](std::vector<int16_t> &s) { eq.process(s.data(), s.size()); });
    EXPECT_NEAR(at3k, -12.0, 0.3);
}

TEST(PlaybackEqualizerDsp, GainChangesAndSwitchingOnDoNotClick) {
    const int rate = 44100, chunk = 441;
    PlaybackEqualizer eq;
    eq.setFormat(rate, 1);
    std::vector<int16_t> out;
    for (int k = 0; k < 100; ++k) {
        if (k == 20)
            eq.setGains(oneBand(5, 12.0f));
        if (k == 40)
            eq.setGains(oneBand(5, -15.0f));
        if (k == 41)  // arrives while the previous change still fades
            eq.setGains(oneBand(5, 6.0f));
        if (k == 60)
            eq.setGains({});
        if (k == 70) {
            eq.setGains(oneBand(5, 12.0f));
            eq.reset();  // as when the player switches the equaliser back on
        }
        std::vector<int16_t> s = tone(1000, rate, chunk, 7000, 1, int64_t(k) * chunk);
        eq.process(s.data(), chunk);
        out.insert(out.end(), s.begin(), s.end());
    }
    EXPECT_LT(bendRatio(out, 1000, rate), 1.15);
    // ...and the last curve is the one in force.
    EXPECT_NEAR(db(rms(out, 1, 0, out.size() - 4410) / (7000 / std::sqrt(2.0))), 12.0, 0.2);
}

TEST(PlaybackEqualizerDsp, SwitchingOffFadesToTheUnequalisedSignal) {
    const int rate = 44100, chunk = 441;
    PlaybackEqualizer eq;
    eq.setFormat(rate, 1);
    eq.setGains(oneBand(5, 12.0f));
    std::vector<int16_t> out, dry;
    for (int k = 0; k < 60; ++k) {
        if (k == 20)
            eq.setEnabled(false);
        if (k == 35)
            eq.setGains(oneBand(6, -9.0f));  // kept for later, not heard while off
        if (k == 40)
            eq.setEnabled(true);
        if (k == 50)
            eq.setEnabled(false);
        std::vector<int16_t> s = tone(1000, rate, chunk, 7000, 1, int64_t(k) * chunk);
        if (k >= 25 && k < 40)
            dry.insert(dry.end(), s.begin(), s.end());
        eq.process(s.data(), chunk);
        out.insert(out.end(), s.begin(), s.end());
    }
    EXPECT_LT(bendRatio(out, 1000, rate), 1.15);
    const std::vector<int16_t> whileOff(out.begin() + 25 * chunk, out.begin() + 40 * chunk);
    EXPECT_EQ(whileOff, dry);
    EXPECT_FALSE(eq.enabled());
    EXPECT_FLOAT_EQ(eq.gains()[6], -9.0f);
}

TEST(RecordingFilterDsp, SwitchedOffFiltersLeaveTheSignalBitExact) {
    RecordingFilterBank bank;
    RecordingFilterBank::Settings settings;
    settings.notchHz = 60;
    bank.configure(settings, 44100, 2);
    std::vector<int16_t> s = tone(440, 44100, 4410, 32000, 2);
    const std::vector<int16_t> in = s;
    bank.process(s.data(), 4410);
    EXPECT_EQ(s, in);
    EXPECT_FALSE(bank.active());
}

TEST(RecordingFilterDsp, FrequenciesAboveNyquistAreClampedNotRejected) {
    // The sliders reach 44100 Hz whatever the capture rate.
    RecordingFilterBank bank;
    RecordingFilterBank::Settings settings;
    settings.lowPass = true;
    settings.lowPassHz = 44100;
    bank.configure(settings, 22050, 1);
    const double passed = measuredGain(
        440, 22050, [&](std::vector<int16_t> &s) { bank.process(s.data(), s.size()); });
    EXPECT_NEAR(passed, 0.0, 0.1);

    RecordingFilterBank highPass;
    settings.lowPass = false;
    settings.highPass = true;
    settings.highPassHz = 44100;
    highPass.configure(settings, 22050, 1);
    const double cut = measuredGain(
        440, 22050, [&](std::vector<int16_t> &s) { highPass.process(s.data(), s.size()); });
    EXPECT_LT(cut, -40.0);
}

TEST(RecordingFilterDsp, SwitchingAndTuningWhileRecordingDoesNotClick) {
    const int rate = 44100, chunk = 441;
    RecordingFilterBank bank;
    RecordingFilterBank::Settings settings;
    bank.configure(settings, rate, 1);
    std::vector<int16_t> out;
    for (int k = 0; k < 120; ++k) {
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
        bank.configure(settings, rate, 1);
        std::vector<int16_t> s = tone(440, rate, chunk, 10000, 1, int64_t(k) * chunk);
        bank.process(s.data(), chunk);
        out.insert(out.end(), s.begin(), s.end());
    }
    EXPECT_LT(bendRatio(out, 440, rate), 1.15);
}
