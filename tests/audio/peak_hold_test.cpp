// The level meters' held peak and clip mark, on a clock the test moves.
#include "audio/dsp/peak_hold.h"

#include <gtest/gtest.h>

namespace {

// When the peak, held from 1.0 at time 0, reaches `level` with levels of `level` coming
// every `stepMs` (0: one comes at 10 ms, then none, and advance() is called every 10 ms as
// the bar's timer does).
int64_t reachedAfter(double level, int64_t stepMs) {
    PeakHold hold;
    hold.level(1.0, false, 0);
    for (int64_t now = 10; now<10000; now += stepMs> 0 ? stepMs : 10) {
        if (stepMs > 0 || now == 10)
            hold.level(level, false, now);
        else
            hold.advance(now);
        if (now <= 1000) {
            EXPECT_DOUBLE_EQ(hold.peak(), 1.0) << "held at " << now << " ms";
        }
        if (hold.peak() == level)
            return now;
        EXPECT_TRUE(hold.falling());
    }
    return -1;
}

}  // namespace

TEST(PeakHold, HoldsThenFallsAtItsPaceWhetherLevelsComeOrNot) {
    const double quiet = 0.25;
    const double expectedMs =
        PeakHold::kHoldMs + (1.0 - quiet) / (PeakHold::kFallPerMs * 1000) * 1000;
    EXPECT_NEAR(reachedAfter(quiet, 80), expectedMs, 80) << "levels every 80 ms, as in playback";
    EXPECT_NEAR(reachedAfter(quiet, 0), expectedMs, 10) << "no levels: the timer's steps";
    EXPECT_NEAR(reachedAfter(0.0, 0), PeakHold::kHoldMs + 1600, 10) << "all the way down";
}

TEST(PeakHold, ANewPeakWhileFallingIsHeldAfreshAndALowerLevelNeverRaisesIt) {
    PeakHold hold;
    hold.level(0.6, false, 0);
    hold.level(0.1, false, 2000);  // falling since 1200 ms
    ASSERT_LT(hold.peak(), 0.6);
    hold.level(0.9, false, 2000);
    EXPECT_DOUBLE_EQ(hold.peak(), 0.9);
    hold.level(0.1, false, 3100);
    EXPECT_DOUBLE_EQ(hold.peak(), 0.9) << "held from the new peak";
    hold.level(0.1, false, 3300);
    EXPECT_LT(hold.peak(), 0.9);
    EXPECT_GT(hold.peak(), 0.1);
    const double before = hold.peak();
    hold.level(0.2, false, 3300);
    EXPECT_DOUBLE_EQ(hold.peak(), before) << "a level under the peak leaves it";
    hold.advance(20000);
    EXPECT_DOUBLE_EQ(hold.peak(), 0.2) << "falls to the latest level, not below";
    EXPECT_FALSE(hold.falling());
}

TEST(PeakHold, TheClipMarkStaysLitForTwoSecondsFromTheLastClip) {
    PeakHold hold;
    EXPECT_FALSE(hold.clipLit(0));
    hold.level(0.99, false, 0);
    EXPECT_FALSE(hold.clipLit(0)) << "loud is not clipped";
    hold.level(1.0, true, 100);
    hold.level(0.0, false, 200);
    EXPECT_TRUE(hold.clipLit(200)) << "a stop leaves the mark";
    hold.level(1.0, true, 1100);  // another clip a second later
    EXPECT_TRUE(hold.clipLit(3099));
    EXPECT_FALSE(hold.clipLit(3100));
    EXPECT_EQ(hold.clipUntilMs(), 1100 + PeakHold::kClipHoldMs);
}
