// The player's history ring against a plain model of it: whatever the runs' lengths and however
// often they wrap, frame f reads back as it was stored while the ring still holds it.
#include "audio/frame_ring.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int16_t valueOf(int64_t frame, int channel) {
    return static_cast<int16_t>((frame * 7 + channel * 1000) % 30000);
}

TEST(FrameRing, RunsOfAnyLengthReadBackAcrossTheWrap) {
    for (const int channels : {1, 2}) {
        constexpr int64_t kSlots = 97;
        UnfilledSamples ring(static_cast<size_t>(kSlots * channels), 0);
        std::mt19937 random(channels);
        int64_t sent = 0;
        for (int round = 0; round < 200; ++round) {
            // Short runs, runs of exactly the ring, and runs longer than it.
            const int64_t frames = std::uniform_int_distribution<int64_t>(0, 2 * kSlots)(random);
            std::vector<int16_t> run(static_cast<size_t>(frames * channels));
            for (int64_t f = 0; f < frames; ++f)
                for (int c = 0; c < channels; ++c)
                    run[static_cast<size_t>(f * channels + c)] = valueOf(sent + f, c);
            copyIntoRing(ring, channels, sent, run.data(), frames);
            sent += frames;

            const int64_t oldest = std::max<int64_t>(0, sent - kSlots);
            const int64_t first = std::uniform_int_distribution<int64_t>(oldest, sent)(random);
            const int64_t count = std::uniform_int_distribution<int64_t>(0, sent - first)(random);
            std::vector<int16_t> out(static_cast<size_t>(count * channels), -1);
            copyFromRing(ring, channels, first, out.data(), count);
            for (int64_t f = 0; f < count; ++f)
                for (int c = 0; c < channels; ++c)
                    ASSERT_EQ(out[static_cast<size_t>(f * channels + c)], valueOf(first + f, c))
                        << "frame " << first + f << " channel " << c << " round " << round;
        }
    }
}

}  // namespace
