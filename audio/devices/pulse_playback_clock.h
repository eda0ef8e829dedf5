// How much of a playback stream the listener has heard, from the server's timing reports.
//
// The server reports how far it has read into the stream and how long the device takes to
// play what it has read (its latency). While data keeps coming, the heard position is the
// read position minus that latency. Once the server has read everything written, the
// device still holds the tail: the whole stream counts as heard one latency after that
// moment, not earlier. (The latency then stays positive for ever, since the device goes on
// rendering silence, so "read minus latency" alone would never reach the end.)
//
// The position never goes backwards and never passes what was written.
#pragma once

#include <cstdint>

class PulsePlaybackClock {
public:
    explicit PulsePlaybackClock(int frequency) : frequency_(frequency) {}

    // A timing report taken at `nowUs` (a monotonic clock): the server has read `readFrames`
    // of the `writtenFrames` sent so far and the device is `latencyUs` behind. Returns the
    // heard position.
    int64_t update(int64_t readFrames, int64_t writtenFrames, uint64_t latencyUs, int64_t nowUs);
    int64_t heard() const { return heard_; }

private:
    int frequency_;
    int64_t heard_ = 0;
    int64_t drainedAtFrames_ = -1;  // written count when the server was last seen caught up
    int64_t tailPlayedUs_ = 0;      // when the tail of that moment has been played
};
