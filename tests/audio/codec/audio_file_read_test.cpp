// Reading files of every kind the Open dialog offers, made by the ffmpeg tool from a known
// tone: facts, decoded content and sample-accurate seeking.
#include "audio/audio_file2.h"
#include "codec_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cstring>
#include <memory>

using namespace codectest;

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 3;
constexpr int kFrames = kRate * kSeconds;
constexpr const char *kMusepackEncoder = "mpcenc";

struct Kind {
    const char *file;     // name of the file made, extension included
    const char *encoder;  // ffmpeg encoder it needs
    const char *args;     // ffmpeg output options
    int rate;
    int channels;
    int expectedFrames;
    int lengthTolerance;  // codec frames and encoder delay the container may not record
    const char *formatStart;
    int seekTolerance = 0;  // decoders with dither or float state may differ by a step
};

const Kind kKinds[] = {
    {"pcm.wav", "pcm_s16le", "-c:a pcm_s16le", kRate, 2, kFrames, 0,
     "PCM: 44100 Hz, 16 bit, stereo"},
    {"u8mono.wav", "pcm_u8", "-c:a pcm_u8 -ac 1 -ar 11025", 11025, 1, kSeconds * 11025, 0,
     "PCM: 11025 Hz, 8 bit, mono"},
    {"cbr.mp3", "libmp3lame", "-c:a libmp3lame -b:a 128k", kRate, 2, kFrames, 0,
     "MPEG 1.0 layer-3: 44100 Hz, 128 kbps, stereo"},
    {"vbr.mp3", "libmp3lame", "-c:a libmp3lame -q:a 4", kRate, 2, kFrames, 0,
     "MPEG 1.0 layer-3: 44100 Hz, "},
    {"noxing.mp3", "libmp3lame", "-c:a libmp3lame -b:a 96k -write_xing 0 -id3v2_version 0", kRate,
     2, kFrames, 3 * 1152, "MPEG 1.0 layer-3: 44100 Hz, 96 kbps, stereo"},
    {"lsf.mp3", "libmp3lame", "-c:a libmp3lame -b:a 64k -ar 22050 -ac 1", 22050, 1,
     kSeconds * 22050, 0, "MPEG 2.0 layer-3: 22050 Hz, 64 kbps, mono"},
    {"layer2.mp2", "mp2", "-c:a mp2 -b:a 192k", kRate, 2, kFrames, 3 * 1152,
     "MPEG 1.0 layer-2: 44100 Hz, 192 kbps, stereo", 2},
    {"raw.mpeg", "mp2", "-c:a mp2 -b:a 128k -f mp2", kRate, 2, kFrames, 3 * 1152,
     "MPEG 1.0 layer-2: 44100 Hz, 128 kbps, stereo", 2},
    {"program.mpeg", "mp2", "-c:a mp2 -b:a 128k -f mpeg", kRate, 2, kFrames, 3 * 1152,
     "MPEG 1.0 layer-2: 44100 Hz, 128 kbps, stereo", 2},
    {"v2.wma", "wmav2", "-c:a wmav2 -b:a 128k", kRate, 2, kFrames, 2 * 2048,
     "Windows Media Audio 2: 44100 Hz, 128 kbps, stereo"},
    {"v1.wma", "wmav1", "-c:a wmav1 -b:a 64k -ar 22050", 22050, 2, kSeconds * 22050, 2 * 1024,
     "Windows Media Audio 1: 22050 Hz, 64 kbps, stereo"},
    {"vorbis.ogg", "libvorbis", "-c:a libvorbis -q:a 4", kRate, 2, kFrames, 0,
     "Ogg Vorbis: 44100 Hz, "},
    {"pcm.avi", "pcm_s16le", "-c:a pcm_s16le", kRate, 2, kFrames, 0,
     "PCM: 44100 Hz, 16 bit, stereo"},
    {"mp3.avi", "libmp3lame", "-c:a libmp3lame -b:a 128k", kRate, 2, kFrames, 3 * 1152,
     "MPEG 1.0 layer-3: 44100 Hz, 128 kbps, stereo"},
    {"raw.g721", "g726le", "-c:a g726le -ar 8000 -ac 1 -b:a 32k -f g726le", 8000, 1,
     kSeconds * 8000, 0, "G.721 ADPCM: 8000 Hz, 32 kbps, mono"},
    // ffmpeg has no MPEG layer 1 encoder: this is skipped where it can't make it, though .mp1
    // goes the way of .mp2.
    {"layer1.mp1", "mp1", "-c:a mp1 -f mp2", kRate, 2, kFrames, 3 * 384,
     "MPEG 1.0 layer-1: 44100 Hz, "},
    // Musepack comes from its own encoder (kMusepackEncoder), under both its extensions.
    {"musepack.mpc", kMusepackEncoder, "", kRate, 2, kFrames, 0, "Musepack SV8: 44100 Hz, "},
    {"musepack.mp+", kMusepackEncoder, "", kRate, 2, kFrames, 0, "Musepack SV8: 44100 Hz, "},
    {"sixch.wav", "pcm_s16le", "-c:a pcm_s16le -ac 6", kRate, 2, kFrames, 0,
     "PCM: 44100 Hz, 16 bit, 6 channels"},
    {"mulaw.wav", "pcm_mulaw", "-c:a pcm_mulaw -ar 8000 -ac 1", 8000, 1, kSeconds * 8000, 0,
     "\u00b5-law: 8000 Hz, 8 bit, mono"},
    {"alaw.wav", "pcm_alaw", "-c:a pcm_alaw -ar 8000 -ac 1", 8000, 1, kSeconds * 8000, 0,
     "A-law: 8000 Hz, 8 bit, mono"},
    // The edit list gives the exact length; ADTS has none, so the encoder's delay and padding
    // are heard, as with the reference decoder. Without noise substitution, whose random
    // noise differs after a seek.
    {"aac.m4a", "aac", "-c:a aac -aac_pns 0 -b:a 128k", kRate, 2, kFrames, 0,
     "AAC (Advanced Audio Coding): 44100 Hz, "},
    {"alac.m4a", "alac", "-c:a alac", kRate, 2, kFrames, 0,
     "ALAC (Apple Lossless Audio Codec): 44100 Hz, "},
    {"adts.aac", "aac", "-c:a aac -aac_pns 0 -b:a 96k -f adts", kRate, 2, kFrames, 2 * 1024,
     "AAC (Advanced Audio Coding): 44100 Hz, "},
    {"pcm.aiff", "pcm_s16be", "-c:a pcm_s16be", kRate, 2, kFrames, 0,
     "PCM: 44100 Hz, 16 bit, stereo"},
    {"opus.oga", "libopus", "-c:a libopus -b:a 96k", 48000, 2, kSeconds * 48000, 0, "Opus "},
};

