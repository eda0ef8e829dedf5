#include "audio/units.h"

#include <limits>

int MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    int64_t quotient = product / c;
    const int64_t remainder = product % c;
    // Round half away from zero: compare twice the remainder with the divisor's magnitude.
    const int64_t absRemainder2 = 2 * (remainder < 0 ? -remainder : remainder);
    const int64_t absDivisor = c < 0 ? -static_cast<int64_t>(c) : c;
    if (absRemainder2 >= absDivisor)
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int32_t>::max() ||
        quotient < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int>(quotient);
}

QString SecondToTime(int32_t n) {
    const int32_t minutes = n / 60;
    const int32_t seconds = n % 60;
    auto field = [](int32_t v) {
        return v <= 9 ? QStringLiteral("0%1").arg(v) : QString::number(v);
    };
    return field(minutes) + QLatin1Char(':') + field(seconds);
}

int32_t MillisecondsToFrames(int32_t ms, int frequency) {
    return static_cast<int32_t>((static_cast<int64_t>(ms) * frequency + 500) / 1000);
}

int32_t FramesToMilliseconds(int64_t frames, int frequency) {
    if (frequency <= 0)
        return 0;
    return static_cast<int32_t>((frames * 1000 + frequency / 2) / frequency);
}
