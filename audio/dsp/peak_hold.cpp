#include "audio/dsp/peak_hold.h"

#include <algorithm>

void PeakHold::level(double fraction, bool clipped, int64_t nowMs) {
    if (clipped) {
        clipped_ = true;
        clipUntilMs_ = nowMs + kClipHoldMs;
    }
    if (fraction >= peak_) {
        peak_ = fraction;
        held_ = true;
        peakAtMs_ = nowMs;
        fallenAtAge_ = 0;
    } else {
        fall(fraction, nowMs);
    }
    level_ = fraction;
}

void PeakHold::advance(int64_t nowMs) {
    fall(level_, nowMs);
}

// The fall is worked out from the time since the hold ended (or since the last fall), so
// the pace is the same however often levels come.
void PeakHold::fall(double towards, int64_t nowMs) {
    if (!held_)
        return;
    const int64_t age = nowMs - peakAtMs_;
    if (age <= kHoldMs)
        return;
    const int64_t from = std::max(kHoldMs, fallenAtAge_);
    peak_ = std::max(towards, peak_ - kFallPerMs * static_cast<double>(age - from));
    fallenAtAge_ = age;
}