class ReadKind : public ::testing::TestWithParam<Kind> {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        TAudioFile2 w;
        w.SetFormatPCM(kRate, 2, 16);
        w.CreateFile(dir_->filePath(QStringLiteral("source.wav")), 0);
        writeInBlocks(w, tone(kRate, 2, kFrames, 440.0), 2, kRate);
        w.CloseFile();
    }
    static void TearDownTestSuite() { dir_.reset(); }

    // Makes the file of this kind; skips the test when this ffmpeg can't.
    QString make() {
        const Kind &k = GetParam();
        if (std::strcmp(k.encoder, kMusepackEncoder) == 0) {
            return makeMusepack(QLatin1String(k.file));
        }
        if (!haveTool(QStringLiteral("ffmpeg"))) {
            return QString();
        }
        if (!ffmpegHasEncoder(QLatin1String(k.encoder))) {
            return QString();
        }
        const QString out = dir_->filePath(QLatin1String(k.file));
        QStringList args{QStringLiteral("-i"), dir_->filePath(QStringLiteral("source.wav"))};
        args += QString::fromLatin1(k.args).split(QLatin1Char(' '));
        args += out;
        return ffmpeg(args) ? out : QString();
    }

    // mpcenc only writes names ending in .mpc: other extensions are renamed after.
    static QString makeMusepack(const QString &file) {
        const QString out = dir_->filePath(file);
        const QString made = dir_->filePath(QStringLiteral("made.mpc"));
        if (runTool(QLatin1String(kMusepackEncoder),
                    {QStringLiteral("--silent"), QStringLiteral("--overwrite"),
                     dir_->filePath(QStringLiteral("source.wav")), made})
                .isNull()) {
            return QString();
        }
        QFile::remove(out);
        return QFile::rename(made, out) ? out : QString();
    }

    static std::unique_ptr<QTemporaryDir> dir_;
};

std::unique_ptr<QTemporaryDir> ReadKind::dir_;

