#include "audio/widgets/nct_amp_bar2.h"

#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

TEST(AmpBar, LevelsMapToDecibelsOfFullScale) {
    EXPECT_DOUBLE_EQ(TNCTAmpBar2::toDb(32767), 0.0);
    EXPECT_DOUBLE_EQ(TNCTAmpBar2::toDb(0), TNCTAmpBar2::kMinDb);
    EXPECT_NEAR(TNCTAmpBar2::toDb(16384), -6.02, 0.01);
    EXPECT_NEAR(TNCTAmpBar2::toDb(3277), -20.0, 0.01);
    EXPECT_DOUBLE_EQ(TNCTAmpBar2::toDb(1), TNCTAmpBar2::kMinDb)
        << "below the scale reads as its floor";
    EXPECT_DOUBLE_EQ(TNCTAmpBar2::toFraction(32767), 1.0);
    EXPECT_NEAR(TNCTAmpBar2::toFraction(3277), 2.0 / 3.0, 0.001);
}

TEST(AmpBar, ValueIsClampedToSixteenBitPeaks) {
    TNCTAmpBar2 bar;
    EXPECT_EQ(bar.Value(), 0);
    bar.setValue(40000);
    EXPECT_EQ(bar.Value(), 32767);
    bar.setValue(-5);
    EXPECT_EQ(bar.Value(), 0);
}

TEST(AmpBar, PeakMarkerHoldsThenFalls) {
    TNCTAmpBar2 bar;
    bar.setValue(32767);
    bar.setValue(0);  // stop: the bar drops at once, the marker lingers
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_DOUBLE_EQ(bar.peakFraction(), 1.0);
    testsupport::spin(300);
    EXPECT_DOUBLE_EQ(bar.peakFraction(), 1.0);
    EXPECT_TRUE(testsupport::waitUntil([&] { return bar.peakFraction() == 0.0; }, 6000));
}
