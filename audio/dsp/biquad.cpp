#include "audio/dsp/biquad.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps a design frequency strictly inside (0, Nyquist) so the formulas stay finite.
double clampFrequency(double frequency, double sampleRate) {
    return std::clamp(frequency, 1.0, sampleRate * 0.499);
}

BiquadCoefficients normalise(double b0, double b1, double b2, double a0, double a1, double a2) {
    BiquadCoefficients c;
    c.b0 = static_cast<float>(b0 / a0);
    c.b1 = static_cast<float>(b1 / a0);
    c.b2 = static_cast<float>(b2 / a0);
    c.a1 = static_cast<float>(a1 / a0);
    c.a2 = static_cast<float>(a2 / a0);
    return c;
}

}  // namespace

BiquadCoefficients BiquadCoefficients::lowPass(double frequency, double sampleRate, double q) {
    const double w = 2 * M_PI * clampFrequency(frequency, sampleRate) / sampleRate;
    const double alpha = std::sin(w) / (2 * q);
    const double cw = std::cos(w);
    return normalise((1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::highPass(double frequency, double sampleRate, double q) {
    const double w = 2 * M_PI * clampFrequency(frequency, sampleRate) / sampleRate;
    const double alpha = std::sin(w) / (2 * q);
    const double cw = std::cos(w);
    return normalise((1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::notch(double frequency, double sampleRate, double q) {
    const double w = 2 * M_PI * clampFrequency(frequency, sampleRate) / sampleRate;
    const double alpha = std::sin(w) / (2 * q);
    const double cw = std::cos(w);
    return normalise(1, -2 * cw, 1, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::peaking(double frequency, double sampleRate, double gainDb,
                                               double q) {
    const double a = std::pow(10.0, gainDb / 40);
    const double w = 2 * M_PI * clampFrequency(frequency, sampleRate) / sampleRate;
    const double alpha = std::sin(w) / (2 * q);
    const double cw = std::cos(w);
    return normalise(1 + alpha * a, -2 * cw, 1 - alpha * a, 1 + alpha / a, -2 * cw, 1 - alpha / a);
}
