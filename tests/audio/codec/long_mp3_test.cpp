// An hour-long MP3 opens and seeks without being decoded: the length comes from the frame
// headers and a seek decodes only a few frames before its target.
#include "audio/audio_file2.h"
#include "codec_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace codectest;

namespace {

constexpr int kRate = 44100;
constexpr int kPieceSeconds = 10;
constexpr int kCopies = 360;  // one hour

// The MPEG frames of `file` after its first frame (our writer's info frame).
QByteArray framesAfterInfoFrame(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    const QByteArray all = f.readAll();
    // 128 kbps at 44100 Hz: the info frame is 417 bytes, or 418 with the padding bit.
    const int first = 417 + ((static_cast<uint8_t>(all[2]) >> 1) & 1);
    return all.mid(first);
}

TEST(LongMp3, OpensAndSeeksWithoutDecodingTheWholeHour) {
    QTemporaryDir dir;
    const QString piece = dir.filePath(QStringLiteral("piece.mp3"));
    {
        TAudioFile2 w;
        w.SetFormatMP3(kRate, 128, 2);
        w.CreateFile(piece, 0);
        writeInBlocks(w, tone(kRate, 2, kRate * kPieceSeconds, 440.0), 2, kRate);
        w.CloseFile();
    }
    const QByteArray frames = framesAfterInfoFrame(piece);
    ASSERT_GT(frames.size(), 100000);
    const QString hour = dir.filePath(QStringLiteral("hour.mp3"));
    {
        QFile out(hour);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        for (int i = 0; i < kCopies; ++i) {
            ASSERT_EQ(out.write(frames), frames.size());
        }
    }
    const int64_t frameCount =
        static_cast<int64_t>(frames.size()) * kCopies * 8 * kRate / (128000LL * 1152);

    QElapsedTimer timer;
    timer.start();
    TAudioFile2 file;
    file.OpenFile(hour, 0, 1);
    ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    const int n = file.nSamples();
    EXPECT_NEAR(n, frameCount * 1152, 1152);
    EXPECT_NEAR(n / kRate, 3600, 15);  // each piece brings its encoder delay and padding
    for (const int target : {n - kRate, n / 2, 17, n - 5000, n / 3}) {
        ASSERT_EQ(file.SeekFile(target, 3), target);
        const SampleArray block = file.ReadFile(4410);
        EXPECT_EQ(block.frames(), std::min(4410, n - target));
    }
    // Decoding the hour would take tens of seconds even in a fast build.
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(LongMp3, VariableBitrateWithoutHeaderIsCountedFromItsFrames) {
    if (!haveTool(QStringLiteral("ffmpeg"))) {
        GTEST_SKIP() << "no ffmpeg";
    }
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("piece.wav"));
    {
        TAudioFile2 w;
        w.SetFormatPCM(kRate, 2, 16);
        w.CreateFile(source, 0);
        writeInBlocks(w, tone(kRate, 2, kRate * kPieceSeconds, 440.0), 2, kRate);
    }
    const QString piece = dir.filePath(QStringLiteral("piece.mp3"));
    ASSERT_TRUE(ffmpeg({QStringLiteral("-i"), source, QStringLiteral("-c:a"),
                        QStringLiteral("libmp3lame"), QStringLiteral("-q:a"), QStringLiteral("2"),
                        QStringLiteral("-write_xing"), QStringLiteral("0"),
                        QStringLiteral("-id3v2_version"), QStringLiteral("0"), piece}));
    QFile in(piece);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray frames = in.readAll();
    const QString hour = dir.filePath(QStringLiteral("hour.mp3"));
    {
        QFile out(hour);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        for (int i = 0; i < kCopies; ++i) {
            out.write(frames);
        }
    }
    TAudioFile2 one;
    one.OpenFile(piece, 0, 1);
    ASSERT_EQ(one.LastErrorNum(), 0);
    EXPECT_TRUE(one.FormatString().contains(QLatin1String("VBR")));

    QElapsedTimer timer;
    timer.start();
    TAudioFile2 file;
    file.OpenFile(hour, 0, 1);
    ASSERT_EQ(file.LastErrorNum(), 0);
    EXPECT_EQ(file.nSamples(), one.nSamples() * kCopies);
    const int target = file.nSamples() - 3 * kRate;
    EXPECT_EQ(file.SeekFile(target, 3), target);
    EXPECT_EQ(file.ReadFile(kRate).frames(), kRate);
    EXPECT_LT(timer.elapsed(), 5000);
}

}  // namespace
