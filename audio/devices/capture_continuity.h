// Frames a capture stream lost on its way without a word: a sound server whose buffer for us
// overflowed while we did not read (the process was stopped, or starved of the processor)
// drops what does not fit and goes on with later frames, with no hole marked. The stream then
// hands over fewer frames than the time that passed.
//
// From the arrivals of its fragments: while a stream runs, the frames received lead the clock
// by a steady amount (the earliest arrivals of each second show it, as in CaptureFrontier).
// Lost frames lower that lead for good, by their length; late frames lower it only until they
// come. So a lead that stays lower, by more than any change of the server's latency, for two
// whole seconds in a row means frames were lost. Their place is where the stream caught up
// with the clock again: the last arrival that raised the lead steeply, which after a stall is
// the end of what the server had kept.
//
// The device's clock and ours drift apart by a few parts in a million, which the lead follows
// second by second; only a sudden drop counts.
#pragma once

#include <cstdint>
#include <limits>

class CaptureContinuity {
public:
    // Losses below this go unnoticed: above the largest latency step of a server that changes
    // its period (PipeWire's 8192 frames at 48 kHz are 171 ms), so that none is taken for one.
    static constexpr int64_t kLeastLossUs = 250'000;
    static constexpr int64_t kWindowUs = 1'000'000;

    struct Loss {
        int64_t frames = 0;     // missing; 0: none found
        int64_t framesAgo = 0;  // they were due before the frame received this many frames ago
    };

    explicit CaptureContinuity(int rate) : rate_(rate) {}

    // `total` frames have been received so far (holes included), the last of them at `nowUs`
    // (any monotonic clock, in microseconds). Returns frames found missing, once.
    Loss arrived(int64_t total, int64_t nowUs);
    // The server said it overran: the next lower second is taken as the loss without waiting
    // for a second one to confirm it.
    void overran() { overran_ = true; }

private:
    static constexpr int64_t kNone = std::numeric_limits<int64_t>::min();
    // A lead rising by more than this at one arrival is the stream catching up.
    static constexpr int64_t kCatchUpStepUs = 20'000;

    Loss closeWindow(int64_t latestTotal);

    const int rate_;
    int64_t reference_ = kNone;  // the settled lead, in microseconds
    int64_t windowStartUs_ = 0;
    int64_t windowLead_ = kNone;       // the largest lead in the current window
    int64_t windowCatchUpTotal_ = -1;  // the last arrival in it that raised the lead steeply
    int64_t suspectDeficit_ = kNone;   // the window before fell short by this much
    int64_t suspectTotal_ = -1;        // and caught up here
    bool overran_ = false;
};
