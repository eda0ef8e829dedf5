#include "recording/recording_clock.h"

ClockAction EvaluateClock(const ClockLimits &limits, int hours, int minutes, int seconds) {
    const int64_t shown = int64_t(hours) * 3600 + int64_t(minutes) * 60 + seconds;
    if (limits.recordTime > 0 && shown >= limits.recordTime)
        return ClockAction::AutoStop;
    if (limits.split && limits.splitTime > 0 && shown - limits.totalFileTime >= limits.splitTime)
        return ClockAction::Split;
    return ClockAction::None;
}

int32_t ClockMilliseconds(int32_t partMs, int32_t totalFileTime) {
    return static_cast<int32_t>(int64_t(partMs) + int64_t(totalFileTime) * 1000);
}
