#include "widgets/nct_amp_bar2.h"

#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>

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

// Fed every 80 ms, as during playback, the marker moves with the values; it holds and falls
// as it does on its own: about 1.2 s of hold, then some 0.6 of the bar per second.
TEST(AmpBar, PeakMarkerFallsAtItsPaceWhileValuesKeepComing) {
    TNCTAmpBar2 bar;
    const int quiet = 100;
    bar.setValue(32767);
    QElapsedTimer clock;
    clock.start();
    long levelReachedMs = -1;
    double atOneSecond = -1;
    while (clock.elapsed() < 5000 && levelReachedMs < 0) {
        testsupport::spin(80);
        bar.setValue(quiet);
        if (atOneSecond < 0 && clock.elapsed() >= 1000)
            atOneSecond = bar.peakFraction();
        if (bar.peakFraction() == TNCTAmpBar2::toFraction(quiet))
            levelReachedMs = clock.elapsed();
    }
    EXPECT_DOUBLE_EQ(atOneSecond, 1.0) << "held";
    const double expectedMs = 1200 + (1.0 - TNCTAmpBar2::toFraction(quiet)) / 0.625 * 1000;
    EXPECT_NEAR(levelReachedMs, expectedMs, 400);
}

// A new peak while the marker was falling by its timer: the marker holds from the new peak,
// and falls on its own once the values stop.
TEST(AmpBar, PeakMarkerHoldsAfterANewPeakAndFallsWhenValuesStop) {
    TNCTAmpBar2 bar;
    const int quiet = 100;
    bar.setValue(20000);
    for (int i = 0; i < 20; ++i) {  // past the hold: the marker falls
        testsupport::spin(80);
        bar.setValue(quiet);
    }
    ASSERT_LT(bar.peakFraction(), TNCTAmpBar2::toFraction(20000));
    bar.setValue(32767);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i) {
        testsupport::spin(80);
        bar.setValue(quiet);
    }
    testsupport::spin(std::max<long>(0, 1000 - clock.elapsed()));
    EXPECT_DOUBLE_EQ(bar.peakFraction(), 1.0) << "held from the new peak";
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return bar.peakFraction() == TNCTAmpBar2::toFraction(quiet); }, 4000))
        << bar.peakFraction();
    EXPECT_NEAR(clock.elapsed(), 1200 + (1.0 - TNCTAmpBar2::toFraction(quiet)) / 0.625 * 1000, 500);
}

namespace {

// The colour at the bar's right end, where the clip mark sits.
QColor rightEndColour(TNCTAmpBar2 &bar) {
    const QImage image = bar.grab().toImage();
    return image.pixelColor(image.width() - 6, image.height() / 2);
}

}  // namespace

TEST(AmpBar, FullScaleLightsTheClipMarkForTwoSecondsFromTheLastClip) {
    TNCTAmpBar2 bar;
    bar.resize(153, 21);
    bar.setValue(32766);
    EXPECT_FALSE(bar.clipLit()) << "just below full scale is loud, not clipped";
    const QColor unlit = rightEndColour(bar);

    bar.setValue(32767);
    ASSERT_TRUE(bar.clipLit());
    bar.setValue(0);  // a stop: the mark stays
    EXPECT_TRUE(bar.clipLit());
    const QColor lit = rightEndColour(bar);
    EXPECT_NE(lit, unlit);
    EXPECT_GT(lit.red(), 200);
    EXPECT_LT(lit.green(), 100);

    // Another clip a second later holds the mark for two seconds from then.
    testsupport::spin(1000);
    bar.setValue(40000);
    QElapsedTimer since;
    since.start();
    bar.setValue(0);
    testsupport::spin(1500);
    EXPECT_TRUE(bar.clipLit());
    EXPECT_TRUE(testsupport::waitUntil([&] { return !bar.clipLit(); }, 3000));
    EXPECT_GE(since.elapsed(), TNCTAmpBar2::kClipHoldMs - 50);
    ASSERT_TRUE(testsupport::waitUntil([&] { return bar.peakFraction() == 0.0; }, 6000));
    TNCTAmpBar2 silent;
    silent.resize(bar.size());
    EXPECT_EQ(rightEndColour(bar), rightEndColour(silent)) << "the mark is gone, the bar is dark";
}
