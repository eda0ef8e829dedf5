// Tip numbering and the reading of tip files.
#include "extras/tip_sequence.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <climits>

namespace {

QStringList numberedTips(int count) {
    QStringList tips;
    for (int i = 1; i <= count; ++i)
        tips << QStringLiteral("tip %1").arg(i);
    return tips;
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes) {
    const QString path = dir.filePath(QStringLiteral("tips.txt"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

}  // namespace

TEST(TipSequenceTest, AFreshShowingStartsWithTheTipAfterTheStoredOne) {
    struct Case {
        int stored;
        int shown;
    };
    // 1 is the default of a fresh installation; numbers past the end wrap around.
    for (const Case c : {Case{1, 2}, Case{0, 1}, Case{9, 10}, Case{10, 1}, Case{25, 6},
                         Case{INT_MAX, INT_MAX % 10 + 1}}) {
        const TipSequence tips(numberedTips(10), c.stored);
        EXPECT_EQ(tips.CurrentTipNo(), c.shown) << "stored " << c.stored;
        EXPECT_EQ(tips.ShownText(), QStringLiteral("tip %1").arg(c.shown)) << "stored " << c.stored;
    }
}

TEST(TipSequenceTest, NextWrapsFromTheLastTipToTheFirst) {
    TipSequence tips(numberedTips(3), 1);
    EXPECT_EQ(tips.CurrentTipNo(), 2);
    EXPECT_TRUE(tips.Next());
    EXPECT_EQ(tips.CurrentTipNo(), 3);
    EXPECT_EQ(tips.ShownText(), QStringLiteral("tip 3"));
    EXPECT_TRUE(tips.Next());
    EXPECT_EQ(tips.CurrentTipNo(), 1);
    EXPECT_EQ(tips.ShownText(), QStringLiteral("tip 1"));
}

TEST(TipSequenceTest, ANegativeNumberShowsNothingUntilNextReachesTipOne) {
    TipSequence tips(numberedTips(4), -2);
    EXPECT_EQ(tips.CurrentTipNo(), -2);
    EXPECT_FALSE(tips.HasShownTip());
    EXPECT_TRUE(tips.ShownText().isEmpty());

    EXPECT_FALSE(tips.Next());  // -1
    EXPECT_FALSE(tips.Next());  // 0
    EXPECT_TRUE(tips.ShownText().isEmpty());
    EXPECT_TRUE(tips.Next());
    EXPECT_EQ(tips.CurrentTipNo(), 1);
    EXPECT_EQ(tips.ShownText(), QStringLiteral("tip 1"));
}

TEST(TipSequenceTest, WithoutTipsNothingIsShownAndNothingDividesByZero) {
    for (int stored : {1, 0, 7, -3, INT_MAX}) {
        TipSequence tips({}, stored);
        EXPECT_EQ(tips.TotalLine(), 0);
        EXPECT_EQ(tips.CurrentTipNo(), stored);
        EXPECT_FALSE(tips.Next());
        EXPECT_EQ(tips.CurrentTipNo(), stored);  // nothing to step through, no overflow either
        EXPECT_FALSE(tips.HasShownTip());
    }
}

TEST(ReadTipsTest, EmptyLinesAreSkippedAndLinesOfBlanksAreTips) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "first\n\n\n   \nsecond\r\n\r\nthird\rfourth");
    EXPECT_EQ(ReadTips(path),
              (QStringList{QStringLiteral("first"), QStringLiteral("   "), QStringLiteral("second"),
                           QStringLiteral("third"), QStringLiteral("fourth")}));
}

TEST(ReadTipsTest, TextIsReadAsUtf8OrElseLatin1) {
    QTemporaryDir dir;
    EXPECT_EQ(ReadTips(writeFile(dir, "\xEF\xBB\xBFna\xC3\xAFve\n")),
              QStringList{QStringLiteral("na\u00EFve")});
    EXPECT_EQ(ReadTips(writeFile(dir, "caf\xE9\n")), QStringList{QStringLiteral("caf\u00E9")});
}

TEST(ReadTipsTest, AMissingOrEmptyFileHasNoTips) {
    QTemporaryDir dir;
    EXPECT_TRUE(ReadTips(dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
    EXPECT_TRUE(ReadTips(dir.path()).isEmpty());  // a directory in the way
    EXPECT_TRUE(ReadTips(writeFile(dir, "\n\n\r\n")).isEmpty());
}

TEST(ReadTipsTest, TheShippedTipFileHoldsTwelveToTwentyTips) {
    const QStringList tips = ReadTips(QStringLiteral(KORVANTA_SHIPPED_TIPS));
    EXPECT_GE(tips.size(), 12);
    EXPECT_LE(tips.size(), 20);
    for (const QString &tip : tips)
        EXPECT_FALSE(tip.trimmed().isEmpty());
}
