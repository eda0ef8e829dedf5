#include "widgets/nct_time_display2.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

struct Fields {
    int h, m, s, ms;
};

Fields read(const TNCTTimeDisplay2 &d) {
    return {d.Hours(), d.Minutes(), d.Seconds(), d.Milliseconds()};
}

void expectFields(const TNCTTimeDisplay2 &d, Fields want) {
    const Fields got = read(d);
    EXPECT_EQ(got.h, want.h);
    EXPECT_EQ(got.m, want.m);
    EXPECT_EQ(got.s, want.s);
    EXPECT_EQ(got.ms, want.ms);
}

}  // namespace

TEST(TimeDisplay, TotalsOfASecondOrMoreSpreadOverAllFields) {
    TNCTTimeDisplay2 d;
    expectFields(d, {0, 0, 0, 0});

    d.setMilliseconds(1000);
    expectFields(d, {0, 0, 1, 0});
    d.setMilliseconds(61500);
    expectFields(d, {0, 1, 1, 500});
    d.setMilliseconds(3725000);
    expectFields(d, {1, 2, 5, 0});
    EXPECT_EQ(d.text(), QStringLiteral("01:02:05.0"));
    // Hours are not capped: long recordings keep counting.
    d.setMilliseconds(100 * 3600000 + 59 * 60000 + 59 * 1000 + 999);
    expectFields(d, {100, 59, 59, 999});
    EXPECT_EQ(d.text(), QStringLiteral("100:59:59.9"));
    d.setHours(1234);
    EXPECT_EQ(d.text(), QStringLiteral("1234:59:59.9"));
}

TEST(TimeDisplay, TotalsBelowASecondClearTheUpperFields) {
    // A fresh recording's first ticks must not keep the time an earlier one showed.
    TNCTTimeDisplay2 d;
    d.setMilliseconds(3725000);
    d.setMilliseconds(999);
    expectFields(d, {0, 0, 0, 999});
    d.setMilliseconds(3725000);
    d.setMilliseconds(0);
    expectFields(d, {0, 0, 0, 0});
    EXPECT_EQ(d.text(), QStringLiteral("00:00:00.0"));
}

TEST(TimeDisplay, NegativeValuesShowAsZero) {
    // A failed position conversion arrives as -1; it must not show as garbage.
    TNCTTimeDisplay2 d;
    d.setMilliseconds(-1);
    d.setSeconds(-3);
    expectFields(d, {0, 0, 0, 0});
    EXPECT_EQ(d.text(), QStringLiteral("00:00:00.0"));
}

TEST(TimeDisplay, PaintsAtItsWindowSize) {
    TNCTTimeDisplay2 d;
    d.resize(121, 33);
    d.setMilliseconds(3725400);
    const QImage image = d.grab().toImage();
    ASSERT_EQ(image.size(), QSize(121, 33));
    // The centre row crosses the digits, so it cannot be one flat colour.
    const QRgb first = image.pixel(5, 16);
    bool varied = false;
    for (int x = 5; x < 116 && !varied; ++x)
        varied = image.pixel(x, 16) != first;
    EXPECT_TRUE(varied);
}
