// Second-order IIR sections (RBJ audio-EQ-cookbook designs) and a cascade of them that takes
// a new design without clicks. Both run on interleaved mono or stereo 16-bit frames.
#pragma once

#include <array>
#include <cstdint>

struct BiquadCoefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // normalised so that a0 == 1

    // A design frequency outside what the sample rate can carry is moved to the nearest end
    // of the usable range (just above 0 Hz, just below the Nyquist limit), so every setting
    // gives a stable filter instead of being refused.
    static BiquadCoefficients lowPass(double frequency, double sampleRate, double q = 0.7071);
    static BiquadCoefficients highPass(double frequency, double sampleRate, double q = 0.7071);
    static BiquadCoefficients notch(double frequency, double sampleRate, double q = 4.0);
    static BiquadCoefficients peaking(double frequency, double sampleRate, double gainDb,
                                      double q = 1.41);

    // The highest frequency a design is placed at, for a sample rate.
    static double maxDesignFrequency(double sampleRate) { return sampleRate * 0.49; }

    bool operator==(const BiquadCoefficients &o) const {
        return b0 == o.b0 && b1 == o.b1 && b2 == o.b2 && a1 == o.a1 && a2 == o.a2;
    }
    bool operator!=(const BiquadCoefficients &o) const { return !(*this == o); }
};

// One section in direct form II transposed, with state for up to two channels. Double
// precision keeps the low bands (poles close to z = 1) free of audible rounding noise.
class Biquad {
public:
    static constexpr int kMaxChannels = 2;

    void setCoefficients(const BiquadCoefficients &c) { c_ = c; }
    const BiquadCoefficients &coefficients() const { return c_; }
    void reset() {
        z1_.fill(0);
        z2_.fill(0);
    }

    double process(int channel, double x) {
        const double y = c_.b0 * x + z1_[channel];
        z1_[channel] = c_.b1 * x - c_.a1 * y + z2_[channel];
        z2_[channel] = c_.b2 * x - c_.a2 * y;
        return y;
    }

private:
    BiquadCoefficients c_;
    std::array<double, kMaxChannels> z1_{};
    std::array<double, kMaxChannels> z2_{};
};

// Up to kMaxStages sections in series, each switched on or off.
//
// A new design never takes over at once: the cascade in force and the new one run side by
// side over a short ramp while the output fades from one to the other, so switching a filter,
// moving a frequency or changing a gain makes no click. A design that arrives during a ramp
// waits for it to end (only the latest one is kept), so a dragged slider glides through its
// values. With every stage off and no ramp running the samples are left untouched, bit for bit.
class BiquadCascade {
public:
    static constexpr int kMaxStages = 12;

    struct Stage {
        bool active = false;
        BiquadCoefficients coefficients;
    };
    using Design = std::array<Stage, kMaxStages>;

    // Channels (1 or 2) and the ramp length in frames. Clears the state.
    void configure(int channels, int fadeFrames);
    // Puts `design` in force at once with cleared state: for a stream that starts afresh.
    void setDesignNow(const Design &design);
    // Moves to `design` over one ramp (after the running one, if any).
    void setDesign(const Design &design);
    // The samples to come do not continue the last ones (a new stream, or the cascade was not
    // run for a while): forget the history and fade in from the unfiltered signal.
    void restart();

    void process(int16_t *samples, int frames);

    // The design the cascade is in or on its way to.
    const Design &target() const;
    // True while a ramp runs or waits.
    bool fading() const { return fadePos_ >= 0 || pending_; }

    static bool sameDesign(const Design &a, const Design &b);

private:
    struct Chain {
        Design design;
        std::array<Biquad, kMaxStages> filters;

        bool anyActive() const;
        double run(int channel, double x);
    };

    void beginFade(const Design &design);

    Chain current_;
    Chain next_;
    int channels_ = 2;
    int fadeFrames_ = 882;
    int fadePos_ = -1;  // frames into the running ramp, -1 when none runs
    bool pending_ = false;
    Design pendingDesign_{};
};
