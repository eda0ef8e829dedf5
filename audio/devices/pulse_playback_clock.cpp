#include "audio/devices/pulse_playback_clock.h"

#include <algorithm>

int64_t PulsePlaybackClock::update(int64_t readFrames, int64_t writtenFrames, uint64_t latencyUs,
                                   int64_t nowUs) {
    readFrames = std::clamp<int64_t>(readFrames, 0, writtenFrames);
    const auto latency = static_cast<int64_t>(latencyUs);
    read_ = readFrames;
    latencyUs_ = latency;
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
    if (drainMark_ >= 0 && nowUs >= drainDeadlineUs_) {
        position = std::max(position, drainMark_);
        drainMark_ = -1;
    }
    heard_ = std::clamp(position, heard_, std::max(heard_, writtenFrames));
    return heard_;
}

void PulsePlaybackClock::drainStarted(int64_t mark, int64_t nowUs) {
    if (mark <= heard_)
        return;
    drainMark_ = mark;
    const int64_t unreadUs = std::max<int64_t>(0, mark - read_) * 1000000 / frequency_;
    drainDeadlineUs_ = nowUs + unreadUs + latencyUs_ + kDrainGraceUs;
}

int64_t PulsePlaybackClock::drainFinished(int64_t mark) {
    heard_ = std::max(heard_, mark);
    if (drainMark_ >= 0 && drainMark_ <= mark)
        drainMark_ = -1;
    return heard_;
}
