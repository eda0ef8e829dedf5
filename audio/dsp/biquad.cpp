#include "audio/dsp/biquad.h"

#include <algorithm>
#include <cmath>

namespace {

double clampFrequency(double frequency, double sampleRate) {
    if (std::isnan(frequency))
        frequency = 0;
    return std::clamp(frequency, 1.0, BiquadCoefficients::maxDesignFrequency(sampleRate));
}

BiquadCoefficients normalise(double b0, double b1, double b2, double a0, double a1, double a2) {
    BiquadCoefficients c;
    c.b0 = b0 / a0;
    c.b1 = b1 / a0;
    c.b2 = b2 / a0;
    c.a1 = a1 / a0;
    c.a2 = a2 / a0;
    return c;
}

struct Angle {
    double cw;
    double alpha;
};

Angle angle(double frequency, double sampleRate, double q) {
    const double w = 2 * M_PI * clampFrequency(frequency, sampleRate) / sampleRate;
    return {std::cos(w), std::sin(w) / (2 * q)};
}

int16_t toSample(double y) {
    return static_cast<int16_t>(std::clamp(std::lround(y), -32768L, 32767L));
}

}  // namespace

BiquadCoefficients BiquadCoefficients::lowPass(double frequency, double sampleRate, double q) {
    const auto [cw, alpha] = angle(frequency, sampleRate, q);
    return normalise((1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::highPass(double frequency, double sampleRate, double q) {
    const auto [cw, alpha] = angle(frequency, sampleRate, q);
    return normalise((1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::notch(double frequency, double sampleRate, double q) {
    const auto [cw, alpha] = angle(frequency, sampleRate, q);
    return normalise(1, -2 * cw, 1, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::peaking(double frequency, double sampleRate, double gainDb,
                                               double q) {
    const double a = std::pow(10.0, gainDb / 40);
    const auto [cw, alpha] = angle(frequency, sampleRate, q);
    return normalise(1 + alpha * a, -2 * cw, 1 - alpha * a, 1 + alpha / a, -2 * cw, 1 - alpha / a);
}

bool BiquadCascade::Chain::anyActive() const {
    return std::any_of(design.begin(), design.end(), [](const Stage &s) { return s.active; });
}

double BiquadCascade::Chain::run(int channel, double x) {
    for (int i = 0; i < kMaxStages; ++i) {
        if (design[i].active)
            x = filters[i].process(channel, x);
    }
    return x;
}

bool BiquadCascade::sameDesign(const Design &a, const Design &b) {
    for (int i = 0; i < kMaxStages; ++i) {
        if (a[i].active != b[i].active)
            return false;
        if (a[i].active && a[i].coefficients != b[i].coefficients)
            return false;
    }
    return true;
}

void BiquadCascade::configure(int channels, int fadeFrames) {
    channels_ = std::clamp(channels, 1, Biquad::kMaxChannels);
    fadeFrames_ = std::max(1, fadeFrames);
    setDesignNow(target());
}

void BiquadCascade::setDesignNow(const Design &design) {
    current_.design = design;
    for (int i = 0; i < kMaxStages; ++i) {
        current_.filters[i].setCoefficients(design[i].coefficients);
        current_.filters[i].reset();
    }
    fadePos_ = -1;
    pending_ = false;
}

const BiquadCascade::Design &BiquadCascade::target() const {
    if (pending_)
        return pendingDesign_;
    return fadePos_ >= 0 ? next_.design : current_.design;
}

void BiquadCascade::setDesign(const Design &design) {
    if (fadePos_ >= 0) {
        pending_ = true;
        pendingDesign_ = design;
        return;
    }
    if (!sameDesign(design, current_.design))
        beginFade(design);
}

void BiquadCascade::restart() {
    const Design wanted = target();
    setDesignNow(Design{});  // everything off: the unfiltered signal
    if (std::any_of(wanted.begin(), wanted.end(), [](const Stage &s) { return s.active; }))
        beginFade(wanted);
    else
        current_.design = wanted;
}

void BiquadCascade::beginFade(const Design &design) {
    next_.design = design;
    for (int i = 0; i < kMaxStages; ++i) {
        // A stage that stays on continues from the state of its predecessor, so the new
        // cascade joins the running signal instead of starting from silence.
        Biquad &filter = next_.filters[i];
        if (design[i].active && current_.design[i].active)
            filter = current_.filters[i];
        else
            filter.reset();
        filter.setCoefficients(design[i].coefficients);
    }
    fadePos_ = 0;
}

void BiquadCascade::process(int16_t *samples, int frames) {
    if (fadePos_ < 0 && !current_.anyActive())
        return;
    for (int i = 0; i < frames; ++i) {
        int16_t *frame = samples + static_cast<size_t>(i) * channels_;
        if (fadePos_ < 0) {
            for (int ch = 0; ch < channels_; ++ch)
                frame[ch] = toSample(current_.run(ch, frame[ch]));
            continue;
        }
        // A raised-cosine ramp: it starts and ends flat, so the first frames of a cascade
        // that starts from rest (and its settling) are barely heard.
        const double t =
            0.5 - 0.5 * std::cos(M_PI * static_cast<double>(fadePos_ + 1) / fadeFrames_);
        for (int ch = 0; ch < channels_; ++ch) {
            const double x = frame[ch];
            const double from = current_.run(ch, x);
            const double to = next_.run(ch, x);
            frame[ch] = toSample(from + t * (to - from));
        }
        if (++fadePos_ >= fadeFrames_) {
            current_ = next_;
            fadePos_ = -1;
            if (pending_) {
                pending_ = false;
                if (!sameDesign(pendingDesign_, current_.design))
                    beginFade(pendingDesign_);
            }
        }
    }
}
