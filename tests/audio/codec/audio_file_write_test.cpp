// Writing with TAudioFile2 and reading the result back: WAV bit-exact, MP3 and WMA with
// their length, layout and tone intact.
#include "audio/audio_file2.h"
#include "audio/audio_file2_lame_enc.h"
#include "codec_test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace codectest;

namespace {

class WriteTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

struct PcmCase {
    int rate;
    int channels;
    int bits;
};

class WavRoundTrip : public WriteTest, public ::testing::WithParamInterface<PcmCase> {};

TEST_P(WavRoundTrip, ReadsBackExactlyWhatWasWritten) {
    const PcmCase c = GetParam();
    const int frames = c.rate * 2 + 17;  // not a whole number of blocks
    std::vector<int16_t> input = noise(c.channels, frames);
    if (c.bits == 8) {
        for (auto &v : input) {
            v = static_cast<int16_t>(v & 0xFF00);  // what 8 bits can carry
        }
    }
    TAudioFile2 writer;
    writer.SetFormatPCM(c.rate, c.channels, c.bits);
    writer.CreateFile(path("t.wav"), 0);
    ASSERT_EQ(writer.LastErrorNum(), 0) << writer.LastErrorText().toStdString();
    EXPECT_EQ(writer.ArrayFrequency(), c.rate);
    EXPECT_EQ(writer.ArrayChannels(), c.channels);
    writeInBlocks(writer, input, c.channels, c.rate);
    EXPECT_EQ(writer.nSamples(), frames);
    writer.CloseFile();
    ASSERT_EQ(writer.LastErrorNum(), 0);

    TAudioFile2 reader;
    reader.OpenFile(path("t.wav"), 0, 1);
    ASSERT_EQ(reader.LastErrorNum(), 0) << reader.LastErrorText().toStdString();
    EXPECT_EQ(reader.nSamples(), frames);
    EXPECT_EQ(reader.ArrayFrequency(), c.rate);
    EXPECT_EQ(reader.ArrayChannels(), c.channels);
    EXPECT_EQ(reader.FormatString(), QStringLiteral("PCM: %1 Hz, %2 bit, %3")
                                         .arg(c.rate)
                                         .arg(c.bits)
                                         .arg(c.channels == 1 ? "mono" : "stereo"));
    EXPECT_EQ(readToEnd(reader, 1000), input);
}

INSTANTIATE_TEST_SUITE_P(Formats, WavRoundTrip,
                         ::testing::Values(PcmCase{44100, 2, 16}, PcmCase{44100, 1, 16},
                                           PcmCase{8000, 1, 8}, PcmCase{22050, 2, 8},
                                           PcmCase{11025, 1, 16}, PcmCase{48000, 2, 16}));

TEST_F(WriteTest, WavOfOddByteCountIsPaddedAndStillExact) {
    TAudioFile2 writer;
    writer.SetFormatPCM(8000, 1, 8);
    writer.CreateFile(path("odd.wav"), 0);
    std::vector<int16_t> input = {0x100, -0x200, 0x7F00};
    writer.WriteFile(SampleArray(1, input));
    writer.CloseFile();
    EXPECT_EQ(QFileInfo(path("odd.wav")).size(), 44 + 4);  // 3 data bytes + pad byte

    TAudioFile2 reader;
    reader.OpenFile(path("odd.wav"), 0, 1);
    ASSERT_EQ(reader.LastErrorNum(), 0);
    EXPECT_EQ(reader.nSamples(), 3);
    EXPECT_EQ(readToEnd(reader), input);
}

TEST_F(WriteTest, WriteFileAdaptsBlocksOfTheOtherChannelCount) {
    TAudioFile2 writer;
    writer.SetFormatPCM(8000, 1, 16);
    writer.CreateFile(path("mono.wav"), 0);
    writer.WriteFile(SampleArray(2, {100, 300, -100, -300}));
    writer.CloseFile();
    TAudioFile2 reader;
    reader.OpenFile(path("mono.wav"), 0, 1);
    EXPECT_EQ(readToEnd(reader), (std::vector<int16_t>{200, -200}));
}

struct Mp3Case {
    int rate;
    int bitrate;
    const char *version;
};

class Mp3RoundTrip : public WriteTest, public ::testing::WithParamInterface<Mp3Case> {};

TEST_P(Mp3RoundTrip, KeepsLengthRateAndTone) {
    const Mp3Case c = GetParam();
    const int frames = c.rate * 3 + 123;
    TAudioFile2 writer;
    writer.SetFormatMP3(c.rate, c.bitrate, 2);
    EXPECT_EQ(writer.ArrayChannels(), 2);
    EXPECT_EQ(writer.ArrayFrequency(), c.rate);
    writer.CreateFile(path("t.mp3"), 0);
    ASSERT_EQ(writer.LastErrorNum(), 0) << writer.LastErrorText().toStdString();
    writeInBlocks(writer, tone(c.rate, 2, frames, 440.0), 2, c.rate);
    EXPECT_EQ(writer.nSamples(), frames);
    writer.CloseFile();
    ASSERT_EQ(writer.LastErrorNum(), 0);

    TAudioFile2 reader;
    reader.OpenFile(path("t.mp3"), 0, 1);
    ASSERT_EQ(reader.LastErrorNum(), 0) << reader.LastErrorText().toStdString();
    // The info frame's encoder delay and padding give back the exact length, also at rates
    // whose frames are too small to hold it; other decoders read it too.
    EXPECT_EQ(reader.nSamples(), frames);
    if (ffmpeg({QStringLiteral("-i"), path("t.mp3"), path("decoded.wav")})) {
        TAudioFile2 decoded;
        decoded.OpenFile(path("decoded.wav"), 0, 1);
        EXPECT_EQ(decoded.nSamples(), frames);
    }
    EXPECT_EQ(reader.ArrayFrequency(), c.rate);
    EXPECT_EQ(reader.ArrayChannels(), 2);
    EXPECT_EQ(reader.FormatString(), QStringLiteral("MPEG %1 layer-3: %2 Hz, %3 kbps, stereo")
                                         .arg(QLatin1String(c.version))
                                         .arg(c.rate)
                                         .arg(c.bitrate));
    const std::vector<int16_t> back = readToEnd(reader);
    EXPECT_EQ(back.size(), static_cast<size_t>(reader.nSamples()) * 2);
    EXPECT_NEAR(dominantFrequency(back, 2, c.rate, 0), 440.0, 5.0);
    EXPECT_NEAR(dominantFrequency(back, 2, c.rate, 1), 660.0, 5.0);
}

INSTANTIATE_TEST_SUITE_P(Formats, Mp3RoundTrip,
                         ::testing::Values(Mp3Case{44100, 128, "1.0"}, Mp3Case{22050, 40, "2.0"},
                                           Mp3Case{22050, 64, "2.0"}, Mp3Case{44100, 320, "1.0"},
                                           Mp3Case{11025, 32, "2.5"}, Mp3Case{48000, 192, "1.0"},
                                           Mp3Case{44100, 56, "1.0"}, Mp3Case{24000, 48, "2.0"},
                                           Mp3Case{8000, 8, "2.5"}, Mp3Case{16000, 24, "2.0"}));

TEST_F(WriteTest, Mp3ExUpdatesTheMp3SettingsButKeepsTheChosenFormat) {
    TAudioFile2LameEnc lame;
    lame.setFrequency(22050);
    lame.setBitrate(64);

    TAudioFile2 wav;
    wav.SetFormatPCM(8000, 1, 16);
    wav.SetFormatMP3Ex(lame);
    EXPECT_EQ(wav.FormatString(), QStringLiteral("PCM: 8000 Hz, 16 bit, mono"));
    wav.CreateFile(path("still.wav"), 0);
    wav.CloseFile();
    TAudioFile2 probe;
    probe.OpenFile(path("still.wav"), 0, 1);
    EXPECT_TRUE(probe.FormatString().startsWith(QLatin1String("PCM")));

    TAudioFile2 mp3;
    mp3.SetFormatMP3(44100, 128, 2);
    mp3.SetFormatMP3Ex(lame);
    EXPECT_EQ(mp3.FormatString(), QStringLiteral("MPEG 2.0 layer-3: 22050 Hz, 64 kbps, stereo"));
    EXPECT_EQ(mp3.ArrayFrequency(), 22050);
}

TEST_F(WriteTest, EmptyRecordingFilesOpenWithNoSamples) {
    // A recording start creates the file empty, then opens it to show its facts.
    for (const char *name : {"e.wav", "e.mp3", "e.wma"}) {
        TAudioFile2 writer;
        writer.setWmaFormatEnabled(true);
        const QString n = QLatin1String(name);
        if (n.endsWith(QLatin1String("wav"))) {
            writer.SetFormatPCM(44100, 2, 16);
        } else if (n.endsWith(QLatin1String("mp3"))) {
            writer.SetFormatMP3(44100, 128, 2);
        } else {
            writer.SetFormatWMA(38);
        }
        writer.CreateFile(path(name), 0);
        ASSERT_EQ(writer.LastErrorNum(), 0) << name;
        EXPECT_EQ(writer.nSamples(), 0);
        writer.CloseFile();

        TAudioFile2 reader;
        reader.OpenFile(path(name), 0, 1);
        EXPECT_EQ(reader.LastErrorNum(), 0) << name << reader.LastErrorText().toStdString();
        EXPECT_LT(reader.nSamples(), 8820) << name;
    }
}

TEST_F(WriteTest, WmaRoundTripKeepsRateChannelsAndTone) {
    TAudioFile2 writer;
    writer.setWmaFormatEnabled(true);
    writer.SetFormatWMA(38);
    EXPECT_EQ(writer.ArrayFrequency(), 44100);
    EXPECT_EQ(writer.ArrayChannels(), 2);
    writer.CreateFile(path("t.wma"), 0);
    ASSERT_EQ(writer.LastErrorNum(), 0) << writer.LastErrorText().toStdString();
    const int frames = 44100 * 3;
    writeInBlocks(writer, tone(44100, 2, frames, 1000.0), 2, 44100);
    writer.CloseFile();
    ASSERT_EQ(writer.LastErrorNum(), 0);

    TAudioFile2 reader;
    reader.OpenFile(path("t.wma"), 0, 1);
    ASSERT_EQ(reader.LastErrorNum(), 0) << reader.LastErrorText().toStdString();
    EXPECT_EQ(reader.ArrayFrequency(), 44100);
    EXPECT_EQ(reader.ArrayChannels(), 2);
    EXPECT_TRUE(reader.FormatString().startsWith(QLatin1String("Windows Media Audio 2: 44100 Hz")))
        << reader.FormatString().toStdString();
    // Whole codec frames: the last one is filled up with silence.
    EXPECT_GE(reader.nSamples(), frames);
    EXPECT_LT(reader.nSamples(), frames + 2048);
    const std::vector<int16_t> back = readToEnd(reader);
    EXPECT_EQ(static_cast<int>(back.size() / 2), reader.nSamples());
    EXPECT_NEAR(dominantFrequency(back, 2, 44100, 0), 1000.0, 10.0);
    EXPECT_NEAR(dominantFrequency(back, 2, 44100, 1), 1500.0, 15.0);
}

TEST_F(WriteTest, CreateFileInAMissingDirectoryFails) {
    TAudioFile2 writer;
    writer.SetFormatPCM(44100, 2, 16);
    writer.CreateFile(path("no/such/dir/x.wav"), 0);
    EXPECT_NE(writer.LastErrorNum(), 0);
    EXPECT_FALSE(writer.LastErrorText().isEmpty());
    writer.WriteFile(SampleArray(2, {1, 2}));
    EXPECT_NE(writer.LastErrorNum(), 0);
    EXPECT_EQ(writer.nSamples(), 0);
}

TEST_F(WriteTest, RefusesFormatsItCannotWrite) {
    TAudioFile2 writer;
    writer.SetFormatPCM(44100, 2, 16);
    writer.SetFormatPCM(96000, 2, 16);
    EXPECT_NE(writer.LastErrorNum(), 0);
    writer.SetFormatPCM(44100, 3, 16);
    EXPECT_NE(writer.LastErrorNum(), 0);
    writer.SetFormatPCM(44100, 2, 12);
    EXPECT_NE(writer.LastErrorNum(), 0);
    // The format chosen before stays.
    EXPECT_EQ(writer.FormatString(), QStringLiteral("PCM: 44100 Hz, 16 bit, stereo"));
}

}  // namespace
