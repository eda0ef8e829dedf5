// The WMA profile list as the Options dialog builds it, and the files recorded with each
// stored profile number.
#include "audio/audio_file2.h"
#include "codec_test_support.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace codectest;

namespace {

// What the Options dialog does to get a row's text: the listing for a number, first 4
// characters dropped, at most 100 kept.
QString listRowText(int number) {
    TAudioFile2 file;
    file.setWmaFormatEnabled(true);
    file.SetFormatWMA(number);
    return file.FormatString().mid(4, 100);
}

int profileCount() {
    TAudioFile2 file;
    file.setWmaFormatEnabled(true);
    return file.FormatTag();
}

TEST(WmaProfiles, CountIsReportedOnlyWithWmaEnabled) {
    TAudioFile2 file;
    EXPECT_EQ(file.FormatTag(), 0);
    EXPECT_GE(profileCount(), 40);
}

TEST(WmaProfiles, ListRowsCoverMonoAndStereoInASensibleOrder) {
    const QRegularExpression pattern(QStringLiteral("^(\\d+) Hz, (\\d+) kbps, (mono|stereo)$"));
    QSet<QString> seen;
    int lastKey = -1;
    for (int row = 0; row < profileCount(); ++row) {
        const QString text = listRowText(row + 1);
        const auto m = pattern.match(text);
        ASSERT_TRUE(m.hasMatch()) << "row " << row << ": " << text.toStdString();
        const int rate = m.captured(1).toInt();
        const int kbps = m.captured(2).toInt();
        const bool stereo = m.captured(3) == QLatin1String("stereo");
        EXPECT_GE(rate, 8000);
        EXPECT_LE(rate, 48000);
        EXPECT_GE(kbps, 24);
        EXPECT_LE(kbps, 192);
        EXPECT_FALSE(seen.contains(text)) << "duplicate row " << text.toStdString();
        seen.insert(text);
        // Mono first, then stereo; within each by rate, then bitrate.
        const int key = (stereo ? 1 : 0) * 100000000 + rate * 1000 + kbps;
        EXPECT_GT(key, lastKey) << "row " << row;
        lastKey = key;
    }
    EXPECT_TRUE(seen.contains(QStringLiteral("8000 Hz, 24 kbps, mono")));
    EXPECT_TRUE(seen.contains(QStringLiteral("48000 Hz, 192 kbps, stereo")));
}

TEST(WmaProfiles, StoredDefaultIsStereo44100At128) {
    EXPECT_EQ(listRowText(38 + 1), QStringLiteral("44100 Hz, 128 kbps, stereo"));
    TAudioFile2 file;
    file.setWmaFormatEnabled(true);
    file.SetFormatWMA(38);
    EXPECT_EQ(file.ArrayFrequency(), 44100);
    EXPECT_EQ(file.ArrayChannels(), 2);
}

TEST(WmaProfiles, NumbersOutsideTheTableRecordWithTheDefault) {
    for (int stored : {-1, 1000}) {
        TAudioFile2 file;
        file.setWmaFormatEnabled(true);
        file.SetFormatWMA(stored);
        EXPECT_EQ(file.ArrayFrequency(), 44100);
        EXPECT_EQ(file.ArrayChannels(), 2);
    }
}

// The row a user picks is stored as its position and recorded with: the file must be what
// the row said.
TEST(WmaProfiles, EveryRowRecordsWhatItShows) {
    QTemporaryDir dir;
    for (int row = 0; row < profileCount(); ++row) {
        const QString shown = listRowText(row + 1);
        const QString name = dir.filePath(QStringLiteral("p%1.wma").arg(row));
        TAudioFile2 writer;
        writer.setWmaFormatEnabled(true);
        writer.SetFormatWMA(row);
        writer.CreateFile(name, 0);
        ASSERT_EQ(writer.LastErrorNum(), 0) << row << writer.LastErrorText().toStdString();
        const int rate = writer.ArrayFrequency();
        const int channels = writer.ArrayChannels();
        writeInBlocks(writer, tone(rate, channels, rate, 300.0), channels, rate);
        writer.CloseFile();
        ASSERT_EQ(writer.LastErrorNum(), 0) << row;

        TAudioFile2 reader;
        reader.OpenFile(name, 0, 1);
        ASSERT_EQ(reader.LastErrorNum(), 0) << row;
        EXPECT_EQ(reader.FormatString(), QStringLiteral("Windows Media Audio 2: ") + shown)
            << "row " << row;
        const std::vector<int16_t> back = readToEnd(reader);
        EXPECT_NEAR(dominantFrequency(back, channels, rate), 300.0, 6.0) << "row " << row;
    }
}

}  // namespace
