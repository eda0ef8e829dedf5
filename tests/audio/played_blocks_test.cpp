// The blocks a player keeps, against a plain model: whatever the blocks' lengths and however
// many have been dropped, frame f reads back as it was sent while it is still kept, and a kept
// block never moves (the device thread reads it by address).
#include "audio/played_blocks.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int16_t valueOf(int64_t frame, int channel) {
    return static_cast<int16_t>((frame * 7 + channel * 1000) % 30000);
}

TEST(PlayedBlocks, AnyRunOfKeptFramesReadsBackAcrossBlocks) {
    for (const int channels : {1, 2}) {
        PlayedBlocks blocks;
        blocks.clear(channels);
        std::mt19937 random(channels);
        std::vector<std::pair<const PlayedBlock *, const int16_t *>> addresses;
        for (int round = 0; round < 300; ++round) {
            const int64_t frames = std::uniform_int_distribution<int64_t>(1, 300)(random);
            const int64_t sent = blocks.endFrame();
            std::vector<int16_t> run(static_cast<size_t>(frames * channels));
            for (int64_t f = 0; f < frames; ++f)
                for (int c = 0; c < channels; ++c)
                    run[static_cast<size_t>(f * channels + c)] = valueOf(sent + f, c);
            const PlayedBlock &block = blocks.append(std::move(run));
            ASSERT_EQ(block.firstFrame, sent);
            ASSERT_EQ(block.endFrame, sent + frames);
            addresses.emplace_back(&block, block.samples.data());

            // Keep about a thousand frames, as the player keeps a few seconds.
            blocks.dropEndingBy(blocks.endFrame() - 1000);
            const int64_t oldest = blocks.firstKept();
            ASSERT_LE(oldest, std::max<int64_t>(0, blocks.endFrame() - 1000));
            const int64_t first =
                std::uniform_int_distribution<int64_t>(oldest, blocks.endFrame())(random);
            const int64_t count =
                std::uniform_int_distribution<int64_t>(0, blocks.endFrame() - first)(random);
            std::vector<int16_t> out(static_cast<size_t>(count * channels), -1);
            blocks.copy(first, count, out.data());
            for (int64_t f = 0; f < count; ++f)
                for (int c = 0; c < channels; ++c)
                    ASSERT_EQ(out[static_cast<size_t>(f * channels + c)], valueOf(first + f, c))
                        << "frame " << first + f << " channel " << c << " round " << round;
        }
        // The blocks still kept are where they were appended, samples and all.
        for (auto it = addresses.rbegin(); it != addresses.rend(); ++it) {
            if (it->first->firstFrame < blocks.firstKept())
                break;
            EXPECT_EQ(it->first->samples.data(), it->second);
        }
    }
}

TEST(PlayedBlocks, ClearingStartsTheFrameCountAgain) {
    PlayedBlocks blocks;
    blocks.clear(2);
    blocks.append(std::vector<int16_t>(20, 5));
    EXPECT_EQ(blocks.endFrame(), 10);
    blocks.clear(1);
    EXPECT_EQ(blocks.endFrame(), 0);
    EXPECT_EQ(blocks.firstKept(), 0);
    const PlayedBlock &block = blocks.append(std::vector<int16_t>(20, 5));
    EXPECT_EQ(block.firstFrame, 0);
    EXPECT_EQ(block.endFrame, 20);
}

}  // namespace
