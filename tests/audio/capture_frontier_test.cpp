// Where a capture stands in time, from the arrivals of its fragments: the stop of a
// recording reads on until this many frames came, so an estimate too low loses the end of
// a recording and one too high makes every stop wait for its time-out.
#include "audio/devices/capture_frontier.h"

#include <gtest/gtest.h>

namespace {

constexpr int kRate = 48000;
constexpr int kFragment = 1920;  // 40 ms
constexpr int64_t kFragmentUs = 40'000;

// Fragments of a device whose clock runs `speed` times ours, each arriving `delayUs(n)`
// after its last frame was captured. Frame 0 is captured at time 0.
struct Device {
    CaptureFrontier frontier{kRate};
    double speed = 1.0;
    int64_t fragments = 0;

    int64_t capturedAt(int64_t frames) const {
        return static_cast<int64_t>(frames * 1e6 / kRate / speed);
    }
    // Delivers fragments whose arrival is due by `untilUs`.
    template <typename Delay>
    void runUntil(int64_t untilUs, Delay delayUs) {
        for (;;) {
            const int64_t total = (fragments + 1) * kFragment;
            const int64_t at = capturedAt(total) + delayUs(fragments);
            if (at > untilUs)
                return;
            frontier.arrived(total, at);
            ++fragments;
        }
    }
};

}  // namespace

TEST(CaptureFrontier, KnowsNothingBeforeTheFirstFragment) {
    CaptureFrontier frontier(kRate);
    EXPECT_EQ(frontier.framesCapturedBy(1'000'000), -1);
}

// A steady stream with jitter: the estimate is the frames captured by the moment, less the
// least delay any fragment had, whether the moment is just after an arrival or just before.
TEST(CaptureFrontier, FollowsASteadyStreamWithJitter) {
    Device device;
    auto delay = [](int64_t n) { return 2'000 + (n % 3) * 7'000; };  // 2, 9 or 16 ms
    for (const int64_t moment : {10'000'000LL, 10'039'000LL, 30'015'000LL}) {
        device.runUntil(moment, delay);
        const int64_t expected = (moment - 2'000) * kRate / 1'000'000;
        EXPECT_NEAR(device.frontier.framesCapturedBy(moment), expected, 1) << moment;
        EXPECT_GE(device.frontier.framesCapturedBy(moment), device.fragments * kFragment);
    }
}

// The server stops handing over (PipeWire did, for half a second, when its graph changed):
// the frames captured meanwhile are still expected, and the late burst does not lower the
// estimate.
TEST(CaptureFrontier, ExpectsWhatAStalledServerHoldsBack) {
    Device device;
    auto steady = [](int64_t) { return 3'000; };
    device.runUntil(5'000'000, steady);
    const int64_t beforeStall = device.fragments;
    // Nothing arrives from 5 s to 5.5 s; then everything held comes at once.
    const int64_t stop = 5'400'000;
    const int64_t due = device.frontier.framesCapturedBy(stop);
    EXPECT_EQ(due, (stop - 3'000) * kRate / 1'000'000);
    EXPECT_GT(due, (beforeStall + 9) * kFragment);
    device.runUntil(5'600'000, [](int64_t n) {
        const int64_t captured = (n + 1) * kFragmentUs;
        return std::max<int64_t>(3'000, 5'500'000 - captured);
    });
    EXPECT_EQ(device.frontier.framesCapturedBy(stop), due);
}

// A first fragment that brings history, or a device clock that runs slow, would put the
// estimate ahead of the stream for good if old arrivals counted for ever; every stop would
// then wait for its time-out.
TEST(CaptureFrontier, ForgetsOldArrivals) {
    Device ahead;
    ahead.frontier.arrived(kRate / 2, 10'000);  // half a second of history at once
    ahead.runUntil(10'000'000, [](int64_t) { return 510'000; });
    EXPECT_NEAR(ahead.frontier.framesCapturedBy(10'000'000),
                ahead.fragments * kFragment + kFragment, kFragment);

    Device slow;
    slow.speed = 0.995;  // 300 ms behind ours after a minute
    slow.runUntil(60'000'000, [](int64_t) { return 1'000; });
    const int64_t received = slow.fragments * kFragment;
    EXPECT_GE(slow.frontier.framesCapturedBy(60'000'000), received);
    EXPECT_LE(slow.frontier.framesCapturedBy(60'000'000), received + kFragment + kRate / 100);
}
