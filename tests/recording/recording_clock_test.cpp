#include "recording/recording_clock.h"

#include <gtest/gtest.h>

TEST(RecordingClock, StopsAtTheLimitInWholeDisplayedSeconds) {
    const ClockLimits limits{10, false, 0, 0};
    EXPECT_EQ(EvaluateClock(limits, 0, 0, 9), ClockAction::None);
    EXPECT_EQ(EvaluateClock(limits, 0, 0, 10), ClockAction::AutoStop);
    const ClockLimits hour{3600, false, 0, 0};
    EXPECT_EQ(EvaluateClock(hour, 0, 59, 59), ClockAction::None);
    EXPECT_EQ(EvaluateClock(hour, 1, 0, 0), ClockAction::AutoStop);
}

TEST(RecordingClock, NoLimitAndNoSplitWhenZero) {
    EXPECT_EQ(EvaluateClock({0, true, 0, 0}, 5, 0, 0), ClockAction::None);
    EXPECT_EQ(EvaluateClock({-1, false, 60, 0}, 5, 0, 0), ClockAction::None);
}

TEST(RecordingClock, SplitMeasuresTheCurrentPartAndStopWins) {
    // Split every 60 s with a limit of 150 s: parts end at 60 and 120, the stop at 150.
    EXPECT_EQ(EvaluateClock({150, true, 60, 0}, 0, 0, 59), ClockAction::None);
    EXPECT_EQ(EvaluateClock({150, true, 60, 0}, 0, 1, 0), ClockAction::Split);
    EXPECT_EQ(EvaluateClock({150, true, 60, 60}, 0, 1, 59), ClockAction::None);
    EXPECT_EQ(EvaluateClock({150, true, 60, 60}, 0, 2, 0), ClockAction::Split);
    EXPECT_EQ(EvaluateClock({150, true, 60, 120}, 0, 2, 30), ClockAction::AutoStop);
    EXPECT_EQ(EvaluateClock({120, true, 60, 60}, 0, 2, 0), ClockAction::AutoStop);
}

TEST(RecordingClock, DisplayRunsOnAcrossParts) {
    EXPECT_EQ(ClockMilliseconds(1500, 0), 1500);
    EXPECT_EQ(ClockMilliseconds(1500, 120), 121500);
}
