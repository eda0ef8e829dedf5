// The recording clock's decisions on a timer tick: auto stop for the whole recording, auto
// split for the current part. Both compare whole seconds as the time display shows them.
#pragma once

#include <cstdint>

struct ClockLimits {
    int32_t recordTime = -1;  // seconds; 0 or less: no auto stop
    bool split = false;
    int32_t splitTime = 0;      // seconds; 0 or less: no split
    int32_t totalFileTime = 0;  // seconds of the parts already finished
};

enum class ClockAction { None, AutoStop, Split };

// `hours`, `minutes`, `seconds` are the fields the time display shows after the tick.
ClockAction EvaluateClock(const ClockLimits &limits, int hours, int minutes, int seconds);

// The display total for a tick: elapsed milliseconds of this part plus the earlier parts.
int32_t ClockMilliseconds(int32_t partMs, int32_t totalFileTime);
