// FFmpeg is loaded with the codec module on the first file read or WMA written, never at
// start-up: WAV and MP3 recording, MP3 reading (through libmpg123) and tags work without it.
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "codec_test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool loaded(const char *library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains(library);
}

bool ffmpegLoaded() {
    return loaded("libavcodec");
}

void writeTone(TAudioFile2 &file, const QString &path) {
    file.CreateFile(path, 0);
    const std::vector<int16_t> samples = codectest::tone(44100, 2, 44100, 440.0);
    file.WriteFile(SampleArray(2, samples));
    file.CloseFile();
}

TEST(CodecModuleTest, FfmpegIsLoadedOnlyWhenAFileOtherThanMp3IsRead) {
    ASSERT_FALSE(ffmpegLoaded()) << "the engine links FFmpeg directly again";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString wav = dir.filePath(QStringLiteral("a.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("a.mp3"));

    TAudioFile2 writer;
    writer.SetFormatPCM(44100, 2, 16);
    writeTone(writer, wav);
    writer.SetFormatMP3(44100, 128, 2);
    writeTone(writer, mp3);
    ASSERT_EQ(writer.LastErrorNum(), 0) << writer.LastErrorText().toStdString();
    TAudioInformation2 info;
    EXPECT_EQ(info.GenreToString(0), QStringLiteral("Blues"));
    EXPECT_FALSE(ffmpegLoaded());

    TAudioFile2 reader;
    reader.OpenFile(mp3, 0, 1);
    ASSERT_EQ(reader.LastErrorNum(), 0) << reader.LastErrorText().toStdString();
    EXPECT_EQ(reader.nSamples(), 44100);
    EXPECT_EQ(reader.ReadFile(44100).frames(), 44100);
    EXPECT_TRUE(loaded("libmpg123"));
    EXPECT_FALSE(ffmpegLoaded()) << "an MP3 was read through FFmpeg";
    EXPECT_TRUE(info.GetAudioInformation(mp3));
    EXPECT_FALSE(ffmpegLoaded()) << "the information of an MP3 was read through FFmpeg";

    reader.OpenFile(wav, 0, 1);
    EXPECT_EQ(reader.nSamples(), 44100);
    EXPECT_TRUE(ffmpegLoaded());
}

}  // namespace