TEST_P(ReadKind, OpensDecodesAndSeeksExactly) {
    const Kind &k = GetParam();
    const QString path = make();
    if (path.isEmpty()) {
        GTEST_SKIP() << "can't make " << k.file << " (encoder " << k.encoder << ")";
    }
    TAudioFile2 file;
    file.setWmaFormatEnabled(true);
    file.OpenFile(path, 0, 1);
    ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    EXPECT_EQ(file.ArrayFrequency(), k.rate);
    EXPECT_EQ(file.ArrayChannels(), k.channels);
    EXPECT_TRUE(file.FormatString().startsWith(QString::fromUtf8(k.formatStart)))
        << file.FormatString().toStdString();
    const int n = file.nSamples();
    EXPECT_GE(n, k.expectedFrames - k.lengthTolerance);
    EXPECT_LE(n, k.expectedFrames + k.lengthTolerance);

    const std::vector<int16_t> all = readToEnd(file, 4410);
    const int ch = file.ArrayChannels();
    EXPECT_EQ(static_cast<int>(all.size()) / ch, n) << "reading gives the length announced";
    EXPECT_NEAR(dominantFrequency(all, ch, k.rate, 0), 440.0, 6.0);

    // Seek anywhere, forwards and backwards: the samples are those of reading straight on.
    for (const int target : {n / 2 + 123, 1, n - 1000, n / 3, 0, 4097, n / 2 + 200}) {
        ASSERT_EQ(file.SeekFile(target, 3), target);
        const SampleArray block = file.ReadFile(700);
        ASSERT_EQ(block.frames(), std::min(700, n - target)) << "at " << target;
        const auto from = all.begin() + static_cast<ptrdiff_t>(target) * ch;
        int worst = 0;
        for (size_t i = 0; i < block.samples().size(); ++i) {
            worst = std::max(worst, std::abs(block.samples()[i] - from[static_cast<ptrdiff_t>(i)]));
        }
        EXPECT_LE(worst, k.seekTolerance)
            << k.file << ": samples after a seek to " << target << " differ";
    }
    EXPECT_EQ(file.SeekFile(n + 5000, 3), n);
    EXPECT_TRUE(file.ReadFile(100).isEmpty());

    // A seek as the first thing after opening (Play with the slider moved while stopped).
    TAudioFile2 fresh;
    fresh.setWmaFormatEnabled(true);
    fresh.OpenFile(path, 0, 1);
    const int target = n * 2 / 3 + 57;
    ASSERT_EQ(fresh.SeekFile(target, 3), target);
    const SampleArray block = fresh.ReadFile(700);
    ASSERT_EQ(block.frames(), std::min(700, n - target));
    const auto from = all.begin() + static_cast<ptrdiff_t>(target) * ch;
    int worst = 0;
    for (size_t i = 0; i < block.samples().size(); ++i) {
        worst = std::max(worst, std::abs(block.samples()[i] - from[static_cast<ptrdiff_t>(i)]));
    }
    EXPECT_LE(worst, k.seekTolerance) << k.file << ": the first seek after opening is off";
}

INSTANTIATE_TEST_SUITE_P(Kinds, ReadKind, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &tested) {
                             return QString::fromLatin1(tested.param.file)
                                 .replace(QLatin1Char('.'), QLatin1Char('_'))
                                 .replace(QLatin1Char('+'), QLatin1Char('p'))
                                 .toStdString();
                         });

// No encoder makes layer 1 here, but silence is easy to write by hand: a frame whose bit
// allocation is all zero carries no samples.
TEST(HandBuiltStream, LayerOneFramesOfSilence) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("silence.mp1"));
    const int frameCount = 500;
    {
        // MPEG-1 layer 1, no CRC, 192 kbps, 44100 Hz, stereo: 52 slots of 4 bytes.
        QByteArray frame(208, '\0');
        frame[0] = static_cast<char>(0xFF);
        frame[1] = static_cast<char>(0xFF);
        frame[2] = static_cast<char>(0x60);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < frameCount; ++i) {
            f.write(frame);
        }
    }
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    EXPECT_EQ(file.FormatString(), QStringLiteral("MPEG 1.0 layer-1: 44100 Hz, 192 kbps, stereo"));
    EXPECT_EQ(file.nSamples(), frameCount * 384);
    EXPECT_EQ(file.ArrayChannels(), 2);
    EXPECT_EQ(file.SeekFile(1000, 3), 1000);
    const std::vector<int16_t> rest = readToEnd(file);
    EXPECT_EQ(static_cast<int>(rest.size() / 2), frameCount * 384 - 1000);
    EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](int16_t v) { return v == 0; }));
}

