// Small arithmetic helpers shared by every subsystem: the rounding multiply-divide used for
// slider/sample conversions, the minutes:seconds text, and sample/millisecond conversion.
#pragma once

#include <QString>

#include <cstdint>

// a * b / c, formed in 64 bits, rounded to nearest with halves away from zero.
// A zero divisor or a result outside 32 bits gives -1.
int MulDiv(int32_t a, int32_t b, int32_t c);

// n whole seconds as "mm:ss" (minutes are not capped at 59: 3725 gives "62:05").
QString SecondToTime(int32_t n);

// Milliseconds to sample frames and back at a sample rate, rounding to nearest.
int32_t MillisecondsToFrames(int32_t ms, int frequency);
int32_t FramesToMilliseconds(int64_t frames, int frequency);
