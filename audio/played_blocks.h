// The blocks a player was sent, kept whole from the moment they are queued until they have
// been handed to the device and are too old for the displays to look back into. The device
// thread reads a block straight from here, so a block's samples are copied once on their way
// out rather than into a queue and a history first.
//
// GUI thread only, except that a block's samples never change once appended: the device
// thread may read them until the block is dropped, which happens only after it has finished.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

struct PlayedBlock {
    std::vector<int16_t> samples;  // interleaved frames
    int64_t firstFrame = 0;        // number of the block's first frame since the start
    int64_t endFrame = 0;          // one past its last
};

class PlayedBlocks {
public:
    // Forgets every block; frames are numbered from 0 again.
    void clear(int channels);
    // Keeps `samples` (whole frames of the channel count) as the next frames; the block stays
    // where it is until dropped.
    const PlayedBlock &append(std::vector<int16_t> samples);
    // Forgets the blocks that end at or before `frame`.
    void dropEndingBy(int64_t frame);

    // Frames appended since the last clear.
    int64_t endFrame() const { return end_; }
    // The oldest frame still kept (endFrame() when none is).
    int64_t firstKept() const { return blocks_.empty() ? end_ : blocks_.front().firstFrame; }
    // Copies frames [first, first + frames) to `to`; they must lie within the kept range.
    void copy(int64_t first, int64_t frames, int16_t *to) const;

private:
    std::deque<PlayedBlock> blocks_;  // oldest first; a deque never moves what it holds
    int channels_ = 1;
    int64_t end_ = 0;
};
