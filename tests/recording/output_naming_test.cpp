#include "recording/output_naming.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void touch(const QString &path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

}  // namespace

TEST(OutputNaming, TakesTheFirstFreeNumberPerExtension) {
    QTemporaryDir dir;
    const QString save = dir.path() + QLatin1Char('/');
    EXPECT_EQ(FirstFreeOutputName(save, QStringLiteral(".mp3")), save + "Untitled1.mp3");
    touch(save + "Untitled1.mp3");
    touch(save + "Untitled3.mp3");
    EXPECT_EQ(FirstFreeOutputName(save, QStringLiteral(".mp3")), save + "Untitled2.mp3");
    // Another extension does not block the number.
    EXPECT_EQ(FirstFreeOutputName(save, QStringLiteral(".wav")), save + "Untitled1.wav");
    // The extension is appended as stored.
    EXPECT_EQ(FirstFreeOutputName(save, QStringLiteral(".Wav")), save + "Untitled1.Wav");
}

TEST(OutputNaming, APathWithoutSeparatorIsAPlainPrefix) {
    QTemporaryDir dir;
    const QString save = dir.path() + QStringLiteral("/Rec");
    EXPECT_EQ(FirstFreeOutputName(save, QStringLiteral(".mp3")),
              dir.path() + QStringLiteral("/RecUntitled1.mp3"));
    QString error;
    EXPECT_TRUE(CreateSaveDirectory(save, &error));
    EXPECT_TRUE(QFileInfo(save).isDir());
}

TEST(OutputNaming, CreatesMissingLevelsAndReportsFailures) {
    QTemporaryDir dir;
    const QString nested = dir.path() + QStringLiteral("/a/b/c/");
    QString error;
    EXPECT_TRUE(CreateSaveDirectory(nested, &error));
    EXPECT_TRUE(QFileInfo(nested).isDir());

    touch(dir.path() + QStringLiteral("/file"));
    const QString underFile = dir.path() + QStringLiteral("/file/sub/");
    EXPECT_FALSE(CreateSaveDirectory(underFile, &error));
    EXPECT_EQ(error, QStringLiteral("Cannot create ") + underFile);

    EXPECT_FALSE(CreateSaveDirectory(QString(), &error));
    EXPECT_EQ(error, QStringLiteral("Unable to create directory"));
}

TEST(ListRowTexts, SizeInKilobytesTimeInMinutesAndSeconds) {
    const ListRowTexts row = MakeListRowTexts(QStringLiteral("/rec/Untitled1.mp3"), 1000000, 61500);
    EXPECT_EQ(row.caption, QStringLiteral("Untitled1.mp3"));
    EXPECT_EQ(row.size, QStringLiteral("1000 KB"));
    EXPECT_EQ(row.time, QStringLiteral("01:01"));
    EXPECT_EQ(row.directory, QStringLiteral("/rec/"));
    EXPECT_EQ(row.directory + row.caption, QStringLiteral("/rec/Untitled1.mp3"));

    EXPECT_EQ(MakeListRowTexts(QStringLiteral("/a.wav"), 1999, 59999).size, QStringLiteral("1 KB"));
    EXPECT_EQ(MakeListRowTexts(QStringLiteral("/a.wav"), 999, 59999).size, QStringLiteral("0 KB"));
    EXPECT_EQ(MakeListRowTexts(QStringLiteral("/a.wav"), 999, 59999).time, QStringLiteral("00:59"));
}
