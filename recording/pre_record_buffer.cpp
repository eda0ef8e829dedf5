#include "recording/pre_record_buffer.h"

#include <algorithm>

void PreRecordBuffer::reset(int capacityFrames, int channels) {
    channels_ = std::max(1, channels);
    capacity_ = std::max(0, capacityFrames);
    ring_.assign(static_cast<size_t>(capacity_) * channels_, 0);
    clear();
}

void PreRecordBuffer::clear() {
    size_ = 0;
    head_ = 0;
    endFrame_ = 0;
}

void PreRecordBuffer::push(const SampleArray &block, int64_t endFrame) {
    endFrame_ = endFrame;
    if (capacity_ == 0 || block.channels() != channels_)
        return;
    const int64_t frames = block.frames();
    // Only the newest `capacity_` frames of a long block can stay.
    const int64_t skip = std::max<int64_t>(0, frames - capacity_);
    const int16_t *data = block.data() + skip * channels_;
    for (int64_t i = skip; i < frames; ++i) {
        std::copy(data, data + channels_, ring_.begin() + head_ * channels_);
        data += channels_;
        head_ = (head_ + 1) % capacity_;
    }
    size_ = std::min(capacity_, size_ + frames);
}

SampleArray PreRecordBuffer::since(int64_t fromFrame) const {
    const int64_t wanted = std::clamp<int64_t>(endFrame_ - fromFrame, 0, size_);
    std::vector<int16_t> out(static_cast<size_t>(wanted) * channels_);
    int64_t slot = (head_ - wanted + capacity_) % std::max<int64_t>(capacity_, 1);
    for (int64_t i = 0; i < wanted; ++i) {
        std::copy(ring_.begin() + slot * channels_, ring_.begin() + (slot + 1) * channels_,
                  out.begin() + i * channels_);
        slot = (slot + 1) % capacity_;
    }
    return SampleArray(channels_, std::move(out));
}
