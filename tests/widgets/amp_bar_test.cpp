#include "widgets/nct_amp_bar2.h"

#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QImage>

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

namespace {

// The colour at the bar's right end, where the clip mark sits.
QColor rightEndColour(TNCTAmpBar2 &bar) {
    const QImage image = bar.grab().toImage();
    return image.pixelColor(image.width() - 6, image.height() / 2);
}

}  // namespace

// The marker's and the mark's timing is PeakHold's (peak_hold_test); here, that the bar shows
// them and wakes by itself to let them go once the values stop.
TEST(AmpBar, FullScaleLightsTheClipMarkAndMarkerWhichGoOutOnTheirOwn) {
    TNCTAmpBar2 bar;
    bar.resize(153, 21);
    bar.setValue(32766);
    EXPECT_FALSE(bar.clipLit()) << "just below full scale is loud, not clipped";
    const QColor unlit = rightEndColour(bar);

    bar.setValue(32767);
    ASSERT_TRUE(bar.clipLit());
    bar.setValue(0);  // a stop: the bar drops at once, the mark and the marker stay
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_TRUE(bar.clipLit());
    EXPECT_DOUBLE_EQ(bar.peakFraction(), 1.0);
    const QColor lit = rightEndColour(bar);
    EXPECT_NE(lit, unlit);
    EXPECT_GT(lit.red(), 200);
    EXPECT_LT(lit.green(), 100);

    EXPECT_TRUE(
        testsupport::waitUntil([&] { return !bar.clipLit() && bar.peakFraction() == 0.0; }, 10000));
    TNCTAmpBar2 silent;
    silent.resize(bar.size());
    EXPECT_EQ(rightEndColour(bar), rightEndColour(silent)) << "the mark is gone, the bar is dark";
}
