// How far a capture stream has come in time: from when its fragments arrived, the number
// of frames captured up to a given moment.
//
// A sound server hands a capture over in fragments, so at any moment the frames captured
// last are still on their way. Each arrival says that the frames received so far were
// captured by then; the earliest arrivals of the last few seconds (those that waited least
// in the server) fix the relation between the stream's frames and the clock, and a moment's
// frame follows from it. Old arrivals are forgotten, so a burst of frames at the start (a
// source that handed over some history) and the drift between the device's clock and ours
// do not count for long; late ones (a server that stalled) never move the estimate.
#pragma once

#include <cstdint>
#include <limits>

// A stop keeps what is captured this long after the press as well. Sound reaches a monitor
// a little after the server reports it played (on PipeWire a graph cycle and a resampler
// later), so a finish at the bare moment could cut off the end of what the user heard; a
// few hundredths of a second more at the end cost nothing.
inline constexpr int64_t kFinishMarginUs = 50'000;

class CaptureFrontier {
public:
    explicit CaptureFrontier(int rate) : rate_(rate) {}

    // `total` frames have been received so far, the last of them at `nowUs` (any monotonic
    // clock, in microseconds).
    void arrived(int64_t total, int64_t nowUs);
    // The frames captured up to `momentUs` (same clock), counted like `total`; -1 while
    // nothing has arrived.
    int64_t framesCapturedBy(int64_t momentUs) const;

private:
    static constexpr int64_t kNone = std::numeric_limits<int64_t>::min();
    static constexpr int64_t kWindowUs = 2'000'000;

    const int rate_;
    int64_t windowStartUs_ = 0;
    // The largest lead (received frames as microseconds, less the arrival time) within the
    // current window and the one before it.
    int64_t lead_ = kNone;
    int64_t previousLead_ = kNone;
};
