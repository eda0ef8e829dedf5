// The Options dialog's format rows: a row's values come from its position, and rows outside
// the lists (no selection is row -1) follow their own rules.
#include "settings/format_tables.h"

#include <gtest/gtest.h>

TEST(FormatTablesTest, RowsStandForTheValuesTheyShow) {
    ASSERT_EQ(Mp3RowTexts().size(), kMp3RowCount);
    ASSERT_EQ(WavRowTexts().size(), kWavRowCount);
    EXPECT_EQ(Mp3RowTexts().at(3), QStringLiteral("22050 Hz, 80 kbps"));
    EXPECT_EQ(GetMP3Value(3).freq, 22050);
    EXPECT_EQ(GetMP3Value(3).bitrate, 80);
    EXPECT_EQ(GetMP3Value(9).bitrate, 320);

    EXPECT_EQ(WavRowTexts().at(6), QStringLiteral("11025 Hz - 8 bit,Stereo"));
    int freq = 0, bits = 0, channels = 0;
    GetWavValue(6, freq, bits, channels);
    EXPECT_EQ(freq, 11025);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(channels, 2);
}

TEST(FormatTablesTest, RowsOutsideTheListsKeepWhatTheyDoNotMatch) {
    for (int row : {-1, 10, 1000}) {
        EXPECT_EQ(GetMP3Value(row).freq, 44100) << row;
        EXPECT_EQ(GetMP3Value(row).bitrate, 128) << row;
    }
    struct Case {
        int row, freq, bits, channels;
    };
    // From 44100 Hz, 16 bit, stereo; both divisions truncate towards zero.
    for (const Case &c : {Case{-1, 8000, 16, 2},     // -1 / 4 = 0 is 8000; -1 % 4 matches nothing
                          Case{-5, 44100, 16, 2},    // -1 and -1: nothing changes
                          Case{16, 44100, 8, 1}}) {  // 4 matches no rate; 0 is 8 bit mono
        int freq = 44100, bits = 16, channels = 2;
        GetWavValue(c.row, freq, bits, channels);
        EXPECT_EQ(freq, c.freq) << c.row;
        EXPECT_EQ(bits, c.bits) << c.row;
        EXPECT_EQ(channels, c.channels) << c.row;
    }
}

// Each FLAC, Opus and Vorbis row says what it stands for, and the stored defaults are rows
// that match the default values; a row outside its list changes nothing.
TEST(FormatTablesTest, TheNewFormatsRowsMatchTheirTextsAndDefaults) {
    const QStringList flac = FlacRowTexts();
    const QStringList opus = OpusRowTexts();
    const QStringList vorbis = VorbisRowTexts();
    ASSERT_EQ(flac.size(), kFlacRowCount);
    ASSERT_EQ(opus.size(), kOpusRowCount);
    ASSERT_EQ(vorbis.size(), kVorbisRowCount);
    for (int row = 0; row < kFlacRowCount; ++row) {
        int freq = 0, channels = 0;
        GetFlacValue(row, freq, channels);
        EXPECT_EQ(
            flac.at(row),
            QStringLiteral("%1 Hz - 16 bit,%2").arg(freq).arg(channels == 2 ? "Stereo" : "Mono"));
    }
    for (int row = 0; row < kOpusRowCount; ++row) {
        int bitrate = 0, channels = 0;
        GetOpusValue(row, bitrate, channels);
        EXPECT_TRUE(opus.at(row).startsWith(QStringLiteral("%1 kbps,").arg(bitrate)));
        EXPECT_TRUE(opus.at(row).endsWith(channels == 2 ? "Stereo" : "Mono"));
    }
    for (int row = 0; row < kVorbisRowCount; ++row) {
        int quality = -1, freq = 0, channels = 0;
        GetVorbisValue(row, quality, freq, channels);
        EXPECT_TRUE(vorbis.at(row).startsWith(QStringLiteral("q%1 ").arg(quality)));
        EXPECT_TRUE(vorbis.at(row).contains(QStringLiteral(" %1 Hz,").arg(freq)));
        EXPECT_TRUE(vorbis.at(row).endsWith(channels == 2 ? "Stereo" : "Mono"));
    }
    EXPECT_EQ(vorbis.first(), QStringLiteral("q0 (~64 kbps) - 44100 Hz,Stereo"));
    EXPECT_EQ(vorbis.last(), QStringLiteral("q10 (~240 kbps) - 48000 Hz,Mono"));

    int freq = 0, channels = 0, bitrate = 0, quality = 0;
    GetFlacValue(0, freq, channels);
    EXPECT_EQ(freq, 44100);
    GetOpusValue(10, bitrate, channels);
    EXPECT_EQ(bitrate, 128);
    EXPECT_EQ(channels, 2);
    GetVorbisValue(20, quality, freq, channels);
    EXPECT_EQ(quality, 5);
    EXPECT_EQ(freq, 44100);
    EXPECT_EQ(channels, 2);

    freq = channels = bitrate = quality = 7;
    GetFlacValue(-1, freq, channels);
    GetOpusValue(kOpusRowCount, bitrate, channels);
    GetVorbisValue(-1, quality, freq, channels);
    EXPECT_EQ(freq + channels + bitrate + quality, 28);
}