// The number before " kbps" in a format text, or -1.
int kbpsIn(const QString &text) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d+) kbps")).match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The Ogg page checksum (CRC-32, polynomial 0x04C11DB7, no reflection).
uint32_t oggCrc(const QByteArray &page) {
    uint32_t crc = 0;
    for (const char byte : page) {
        crc ^= uint32_t{static_cast<uint8_t>(byte)} << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
    }
    return crc;
}

// A VBR MP3 whose first frames are loud noise and the rest quiet: its first frame's bitrate
// is far above the average, which is what the format text must show.
TEST(BitrateText, VbrMp3ShowsTheAverageOfTheWholeStream) {
    if (!haveTool(QStringLiteral("lame"))) {
        GTEST_SKIP() << "lame is not installed";
    }
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("source.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("vbr.mp3"));
    std::vector<int16_t> samples = tone(kRate, 2, kRate * 6, 440.0, 0.05);
    const std::vector<int16_t> loud = noise(2, kRate / 2);
    std::copy(loud.begin(), loud.end(), samples.begin());
    {
        TAudioFile2 w;
        w.SetFormatPCM(kRate, 2, 16);
        w.CreateFile(wav, 0);
        w.WriteFile(SampleArray(2, samples));
    }
    ASSERT_FALSE(runTool(QStringLiteral("lame"),
                         {QStringLiteral("--quiet"), QStringLiteral("-V2"), wav, mp3})
                     .isNull());
    TAudioFile2 file;
    file.OpenFile(mp3, 0, 1);
    ASSERT_EQ(file.LastErrorNum(), 0);
    const double seconds = double(file.nSamples()) / kRate;
    const double average = QFileInfo(mp3).size() * 8.0 / seconds / 1000.0;
    const int shown = kbpsIn(file.FormatString());
    EXPECT_TRUE(file.FormatString().contains(QLatin1String("VBR")));
    EXPECT_NEAR(shown, average, average * 0.05) << file.FormatString().toStdString();
    EXPECT_LT(average, 200.0) << "the test signal no longer makes a lower average";
}

// Ogg Vorbis whose identification header leaves the nominal bitrate unset (-1, as some
// encoders write it): shown as the file's average, never as the raw field.
TEST(BitrateText, UndeclaredBitrateIsComputedFromSizeAndLength) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("source.wav"));
    const QString ogg = dir.filePath(QStringLiteral("plain.ogg"));
    {
        TAudioFile2 w;
        w.SetFormatPCM(kRate, 2, 16);
        w.CreateFile(wav, 0);
        w.WriteFile(SampleArray(2, tone(kRate, 2, kFrames, 440.0)));
    }
    if (!ffmpeg({QStringLiteral("-i"), wav, QStringLiteral("-c:a"), QStringLiteral("libvorbis"),
                 ogg})) {
        GTEST_SKIP() << "ffmpeg with libvorbis is not installed";
    }
    QFile f(ogg);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const qsizetype header = bytes.indexOf(QByteArray("\x01vorbis", 7));
    ASSERT_GT(header, 0);
    // Nominal bitrate to -1, then the first page's checksum to match.
    bytes.replace(header + 20, 4, QByteArray(4, '\xff'));
    const int segments = static_cast<uint8_t>(bytes[26]);
    int pageEnd = 27 + segments;
    for (int i = 0; i < segments; ++i) {
        pageEnd += static_cast<uint8_t>(bytes[27 + i]);
    }
    bytes.replace(22, 4, QByteArray(4, '\0'));
    const uint32_t crc = oggCrc(bytes.left(pageEnd));
    for (int i = 0; i < 4; ++i) {
        bytes[22 + i] = static_cast<char>(crc >> (8 * i));
    }
    f.seek(0);
    f.write(bytes);
    f.close();

    TAudioFile2 file;
    file.OpenFile(ogg, 0, 1);
    ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    const double average = QFileInfo(ogg).size() * 8.0 / kSeconds / 1000.0;
    EXPECT_FALSE(file.FormatString().contains(QLatin1String("4294967")));
    EXPECT_NEAR(kbpsIn(file.FormatString()), average, average * 0.1 + 1)
        << file.FormatString().toStdString();
}

}  // namespace
