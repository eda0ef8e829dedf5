#include "audio/units.h"

#include <gtest/gtest.h>

#include <limits>

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(1, 1, 2), 1);    // 0.5
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);  // -0.5
    EXPECT_EQ(MulDiv(1, 1, -2), -1);  // -0.5
    EXPECT_EQ(MulDiv(-1, -1, 2), 1);  // 0.5
    EXPECT_EQ(MulDiv(1, 1, 3), 0);    // 0.333
    EXPECT_EQ(MulDiv(2, 1, 3), 1);    // 0.667
    EXPECT_EQ(MulDiv(-2, 1, 3), -1);
    EXPECT_EQ(MulDiv(500, 44100, 1000), 22050);
}

TEST(MulDiv, UsesA64BitProduct) {
    // 1000 * 3 000 000 overflows 32 bits on its own but not the quotient.
    EXPECT_EQ(MulDiv(3000000, 1000, 1000), 3000000);
    EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::max(), 1000, 1000),
              std::numeric_limits<int32_t>::max());
}

TEST(MulDiv, ZeroDivisorOrOverflowGivesMinusOne) {
    EXPECT_EQ(MulDiv(10, 10, 0), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::max(), 2, 1), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::min(), 2, 1), -1);
}

TEST(SecondToTime, PadsBothFieldsAndHasNoHourField) {
    EXPECT_EQ(SecondToTime(0), QStringLiteral("00:00"));
    EXPECT_EQ(SecondToTime(9), QStringLiteral("00:09"));
    EXPECT_EQ(SecondToTime(90), QStringLiteral("01:30"));
    EXPECT_EQ(SecondToTime(600), QStringLiteral("10:00"));
    EXPECT_EQ(SecondToTime(3599), QStringLiteral("59:59"));
    EXPECT_EQ(SecondToTime(3600), QStringLiteral("60:00"));
    EXPECT_EQ(SecondToTime(3725), QStringLiteral("62:05"));
}

TEST(SampleConversions, WorkInMilliseconds) {
    EXPECT_EQ(MillisecondsToFrames(200, 44100), 8820);
    EXPECT_EQ(MillisecondsToFrames(200, 22050), 4410);
    EXPECT_EQ(FramesToMilliseconds(8820, 44100), 200);
    EXPECT_EQ(FramesToMilliseconds(44100LL * 3600 * 5, 44100), 5 * 3600 * 1000);
    EXPECT_EQ(FramesToMilliseconds(100, 0), 0);
}
