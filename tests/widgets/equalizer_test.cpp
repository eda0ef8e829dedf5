#include "widgets/nct_equalizer2.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class EqualizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        eq.resize(340, 118);
        eq.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&eq));
    }
    QPoint inBand(int n, float dB) const {
        return QPoint(eq.bandRect(n).center().x(), eq.yForDb(dB));
    }
    TNCTEqualizer2 eq;
};

}  // namespace

TEST_F(EqualizerTest, TwelveFlatBandsAtStart) {
    const float bands[] = {eq.Band1(), eq.Band2(),  eq.Band3(),  eq.Band4(),
                           eq.Band5(), eq.Band6(),  eq.Band7(),  eq.Band8(),
                           eq.Band9(), eq.Band10(), eq.Band11(), eq.Band12()};
    for (float b : bands)
        EXPECT_EQ(b, 0.0f);
    for (int n = 2; n <= TNCTEqualizer2::kBands; ++n)
        EXPECT_GT(TNCTEqualizer2::BandFrequency(n), TNCTEqualizer2::BandFrequency(n - 1));
}

TEST_F(EqualizerTest, ProgramSettingIsClampedAndQuiet) {
    QSignalSpy spy(&eq, &TNCTEqualizer2::OnValueChange);
    eq.setBand(1, 20.0f);
    eq.setBand(2, -40.0f);
    eq.setBand(12, 3.25f);
    eq.setBand(0, 5.0f);
    eq.setBand(13, 5.0f);
    EXPECT_EQ(eq.Band1(), 15.0f);
    EXPECT_EQ(eq.Band2(), -15.0f);
    EXPECT_EQ(eq.Band12(), 3.25f);
    EXPECT_EQ(eq.Band(0), 0.0f);
    EXPECT_EQ(eq.Band(13), 0.0f);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(EqualizerTest, DraggingABandReportsItsNumber) {
    QSignalSpy spy(&eq, &TNCTEqualizer2::OnValueChange);
    QTest::mousePress(&eq, Qt::LeftButton, {}, inBand(3, 15.0f));
    EXPECT_EQ(eq.Band3(), 15.0f);
    QTest::mouseMove(&eq, inBand(3, -6.0f));
    EXPECT_NEAR(eq.Band3(), -6.0f, 0.5f);
    // Beyond the ends the band stays in range, and a drag stays on its band.
    QTest::mouseMove(&eq, QPoint(eq.bandRect(5).center().x(), eq.height() + 50));
    QTest::mouseRelease(&eq, Qt::LeftButton, {},
                        QPoint(eq.bandRect(5).center().x(), eq.height() + 50));
    EXPECT_EQ(eq.Band3(), -15.0f);
    EXPECT_EQ(eq.Band5(), 0.0f);
    ASSERT_EQ(spy.count(), 3);
    for (const auto &args : spy)
        EXPECT_EQ(args.at(0).toInt(), 3);
}

TEST_F(EqualizerTest, DoubleClickResetsABand) {
    eq.setBand(7, 9.0f);
    QSignalSpy spy(&eq, &TNCTEqualizer2::OnValueChange);
    QTest::mouseDClick(&eq, Qt::LeftButton, {}, inBand(7, 9.0f));
    EXPECT_EQ(eq.Band7(), 0.0f);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toInt(), 7);
}
