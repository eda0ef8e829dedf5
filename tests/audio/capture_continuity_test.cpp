// Frames a sound server dropped without marking a hole: found from the arrivals alone, with
// their length to within a fragment and their place, and never invented from jitter, drift,
// a stall that delivers late or a change of the server's latency.
#include "audio/devices/capture_continuity.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kFragment = 1920;  // 40 ms
constexpr int64_t kSecond = 1'000'000;

struct Found {
    int64_t frames;
    int64_t at;  // in the frames received
};

// A server that captures in fragments at `speed` times our clock and hands each over
// `delayUs` after it was complete; the client reads everything at once unless it is stopped,
// in which case the server keeps at most `bufferFrames` and drops what comes after.
struct Server {
    CaptureContinuity continuity{kRate};
    double speed = 1.0;
    int64_t captured = 0;  // frames the device has made
    int64_t received = 0;  // frames handed to the client
    int64_t kept = 0;      // held for a stopped client
    int64_t bufferFrames = 24 * kRate;
    std::vector<Found> found;

    void arrive(int64_t frames, int64_t nowUs) {
        received += frames;
        const CaptureContinuity::Loss loss = continuity.arrived(received, nowUs);
        if (loss.frames > 0)
            found.push_back({loss.frames, received - loss.framesAgo});
    }
    int64_t fragmentEndUs(int64_t fragment) const {
        return static_cast<int64_t>((fragment + 1) * kFragment * 1e6 / kRate / speed);
    }
    // Runs until `untilUs`; `delayUs(n)` is how late fragment n arrives; while `stopped`
    // nothing is read.
    template <typename Delay>
    void run(int64_t untilUs, Delay delayUs, bool stopped = false) {
        for (;;) {
            const int64_t n = captured / kFragment;
            const int64_t at = fragmentEndUs(n) + delayUs(n);
            if (at > untilUs)
                return;
            captured += kFragment;
            if (stopped) {
                kept += std::min<int64_t>(kFragment, std::max<int64_t>(0, bufferFrames - kept));
                continue;
            }
            if (kept > 0) {  // what the server kept comes first, in one burst
                arrive(kept, at);
                kept = 0;
            }
            arrive(kFragment, at);
        }
    }
};

auto steady = [](int64_t) { return int64_t(3'000); };

}  // namespace

// Ten minutes of a device 80 ppm fast with 3 to 33 ms of jitter, through periods where the
// server holds back for half a second and then hands everything over, and a latency that
// steps up by a PipeWire period of 8192 frames and back: nothing is lost, nothing reported.
TEST(CaptureContinuity, NoLossFromJitterDriftStallsOrLatencySteps) {
    Server server;
    server.speed = 1.00008;
    auto jitter = [](int64_t n) {
        int64_t delay = 3'000 + (n * 7919 % 11) * 3'000;
        if (n % 1500 >= 1480)  // a half-second stall every minute: late, then all at once
            delay += (1500 - n % 1500) * 40'000;
        if (n % 4000 > 2000)  // a larger period for a while
            delay += 170'000;
        return delay;
    };
    server.run(600 * kSecond, jitter);
    EXPECT_TRUE(server.found.empty())
        << server.found.size() << " losses, the first " << server.found[0].frames << " frames";
}

// The recorder stopped for 35 s while the server keeps 24 s for it: the 11 s it dropped are
// one loss, of their length to within a fragment, placed where the kept frames end.
TEST(CaptureContinuity, FramesDroppedWhileTheClientWasStoppedAreOneLossAtTheirPlace) {
    Server server;
    server.run(10 * kSecond, steady);
    const int64_t stoppedAt = server.received;
    server.run(45 * kSecond, steady, true);
    server.run(60 * kSecond, steady);
    ASSERT_EQ(server.found.size(), 1u);
    EXPECT_NEAR(server.found[0].frames, 11 * kRate, kFragment);
    EXPECT_NEAR(server.found[0].at, stoppedAt + 24 * kRate, 2 * kFragment);
    // Frames received and frames lost make up the time that passed.
    EXPECT_NEAR(server.received + server.found[0].frames, server.captured, kFragment);
}

// Shorter than the server's buffer: everything comes late, nothing is lost. A second stop
// later that does overrun is found on its own.
TEST(CaptureContinuity, AStopTheServerCouldHoldLosesNothingAndALaterOverrunIsFound) {
    Server server;
    server.bufferFrames = 3 * kRate;
    server.run(5 * kSecond, steady);
    server.run(7 * kSecond, steady, true);  // 2 s: kept whole
    server.run(20 * kSecond, steady);
    EXPECT_TRUE(server.found.empty());
    server.run(24 * kSecond, steady, true);  // 4 s: 1 s dropped
    server.run(40 * kSecond, steady);
    ASSERT_EQ(server.found.size(), 1u);
    EXPECT_NEAR(server.found[0].frames, kRate, kFragment);
}

// A server that says it overran needs one short second, not two, to report.
TEST(CaptureContinuity, AnOverrunNoticeReportsAfterOneSecond) {
    Server server;
    server.bufferFrames = 2 * kRate;
    server.run(5 * kSecond, steady);
    server.run(8 * kSecond, steady, true);
    server.continuity.overran();
    server.run(10 * kSecond + 500'000, steady);
    ASSERT_EQ(server.found.size(), 1u);
    EXPECT_NEAR(server.found[0].frames, kRate, kFragment);
}
