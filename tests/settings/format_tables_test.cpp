// The Options dialog's MP3 and WAV rows and the values they stand for, including the rules
// for rows outside the lists (no selection is row -1).
#include "settings/format_tables.h"

#include <gtest/gtest.h>

TEST(FormatTablesTest, Mp3RowsGiveTheirRateAndBitrate) {
    const QStringList texts = Mp3RowTexts();
    ASSERT_EQ(texts.size(), kMp3RowCount);
    EXPECT_EQ(texts.first(), QStringLiteral("22050 Hz, 40 kbps"));
    EXPECT_EQ(texts.at(5), QStringLiteral("44100 Hz, 128 kbps"));
    EXPECT_EQ(texts.last(), QStringLiteral("44100 Hz, 320 kbps"));

    const int bitrates[kMp3RowCount] = {40, 48, 64, 80, 112, 128, 160, 192, 256, 320};
    for (int row = 0; row < kMp3RowCount; ++row) {
        const Mp3Value value = GetMP3Value(row);
        EXPECT_EQ(value.freq, row < 4 ? 22050 : 44100) << row;
        EXPECT_EQ(value.bitrate, bitrates[row]) << row;
        // The text shown for a row names the values it stands for.
        EXPECT_EQ(texts.at(row),
                  QStringLiteral("%1 Hz, %2 kbps").arg(value.freq).arg(value.bitrate));
    }
}

TEST(FormatTablesTest, Mp3RowOutsideTheListGives44100At128) {
    for (int row : {-1, 10, -100, 1000}) {
        EXPECT_EQ(GetMP3Value(row).freq, 44100) << row;
        EXPECT_EQ(GetMP3Value(row).bitrate, 128) << row;
    }
}

TEST(FormatTablesTest, WavRowsFollowRateByRowDivFourAndSampleFormatByRowModFour) {
    const QStringList texts = WavRowTexts();
    ASSERT_EQ(texts.size(), kWavRowCount);
    EXPECT_EQ(texts.at(0), QStringLiteral("8000 Hz - 8 bit,Mono"));
    EXPECT_EQ(texts.at(9), QStringLiteral("22050 Hz - 16 bit,Mono"));
    EXPECT_EQ(texts.at(15), QStringLiteral("44100 Hz - 16 bit,Stereo"));

    const int rates[4] = {8000, 11025, 22050, 44100};
    for (int row = 0; row < kWavRowCount; ++row) {
        int freq = 0;
        int bits = 0;
        int channels = 0;
        GetWavValue(row, freq, bits, channels);
        EXPECT_EQ(freq, rates[row / 4]) << row;
        EXPECT_EQ(bits, row % 2 == 0 ? 8 : 16) << row;
        EXPECT_EQ(channels, row % 4 < 2 ? 1 : 2) << row;
        EXPECT_EQ(texts.at(row), QStringLiteral("%1 Hz - %2 bit,%3")
                                     .arg(freq)
                                     .arg(bits)
                                     .arg(QLatin1String(channels == 1 ? "Mono" : "Stereo")))
            << row;
    }
}

TEST(FormatTablesTest, WavRowOutsideTheListKeepsWhatItDoesNotMatch) {
    struct Case {
        int row;
        int freq;
        int bits;
        int channels;
    };
    // Starting from 44100 Hz, 16 bit, stereo (2); division and remainder truncate towards 0.
    const Case cases[] = {
        {-1, 8000, 16, 2},   // no selection: -1 / 4 = 0 picks 8000; -1 % 4 matches nothing
        {-3, 8000, 16, 2},   // same rate rule
        {-5, 44100, 16, 2},  // -5 / 4 = -1 and -5 % 4 = -1: nothing changes
        {16, 44100, 8, 1},   // 16 / 4 = 4 matches no rate; 16 % 4 = 0 is 8 bit mono
        {19, 44100, 16, 2},  // 19 % 4 = 3
        {400, 44100, 8, 1},
    };
    for (const Case &c : cases) {
        int freq = 44100;
        int bits = 16;
        int channels = 2;
        GetWavValue(c.row, freq, bits, channels);
        EXPECT_EQ(freq, c.freq) << c.row;
        EXPECT_EQ(bits, c.bits) << c.row;
        EXPECT_EQ(channels, c.channels) << c.row;
    }
}
