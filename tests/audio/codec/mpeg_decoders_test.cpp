// MPEG audio is decoded by libmpg123 when the program can open it and by FFmpeg's decoders in
// the codec module otherwise. Both must give the same file: the same length, format text and
// timeline (no shift of a sample), and the same sound to within a step of rounding.
#include "audio/codec/ffmpeg_codec.h"
#include "audio/codec/mpeg_audio_source.h"
#include "audio/codec/mpg123_decoder.h"
#include "codec_test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

using namespace codectest;
using namespace korvanta::codec;

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 3 * kRate + 321;

struct MpegKind {
    const char *file;
    const char *args;  // ffmpeg output options
};

const MpegKind kKinds[] = {
    {"cbr.mp3", "-c:a libmp3lame -b:a 128k"},
    {"vbr.mp3", "-c:a libmp3lame -q:a 2"},
    {"lsf-mono.mp3", "-c:a libmp3lame -b:a 48k -ar 22050 -ac 1"},
    {"noxing.mp3", "-c:a libmp3lame -b:a 96k -write_xing 0 -id3v2_version 0"},
    {"layer2.mp2", "-c:a mp2 -b:a 192k"},
};

std::vector<int16_t> readAll(AudioSource &source) {
    std::vector<int16_t> all;
    while (source.read(4096, all) > 0) {
    }
    return all;
}

class MpegDecoders : public ::testing::TestWithParam<MpegKind> {
protected:
    void SetUp() override {
        if (!haveTool(QStringLiteral("ffmpeg")))
            GTEST_SKIP() << "ffmpeg is not installed";
        if (!makeMpg123Decoder(
                MpegFrameHeader{MpegFrameHeader::Mpeg1, 3, 128, kRate, 0, false, 417, 1152}))
            GTEST_SKIP() << "libmpg123 can't be opened";
        ASSERT_TRUE(dir_.isValid());
        const QString wav = dir_.filePath(QStringLiteral("source.wav"));
        TAudioFile2 w;
        w.SetFormatPCM(kRate, 2, 16);
        w.CreateFile(wav, 0);
        // A chirp through the whole band shows any shift between the two timelines.
        std::vector<int16_t> s(static_cast<size_t>(kFrames) * 2);
        for (int i = 0; i < kFrames; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double v = 12000.0 * std::sin(2 * M_PI * (100.0 * t + 1500.0 * t * t));
            s[static_cast<size_t>(i) * 2] = static_cast<int16_t>(v);
            s[static_cast<size_t>(i) * 2 + 1] = static_cast<int16_t>(-v / 2);
        }
        w.WriteFile(SampleArray(2, s));
        w.CloseFile();
        path_ = dir_.filePath(QLatin1String(GetParam().file));
        QStringList args{QStringLiteral("-i"), wav};
        args += QString::fromLatin1(GetParam().args).split(QLatin1Char(' '));
        args += path_;
        ASSERT_TRUE(ffmpeg(args)) << "ffmpeg could not make " << GetParam().file;
    }

    QTemporaryDir dir_;
    QString path_;
};

TEST_P(MpegDecoders, LibmpgAndFfmpegReadTheSameSound) {
    ASSERT_TRUE(MpegAudioSource::startsWithMpegAudio(path_));
    int errorNum = 0;
    QString errorText;
    const std::unique_ptr<AudioSource> ours =
        MpegAudioSource::open(path_, &makeMpg123Decoder, &errorNum, &errorText);
    ASSERT_TRUE(ours) << errorText.toStdString();
    const FfmpegCodec *codec = ffmpegCodec(&errorText);
    ASSERT_NE(codec, nullptr) << errorText.toStdString();
    const std::unique_ptr<AudioSource> theirs = codec->openSource(path_, &errorNum, &errorText);
    ASSERT_TRUE(theirs) << errorText.toStdString();

    EXPECT_EQ(ours->length(), theirs->length());
    EXPECT_EQ(ours->sampleRate(), theirs->sampleRate());
    EXPECT_EQ(ours->channels(), theirs->channels());
    EXPECT_EQ(ours->formatText(), theirs->formatText());

    const std::vector<int16_t> a = readAll(*ours);
    const std::vector<int16_t> b = readAll(*theirs);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(static_cast<int64_t>(a.size()), ours->length() * ours->channels());
    int worst = 0;
    double signal = 0;
    double difference = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int d = std::abs(a[i] - b[i]);
        worst = std::max(worst, d);
        signal += static_cast<double>(b[i]) * b[i];
        difference += static_cast<double>(d) * d;
    }
    EXPECT_LE(worst, 2) << "the decoders disagree by more than rounding";
    EXPECT_GT(10 * std::log10(signal / std::max(difference, 1.0)), 70.0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MpegDecoders, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<MpegKind> &tested) {
                             return QString::fromLatin1(tested.param.file)
                                 .replace(QLatin1Char('.'), QLatin1Char('_'))
                                 .replace(QLatin1Char('-'), QLatin1Char('_'))
                                 .toStdString();
                         });

}  // namespace
