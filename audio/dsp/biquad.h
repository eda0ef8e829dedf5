// A second-order IIR section (RBJ audio-EQ-cookbook designs), run in direct form II
// transposed on interleaved stereo or mono 16-bit frames via float.
#pragma once

#include <array>

struct BiquadCoefficients {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // normalised so that a0 == 1

    static BiquadCoefficients lowPass(double frequency, double sampleRate, double q = 0.7071);
    static BiquadCoefficients highPass(double frequency, double sampleRate, double q = 0.7071);
    static BiquadCoefficients notch(double frequency, double sampleRate, double q = 4.0);
    static BiquadCoefficients peaking(double frequency, double sampleRate, double gainDb,
                                      double q = 1.41);
};

class Biquad {
public:
    void setCoefficients(const BiquadCoefficients &c) { c_ = c; }
    void reset() {
        z1_.fill(0);
        z2_.fill(0);
    }

    float process(int channel, float x) {
        const float y = c_.b0 * x + z1_[channel];
        z1_[channel] = c_.b1 * x - c_.a1 * y + z2_[channel];
        z2_[channel] = c_.b2 * x - c_.a2 * y;
        return y;
    }

private:
    BiquadCoefficients c_;
    std::array<float, 2> z1_{};
    std::array<float, 2> z2_{};
};
