// Reading the dialogs' number fields: what counts as an integer, the empty-field rules of the
// time limit and the split interval, and totals that would not fit.
#include "settings/field_values.h"

#include <gtest/gtest.h>

TEST(FieldValuesTest, AcceptsDecimalIntegersWithASign) {
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("0")), 0);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("42")), 42);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("+7")), 7);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("-15")), -15);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral(" 12 ")), 12);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("007")), 7);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(ParseFieldInteger(QStringLiteral("-2147483648")), -2147483647 - 1);
}

TEST(FieldValuesTest, RefusesEverythingElse) {
    for (const char *text :
         {"", " ", "+", "-", "1.5", "1,5", "abc", "12a", "0x10", "$10", "1 2", "--1", "2147483648",
          "-2147483649", "99999999999999999999", "\xd9\xa3"}) {  // an Arabic-Indic digit three
        EXPECT_FALSE(ParseFieldInteger(QString::fromUtf8(text)).has_value()) << text;
    }
}

TEST(FieldValuesTest, TimeLimitCountsEmptyFieldsAsZeroAndTakesAnyRange) {
    const QString empty;
    EXPECT_EQ(TimeLimitSeconds(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("5")),
              3725);
    EXPECT_EQ(TimeLimitSeconds(QStringLiteral("0"), QStringLiteral("90"), QStringLiteral("0")),
              5400);
    EXPECT_EQ(TimeLimitSeconds(empty, empty, empty), 0);
    EXPECT_EQ(TimeLimitSeconds(empty, empty, QStringLiteral("5")), 5);
    EXPECT_EQ(TimeLimitSeconds(QStringLiteral("-1"), empty, empty), -3600);
    EXPECT_EQ(TimeLimitSeconds(QStringLiteral("596523"), empty, empty), 596523 * 3600);
}

TEST(FieldValuesTest, TimeLimitRefusesTextAndTotalsBeyond32Bits) {
    const QString zero = QStringLiteral("0");
    EXPECT_FALSE(TimeLimitSeconds(QStringLiteral("x"), zero, zero));
    EXPECT_FALSE(TimeLimitSeconds(zero, zero, QStringLiteral("1.5")));
    EXPECT_FALSE(TimeLimitSeconds(QStringLiteral("596524"), zero, zero));  // > 2^31 - 1 seconds
    EXPECT_FALSE(
        TimeLimitSeconds(QStringLiteral("596523"), QStringLiteral("2000000"), QStringLiteral("0")));
}

TEST(FieldValuesTest, SplitNeedsTwoIntegersAndNamesTheFirstBadField) {
    QString bad;
    EXPECT_EQ(SplitSeconds(QStringLiteral("2"), QStringLiteral("30"), &bad), 150);
    EXPECT_EQ(SplitSeconds(QStringLiteral("0"), QStringLiteral("0"), &bad), 0);

    bad = QStringLiteral("unset");
    EXPECT_FALSE(SplitSeconds(QString(), QStringLiteral("5"), &bad));
    EXPECT_EQ(bad, QString());
    EXPECT_FALSE(SplitSeconds(QStringLiteral("abc"), QStringLiteral("x"), &bad));
    EXPECT_EQ(bad, QStringLiteral("abc"));
    EXPECT_FALSE(SplitSeconds(QStringLiteral("1"), QStringLiteral("x"), &bad));
    EXPECT_EQ(bad, QStringLiteral("x"));

    EXPECT_FALSE(SplitSeconds(QStringLiteral("40000000"), QStringLiteral("0"), &bad));
    EXPECT_EQ(bad, QStringLiteral("40000000"));
    EXPECT_FALSE(SplitSeconds(QStringLiteral("1"), QStringLiteral("2147483647"), &bad));
    EXPECT_EQ(bad, QStringLiteral("2147483647"));
}
