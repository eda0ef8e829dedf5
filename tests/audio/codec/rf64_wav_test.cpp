// WAV files past 4 GB as other tools write them: RF64, whose true sizes stand in a "ds64"
// chunk while the 32-bit fields say 0xFFFFFFFF. The file is made small by the ffmpeg tool and
// then grown sparse to 5 GiB, so it costs no disk space.
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "codec_test_support.h"
#include "recording/wav_recovery.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace codectest;

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kToneFrames = kRate;  // the known sound at the start
constexpr int64_t kFileBytes = int64_t{5} << 30;

void putLe64(QByteArray &bytes, qint64 at, uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        bytes[at + i] = static_cast<char>(v >> (8 * i));
    }
}

// What identifies the file's state: its size and a hash of its first and last megabyte.
QByteArray fingerprint(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(f.read(1 << 20));
    f.seek(f.size() - (1 << 20));
    hash.addData(f.read(1 << 20));
    return QByteArray::number(f.size()) + hash.result().toHex();
}

class Rf64WavTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveTool(QStringLiteral("ffmpeg"))) {
            GTEST_SKIP() << "no ffmpeg";
        }
        ASSERT_TRUE(dir.isValid());
        sound = noise(kChannels, kToneFrames);
        const QString raw = dir.filePath(QStringLiteral("sound.raw"));
        QFile r(raw);
        ASSERT_TRUE(r.open(QIODevice::WriteOnly));
        r.write(reinterpret_cast<const char *>(sound.data()),
                static_cast<qint64>(sound.size() * 2));
        r.close();
        file = dir.filePath(QStringLiteral("long.wav"));
        ASSERT_TRUE(
            ffmpeg({QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ar"),
                    QString::number(kRate), QStringLiteral("-ac"), QString::number(kChannels),
                    QStringLiteral("-i"), raw, QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"),
                    QStringLiteral("-rf64"), QStringLiteral("always"), file}));
        growSparse();
    }

    // Sets the ds64 sizes to those of a 5 GiB file and extends the file to that size: what
    // `-rf64 auto` leaves after a recording of that length, with silence after the start.
    void growSparse() {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray head = f.read(4096);
        ASSERT_TRUE(head.startsWith("RF64")) << "not written as RF64";
        ASSERT_EQ(head.mid(12, 4), QByteArray("ds64"));
        const qint64 data = head.indexOf("data");
        ASSERT_GT(data, 0);
        dataBytes = kFileBytes - (data + 8);
        frames = dataBytes / (2 * kChannels);
        putLe64(head, 20, static_cast<uint64_t>(kFileBytes - 8));
        putLe64(head, 28, static_cast<uint64_t>(dataBytes));
        putLe64(head, 36, static_cast<uint64_t>(frames));
        ASSERT_TRUE(f.seek(0));
        ASSERT_EQ(f.write(head.left(44)), 44);
        ASSERT_TRUE(f.resize(kFileBytes));
    }

    QTemporaryDir dir;
    QString file;
    std::vector<int16_t> sound;
    int64_t dataBytes = 0;
    int64_t frames = 0;
};

// The whole length, the format, the sound at the start exactly, and the end where it is.
TEST_F(Rf64WavTest, OpensWithItsTrueLengthAndFormat) {
    ASSERT_GT(frames, int64_t{1} << 30) << "more frames than a 4 GB RIFF WAV can hold";
    TAudioFile2 reader;
    reader.OpenFile(file, 0, 1);
    ASSERT_EQ(reader.LastErrorNum(), 0) << reader.LastErrorText().toStdString();
    EXPECT_EQ(reader.nSamples(), frames);
    EXPECT_EQ(reader.ArrayFrequency(), kRate);
    EXPECT_EQ(reader.ArrayChannels(), kChannels);
    const SampleArray start = reader.ReadFile(kToneFrames);
    EXPECT_TRUE(start.samples() == sound) << "the sound at the start differs";

    const int tail = 5000;
    EXPECT_EQ(reader.SeekFile(-tail, 2), frames - tail);
    const std::vector<int16_t> end = readToEnd(reader, 3000);
    EXPECT_EQ(static_cast<int64_t>(end.size()), int64_t{tail} * kChannels)
        << "frames read after seeking near the end";
    reader.CloseFile();

    TAudioInformation2 info;
    ASSERT_TRUE(info.GetAudioInformation(file)) << info.LastErrorText().toStdString();
    EXPECT_EQ(info.Size(), kFileBytes);
    EXPECT_EQ(info.Duration(), frames * 1000 / kRate);
    EXPECT_TRUE(info.FormatString().contains(QLatin1String("44100")))
        << info.FormatString().toStdString();
}

// Reading the tags and a tag write leave the file as it was; the write says why it did not
// happen.
TEST_F(Rf64WavTest, TagWriteIsRefusedAndLeavesItIntact) {
    const QByteArray before = fingerprint(file);
    ASSERT_FALSE(before.isEmpty());
    TAudioInformation2 info;
    ASSERT_TRUE(info.GetAudioInformation(file)) << info.LastErrorText().toStdString();
    EXPECT_EQ(fingerprint(file), before) << "reading the tags changed the file";
    info.setInfoTitle(QStringLiteral("Long day"));
    EXPECT_FALSE(info.SetAudioInformation(file)) << "tags written into an RF64 file";
    EXPECT_TRUE(info.LastErrorText().contains(QLatin1String("RF64")))
        << info.LastErrorText().toStdString();
    EXPECT_EQ(QFileInfo(file).size(), kFileBytes);
    EXPECT_EQ(fingerprint(file), before) << "the tag write changed the file";
}

// The start-up repair of cut-off recordings takes it for a finished file.
TEST_F(Rf64WavTest, RepairLeavesItIntact) {
    const QByteArray before = fingerprint(file);
    EXPECT_NE(RepairWavHeader(file), WavRepair::Repaired);
    EXPECT_EQ(fingerprint(file), before) << "the repair changed the file";
}

}  // namespace
