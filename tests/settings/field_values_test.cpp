// Reading the dialogs' number fields: what counts as an integer, the empty-field rules of the
// time limit and the split interval, and totals that would not fit in 32 bits.
#include "settings/field_values.h"

#include <gtest/gtest.h>

TEST(FieldValuesTest, OnlyDecimalIntegersWithAnOptionalSignAreNumbers) {
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("-15")), -15);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral(" +7 ")), 7);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("-2147483648")), -2147483647 - 1);
    for (const char *text : {"", "-", "1.5", "12a", "0x10", "$10", "1 2", "2147483648",
                             "\xd9\xa3"}) {  // an Arabic-Indic digit
        EXPECT_FALSE(ParseFieldInteger(QString::fromUtf8(text))) << text;
    }
}

TEST(FieldValuesTest, TimeLimitTakesEmptyAsZeroAndAnyRangeThatFits) {
    const QString empty;
    EXPECT_EQ(TimeLimitSeconds(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("5")),
              3725);
    EXPECT_EQ(TimeLimitSeconds(empty, QStringLiteral("90"), empty), 5400);
    EXPECT_EQ(TimeLimitSeconds(QStringLiteral("-1"), empty, empty), -3600);
    EXPECT_FALSE(TimeLimitSeconds(QStringLiteral("x"), empty, empty));
    EXPECT_FALSE(TimeLimitSeconds(QStringLiteral("596524"), empty, empty));  // > 2^31 - 1 s
}

TEST(FieldValuesTest, SplitNeedsTwoIntegersAndNamesTheFirstBadField) {
    QString bad = QStringLiteral("unset");
    EXPECT_EQ(SplitSeconds(QStringLiteral("2"), QStringLiteral("30"), &bad), 150);
    EXPECT_FALSE(SplitSeconds(QString(), QStringLiteral("5"), &bad));
    EXPECT_EQ(bad, QString());
    EXPECT_FALSE(SplitSeconds(QStringLiteral("1"), QStringLiteral("x"), &bad));
    EXPECT_EQ(bad, QStringLiteral("x"));
    EXPECT_FALSE(SplitSeconds(QStringLiteral("1"), QStringLiteral("2147483647"), &bad));
    EXPECT_EQ(bad, QStringLiteral("2147483647"));
}
