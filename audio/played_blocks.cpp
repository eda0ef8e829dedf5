#include "audio/played_blocks.h"

#include <algorithm>
#include <utility>

void PlayedBlocks::clear(int channels) {
    blocks_.clear();
    channels_ = std::max(1, channels);
    end_ = 0;
}

const PlayedBlock &PlayedBlocks::append(std::vector<int16_t> samples) {
    PlayedBlock block;
    block.firstFrame = end_;
    end_ += static_cast<int64_t>(samples.size()) / channels_;
    block.endFrame = end_;
    block.samples = std::move(samples);
    blocks_.push_back(std::move(block));
    return blocks_.back();
}

void PlayedBlocks::dropEndingBy(int64_t frame) {
    while (!blocks_.empty() && blocks_.front().endFrame <= frame)
        blocks_.pop_front();
}

void PlayedBlocks::copy(int64_t first, int64_t frames, int16_t *to) const {
    if (frames <= 0)
        return;
    // The last block starting at or before `first` holds it.
    auto block =
        std::upper_bound(blocks_.begin(), blocks_.end(), first,
                         [](int64_t frame, const PlayedBlock &b) { return frame < b.firstFrame; });
    if (block != blocks_.begin())
        --block;
    const int64_t last = first + frames;
    for (; block != blocks_.end() && first < last; ++block) {
        const int64_t from = std::max(first, block->firstFrame);
        const int64_t until = std::min(last, block->endFrame);
        if (until <= from)
            continue;
        const int16_t *source = block->samples.data() + (from - block->firstFrame) * channels_;
        to = std::copy_n(source, (until - from) * channels_, to);
        first = until;
    }
}
