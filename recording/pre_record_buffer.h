// The last seconds of capture blocks that reached no file: what Record puts before the live
// audio, and what a voice-activated resume puts back. Frames are numbered as the recorder
// counts its delivered frames, so a caller asks for "everything from frame F on" and gets
// exactly the frames that precede the recorder's next block. GUI thread only.
#pragma once

#include "audio/sample_array.h"

#include <cstdint>
#include <vector>

class PreRecordBuffer {
public:
    // Empties the buffer and makes room for `capacityFrames` frames of `channels` channels.
    void reset(int capacityFrames, int channels);
    void clear();

    // Appends a block whose last frame is frame `endFrame` - 1 of the stream. The oldest
    // frames give way when the buffer is full.
    void push(const SampleArray &block, int64_t endFrame);

    int channels() const { return channels_; }
    int64_t frames() const { return size_; }
    // The stream frame after the newest one held.
    int64_t endFrame() const { return endFrame_; }
    // The frames from stream frame `fromFrame` to the newest, as much of that as is held.
    SampleArray since(int64_t fromFrame) const;

private:
    std::vector<int16_t> ring_;
    int channels_ = 2;
    int64_t capacity_ = 0;  // frames
    int64_t size_ = 0;      // frames held
    int64_t head_ = 0;      // frame slot the next frame goes to
    int64_t endFrame_ = 0;
};
