// How much of a playback stream the listener has heard, from the server's timing reports
// and the stream's drains.
//
// The server reports how far it has read into the stream and how long the device takes to
// play what it has read (its latency). While data keeps coming, the heard position is the
// read position minus that latency. Once the server has read everything written, the
// device still holds the tail: the whole stream counts as heard one latency after that
// moment, not earlier. (The latency then stays positive for ever, since the device goes on
// rendering silence, so "read minus latency" alone would never reach the end.)
//
// When the source runs dry the stream is drained, and the server says when it has played
// out everything written before the drain: that much is heard then. PipeWire needs this,
// since its read position stops short of the end by a partial period until a drain. Should
// the answer never come, the drained part counts as heard anyway once the timing reports
// show the server alive well past the time it needed to play it (so a server that hangs
// does not end the stream early).
//
// The position never goes backwards and never passes what was written.
#pragma once

#include <cstdint>

class PulsePlaybackClock {
public:
    // How long after the expected end a drain that never answers is given up on.
    static constexpr int64_t kDrainGraceUs = 500000;

    explicit PulsePlaybackClock(int frequency) : frequency_(frequency) {}

    // A timing report taken at `nowUs` (a monotonic clock): the server has read `readFrames`
    // of the `writtenFrames` sent so far and the device is `latencyUs` behind. Returns the
    // heard position.
    int64_t update(int64_t readFrames, int64_t writtenFrames, uint64_t latencyUs, int64_t nowUs);
    // A drain of the first `mark` frames written was asked for at `nowUs`.
    void drainStarted(int64_t mark, int64_t nowUs);
    // The server has played out the first `mark` frames. Returns the heard position.
    int64_t drainFinished(int64_t mark);
    int64_t heard() const { return heard_; }

private:
    int frequency_;
    int64_t heard_ = 0;
    int64_t read_ = 0;              // the latest report's read position
    int64_t latencyUs_ = 0;         // and latency
    int64_t drainedAtFrames_ = -1;  // written count when the server was last seen caught up
    int64_t tailPlayedUs_ = 0;      // when the tail of that moment has been played
    int64_t drainMark_ = -1;        // the drain under way, -1 when none
    int64_t drainDeadlineUs_ = 0;   // when it is given up on
};
