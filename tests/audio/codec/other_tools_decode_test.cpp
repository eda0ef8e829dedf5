// Files as other tools make them, read as the reference decoder reads them: chained Ogg
// Vorbis (whole files joined end to end, as stream dumps are) and AAC in M4A. Judged by the
// length, the lag and the error size against the ffmpeg tool's decode.
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "codec_test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace codectest;

namespace {

constexpr int kRate = 44100;

// The ffmpeg tool's decode of `path` as interleaved 16-bit samples, with `outputArgs` (rate,
// channels, filters) before the output; empty on failure.
std::vector<int16_t> ffmpegRaw(const QString &path, const QStringList &outputArgs,
                               const QString &rawPath) {
    if (!ffmpeg(QStringList{QStringLiteral("-i"), path} + outputArgs +
                QStringList{QStringLiteral("-f"), QStringLiteral("s16le"), rawPath})) {
        return {};
    }
    QFile raw(rawPath);
    if (!raw.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = raw.readAll();
    std::vector<int16_t> s(static_cast<size_t>(bytes.size()) / 2);
    std::memcpy(s.data(), bytes.constData(), s.size() * 2);
    return s;
}

std::vector<int16_t> readAll(const QString &path, int *rate, int *channels, int *length) {
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    *rate = file.ArrayFrequency();
    *channels = file.ArrayChannels();
    *length = file.nSamples();
    return readToEnd(file, 3000);
}

// Signal to error in dB over frames [from, to) of two interleaved stereo signals.
double snrDb(const std::vector<int16_t> &ref, const std::vector<int16_t> &test, size_t from,
             size_t to) {
    double signal = 0;
    double error = 0;
    for (size_t i = from * 2; i < std::min({to * 2, ref.size(), test.size()}); ++i) {
        const double r = ref[i];
        signal += r * r;
        error += (r - test[i]) * (r - test[i]);
    }
    return error == 0 ? 200.0 : 10.0 * std::log10(signal / error);
}

// The shift of `test` against `ref` around frames [from, to) that matches best (test[i] is
// ref[i + lag]), left channel.
int bestLag(const std::vector<int16_t> &ref, const std::vector<int16_t> &test, int from, int to,
            int range) {
    int best = 0;
    double bestError = -1;
    const int frames = static_cast<int>(std::min(ref.size(), test.size()) / 2);
    for (int lag = -range; lag <= range; ++lag) {
        double error = 0;
        for (int i = std::max(from, range); i < std::min(to, frames - range); ++i) {
            const double d =
                ref[static_cast<size_t>(i + lag) * 2] - test[static_cast<size_t>(i) * 2];
            error += d * d;
        }
        if (bestError < 0 || error < bestError) {
            bestError = error;
            best = lag;
        }
    }
    return best;
}

bool haveTools(std::initializer_list<const char *> tools) {
    return std::all_of(tools.begin(), tools.end(),
                       [](const char *t) { return haveTool(QLatin1String(t)); });
}

// Makes a 2 s sweep WAV with sox at `rate` and `channels`.
bool makeSweep(const QString &path, int rate, int channels, const char *sweep) {
    return !runTool(QStringLiteral("sox"),
                    QStringLiteral("-n -r %1 -c %2 -b 16 %3 synth 2 sine %4 vol 0.6")
                        .arg(rate)
                        .arg(channels)
                        .arg(path, QLatin1String(sweep))
                        .split(QLatin1Char(' ')))
                .isNull();
}

// Each link gets a serial number of its own: oggenc draws one from the clock, so two links
// made within the same moment could share it, which makes them one (broken) stream.
bool oggenc(const QString &wav, const QString &ogg, const QString &title, int serial) {
    return !runTool(QStringLiteral("oggenc"),
                    {QStringLiteral("-Q"), QStringLiteral("-q"), QStringLiteral("4"),
                     QStringLiteral("-s"), QString::number(serial), QStringLiteral("-t"), title,
                     QStringLiteral("-o"), ogg, wav})
                .isNull();
}

struct ChainCase {
    int secondRate;
    int secondChannels;
};

// Two links: 2 s at 44.1 kHz stereo, then 2 s at the case's rate and channels. Every link
// plays, in order, at the first link's rate and channels, and the length counts them all;
// the tags are the first link's.
TEST(ChainedOgg, EveryLinkPlaysInOrderAtTheFirstLinksRateAndChannels) {
    if (!haveTools({"sox", "oggenc", "oggdec", "ffmpeg"})) {
        GTEST_SKIP() << "sox, oggenc, oggdec or ffmpeg missing";
    }
    for (const ChainCase c : {ChainCase{22050, 1}, ChainCase{kRate, 2}}) {
        SCOPED_TRACE(c.secondRate);
        QTemporaryDir dir;
        const auto at = [&dir](const char *name) { return dir.filePath(QLatin1String(name)); };
        ASSERT_TRUE(makeSweep(at("a.wav"), kRate, 2, "200-3000 sine 300-4500"));
        ASSERT_TRUE(makeSweep(at("b.wav"), c.secondRate, c.secondChannels,
                              c.secondChannels == 1 ? "2500-400" : "2500-400 sine 900-100"));
        ASSERT_TRUE(oggenc(at("a.wav"), at("a.ogg"), QStringLiteral("First link"), 1001));
        ASSERT_TRUE(oggenc(at("b.wav"), at("b.ogg"), QStringLiteral("Second link"), 2002));
        QFile chain(at("chain.ogg"));
        ASSERT_TRUE(chain.open(QIODevice::WriteOnly));
        for (const char *link : {"a.ogg", "b.ogg"}) {
            QFile part(at(link));
            ASSERT_TRUE(part.open(QIODevice::ReadOnly));
            chain.write(part.readAll());
        }
        chain.close();

        // The reference: each link decoded on its own by the Vorbis decoder (the ffmpeg tool
        // cuts some Vorbis ends wrong), the second brought to the first's rate and channels
        // by the ffmpeg tool (a mono link on both channels at its own level).
        for (const char *link : {"a", "b"}) {
            const QString name = QLatin1String(link);
            ASSERT_FALSE(
                runTool(QStringLiteral("oggdec"), {QStringLiteral("-Q"), QStringLiteral("-o"),
                                                   dir.filePath(name + QStringLiteral("-ref.wav")),
                                                   dir.filePath(name + QStringLiteral(".ogg"))})
                    .isNull());
        }
        const std::vector<int16_t> first = ffmpegRaw(at("a-ref.wav"), {}, at("a.raw"));
        const QString toStereo = c.secondChannels == 1 ? QStringLiteral("pan=stereo|c0=c0|c1=c0")
                                                       : QStringLiteral("anull");
        const std::vector<int16_t> second = ffmpegRaw(
            at("b-ref.wav"),
            {QStringLiteral("-af"), toStereo, QStringLiteral("-ar"), QString::number(kRate)},
            at("b.raw"));
        ASSERT_FALSE(first.empty());
        ASSERT_FALSE(second.empty());
        std::vector<int16_t> ref = first;
        ref.insert(ref.end(), second.begin(), second.end());
        const int firstFrames = static_cast<int>(first.size() / 2);
        const int refFrames = static_cast<int>(ref.size() / 2);

        int rate = 0, channels = 0, length = 0;
        const std::vector<int16_t> ours = readAll(at("chain.ogg"), &rate, &channels, &length);
        EXPECT_EQ(rate, kRate);
        ASSERT_EQ(channels, 2);
        EXPECT_EQ(length, refFrames) << "the length of both links";
        EXPECT_EQ(static_cast<int>(ours.size() / 2), length) << "reading gives the length";
        EXPECT_EQ(bestLag(ref, ours, 1000, firstFrames - 1000, 300), 0) << "first link shifted";
        EXPECT_EQ(bestLag(ref, ours, firstFrames + 1000, refFrames - 1000, 300), 0)
            << "second link shifted";
        const double firstSnr = snrDb(ref, ours, 0, static_cast<size_t>(firstFrames));
        const double secondSnr =
            snrDb(ref, ours, static_cast<size_t>(firstFrames), static_cast<size_t>(refFrames));
        std::printf("chain to %d Hz: %d frames, %.1f dB and %.1f dB\n", c.secondRate, length,
                    firstSnr, secondSnr);
        EXPECT_GE(firstSnr, 90.0);
        EXPECT_GE(secondSnr, 80.0);

        // Seeking into either link gives the samples of reading straight on.
        TAudioFile2 file;
        file.OpenFile(at("chain.ogg"), 0, 1);
        for (const int target : {firstFrames + 5000, 1234, refFrames - 800, firstFrames - 300,
                                 firstFrames, firstFrames + 44100 + 17}) {
            ASSERT_EQ(file.SeekFile(target, 3), target);
            const SampleArray block = file.ReadFile(600);
            ASSERT_EQ(block.frames(), std::min(600, length - target)) << "at " << target;
            EXPECT_TRUE(std::equal(block.samples().begin(), block.samples().end(),
                                   ours.begin() + static_cast<std::ptrdiff_t>(target) * 2))
                << "samples after a seek to " << target << " differ";
        }

        TAudioInformation2 info;
        ASSERT_TRUE(info.GetAudioInformation(at("chain.ogg")));
        EXPECT_EQ(info.Duration(), static_cast<int>(int64_t{refFrames} * 1000 / kRate));
        EXPECT_EQ(info.infoTitle(), QStringLiteral("First link"));

        // A new title goes into the first link and leaves every link's sound as it was.
        info.setInfoTitle(QStringLiteral("Renamed"));
        ASSERT_TRUE(info.SetAudioInformation(at("chain.ogg")))
            << info.LastErrorText().toStdString();
        int lengthAfter = 0;
        EXPECT_TRUE(readAll(at("chain.ogg"), &rate, &channels, &lengthAfter) == ours);
        ASSERT_TRUE(info.GetAudioInformation(at("chain.ogg")));
        EXPECT_EQ(info.infoTitle(), QStringLiteral("Renamed"));
    }
}

// ffmpeg's AAC encoder puts 1024 samples of delay in front, which the M4A's edit list tells
// the reader to leave out. The sound starts where the reference decoder starts it, at full
// level from the first frame, and ends where it ends.
TEST(AacInM4a, StartsAndEndsWhereTheReferenceDecoderDoes) {
    if (!haveTools({"sox", "ffmpeg"}) || !ffmpegHasEncoder(QStringLiteral("aac"))) {
        GTEST_SKIP() << "sox or ffmpeg with its AAC encoder missing";
    }
    QTemporaryDir dir;
    const auto at = [&dir](const char *name) { return dir.filePath(QLatin1String(name)); };
    ASSERT_TRUE(makeSweep(at("source.wav"), kRate, 2, "300-3000 sine 450-4500"));
    ASSERT_TRUE(ffmpeg({QStringLiteral("-i"), at("source.wav"), QStringLiteral("-c:a"),
                        QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                        at("aac.m4a")}));
    const std::vector<int16_t> ref = ffmpegRaw(at("aac.m4a"), {}, at("ref.raw"));
    ASSERT_FALSE(ref.empty());
    const int refFrames = static_cast<int>(ref.size() / 2);

    int rate = 0, channels = 0, length = 0;
    const std::vector<int16_t> ours = readAll(at("aac.m4a"), &rate, &channels, &length);
    EXPECT_EQ(rate, kRate);
    ASSERT_EQ(channels, 2);
    // The tool leaves the encoder's padding at the end in; the edit list says where it starts.
    EXPECT_EQ(length, 2 * kRate) << "the source's length";
    EXPECT_GE(refFrames, length);
    EXPECT_EQ(static_cast<int>(ours.size() / 2), length) << "reading gives the length";
    EXPECT_EQ(bestLag(ref, ours, 0, 4096, 1100), 0) << "the start is shifted";
    const double start = snrDb(ref, ours, 0, 1024);
    const double whole = snrDb(ref, ours, 0, static_cast<size_t>(length));
    std::printf("AAC in M4A: %.1f dB over the first 1024 frames, %.1f dB in all\n", start, whole);
    EXPECT_GE(start, 60.0) << "the first frames differ from the reference decoder's";
    EXPECT_GE(whole, 60.0);
}

}  // namespace
