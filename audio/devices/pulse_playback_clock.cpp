#include "audio/devices/pulse_playback_clock.h"

#include <algorithm>

int64_t PulsePlaybackClock::update(int64_t readFrames, int64_t writtenFrames, uint64_t latencyUs,
                                   int64_t nowUs) {
    readFrames = std::clamp<int64_t>(readFrames, 0, writtenFrames);
    const auto latency = static_cast<int64_t>(latencyUs);
    const int64_t latencyFrames = latency * frequency_ / 1000000;
    int64_t position = std::max<int64_t>(0, readFrames - latencyFrames);

    if (writtenFrames > 0 && readFrames == writtenFrames) {
        if (drainedAtFrames_ != writtenFrames) {
            drainedAtFrames_ = writtenFrames;
            tailPlayedUs_ = nowUs + latency;
        }
        if (nowUs >= tailPlayedUs_)
            position = writtenFrames;
    }
    heard_ = std::clamp(position, heard_, writtenFrames);
    return heard_;
}
