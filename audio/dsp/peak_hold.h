// The held peak of a level meter and its clip mark, on a clock the caller passes in
// (milliseconds of any steady clock), so that their timing can be checked without waiting.
//
// Levels are fractions 0..1 of the meter's scale. A level at or above the held peak becomes
// the new peak and is held for kHoldMs; after that the peak falls by kFallPerMs of the scale
// per millisecond towards the latest level, moved whenever a level comes or advance() is
// called. A clipped level (a sample reached full scale) lights the clip mark for kClipHoldMs
// from the last such level.
#pragma once

#include <cstdint>

class PeakHold {
public:
    static constexpr int64_t kHoldMs = 1200;
    static constexpr double kFallPerMs = 0.025 / 40;  // 0.625 of the scale per second
    static constexpr int64_t kClipHoldMs = 2000;

    void level(double fraction, bool clipped, int64_t nowMs);
    // Lets the peak fall as far as it has by now, without a new level.
    void advance(int64_t nowMs);

    double peak() const { return peak_; }
    // The peak is above the latest level: it has more to fall.
    bool falling() const { return peak_ > level_; }
    bool clipLit(int64_t nowMs) const { return clipped_ && nowMs < clipUntilMs_; }
    int64_t clipUntilMs() const { return clipUntilMs_; }

private:
    void fall(double towards, int64_t nowMs);

    double level_ = 0.0;
    double peak_ = 0.0;
    bool held_ = false;        // a peak was set
    int64_t peakAtMs_ = 0;     // when it was
    int64_t fallenAtAge_ = 0;  // its age when it last fell; 0 while it has not
    bool clipped_ = false;
    int64_t clipUntilMs_ = 0;
};
