#include "files/rename_form.h"
#include "files/tag_editor.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

bool converts(const char *text, int32_t expected) {
    int32_t value = 0;
    return StrToIntStrict(QString::fromLatin1(text), &value) && value == expected;
}

bool rejects(const char *text) {
    int32_t value = 0;
    return !StrToIntStrict(QString::fromLatin1(text), &value);
}

}  // namespace

TEST(StrToIntStrict, AcceptsDecimalAndHexWithLeadingBlanksAndSign) {
    EXPECT_TRUE(converts("2003", 2003));
    EXPECT_TRUE(converts(" 2003", 2003));
    EXPECT_TRUE(converts("-7", -7));
    EXPECT_TRUE(converts("+7", 7));
    EXPECT_TRUE(converts("$7D3", 2003));
    EXPECT_TRUE(converts("0x7d3", 2003));
    EXPECT_TRUE(converts("2147483647", 2147483647));
    EXPECT_TRUE(converts("-2147483648", -2147483647 - 1));
    EXPECT_TRUE(converts("$FFFFFFFF", -1));
}

TEST(StrToIntStrict, RejectsTrailingTextEmptyAndOverflow) {
    EXPECT_TRUE(rejects("2003 "));
    EXPECT_TRUE(rejects("20O3"));
    EXPECT_TRUE(rejects(""));
    EXPECT_TRUE(rejects("   "));
    EXPECT_TRUE(rejects("-"));
    EXPECT_TRUE(rejects("$"));
    EXPECT_TRUE(rejects("2147483648"));
    EXPECT_TRUE(rejects("$1FFFFFFFF"));
    EXPECT_TRUE(rejects("12.5"));
}

TEST(RenamedFileName, KeepsTheOldExtension) {
    const QString caption = QStringLiteral("Untitled1.mp3");
    EXPECT_EQ(RenamedFileName(QStringLiteral("take2"), caption), QStringLiteral("take2.mp3"));
    EXPECT_EQ(RenamedFileName(QStringLiteral("take2.wav"), caption), QStringLiteral("take2.mp3"));
    EXPECT_EQ(RenamedFileName(QStringLiteral("a.b.c"), caption), QStringLiteral("a.b.mp3"));
    EXPECT_EQ(RenamedFileName(QStringLiteral(".x"), caption), QStringLiteral(".mp3"));
    EXPECT_EQ(RenamedFileName(QStringLiteral("  "), caption), QStringLiteral("  .mp3"));
    EXPECT_EQ(RenamedFileName(QStringLiteral("x"), QStringLiteral("noext")), QStringLiteral("x"));
}

TEST(RenameWithoutReplacing, NeverOverwritesAnExistingFile) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.mp3"));
    const QString b = dir.filePath(QStringLiteral("b.mp3"));
    for (const QString &path : {a, b}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(path.toUtf8());
    }
    EXPECT_FALSE(RenameWithoutReplacing(a, b));
    QFile kept(b);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), b.toUtf8());

    const QString c = dir.filePath(QStringLiteral("c.mp3"));
    EXPECT_TRUE(RenameWithoutReplacing(a, c));
    EXPECT_TRUE(QFile::exists(c));
    EXPECT_FALSE(QFile::exists(a));
}
