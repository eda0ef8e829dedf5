// Lossy files made by the codecs' own encoders (oggenc, opusenc, mpcenc) must read as their
// reference decoders read them: the same length, the same first sample, the same sound. The
// ffmpeg tool decodes with the same library code, so against it the samples must be equal.
#include "audio/audio_file2.h"
#include "codec_test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace codectest;

namespace {

struct EncodedKind {
    const char *file;
    int rate;  // of the source and of the decoded output
    const char *encoder;
    const char *encoderArgs;  // before the input and output names
    const char *decoder;
    const char *decoderArgs;  // before the input and output names
    int ffmpegLead;   // samples the ffmpeg tool's untrimmed decode has before the first heard
    double minSnrDb;  // against the reference decoder, another implementation
};

// Low-quality Vorbis uses short blocks at the end, where FFmpeg's trimming to the last
// granule goes wrong: at 44100 Hz it cuts 256 samples too many, at 22050 Hz it keeps 444.
const EncodedKind kKinds[] = {
    {"vorbis.ogg", 44100, "oggenc", "-Q -q 4 -o %2 %1", "oggdec", "-Q -o %2 %1", 0, 90.0},
    {"vorbis-low.ogg", 44100, "oggenc", "-Q -q -1 -o %2 %1", "oggdec", "-Q -o %2 %1", 0, 90.0},
    {"vorbis-22k.ogg", 22050, "oggenc", "-Q -q -1 -o %2 %1", "oggdec", "-Q -o %2 %1", 0, 90.0},
    {"opus.opus", 48000, "opusenc", "--quiet --bitrate 96 %1 %2", "opusdec",
     "--quiet --rate 48000 %1 %2", 312, 55.0},
    // Longer than one SV8 packet (64 frames of 1152), the unit the container's duration counts.
    {"musepack.mpc", 44100, "mpcenc", "--silent --overwrite %1 %2", "mpcdec", "%1 %2", 481, 75.0},
    // The older extension of the same format.
    {"musepack.mp+", 44100, "mpcenc", "--silent --overwrite %1 %2", "mpcdec", "%1 %2", 481, 75.0},
};

QStringList fill(const char *pattern, const QString &in, const QString &out) {
    QStringList args = QString::fromLatin1(pattern).split(QLatin1Char(' '));
    for (QString &a : args) {
        if (a == QLatin1String("%1")) {
            a = in;
        } else if (a == QLatin1String("%2")) {
            a = out;
        }
    }
    return args;
}

std::vector<int16_t> readAll(const QString &path, int *rate = nullptr, int *length = nullptr) {
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    if (rate != nullptr) {
        *rate = file.ArrayFrequency();
    }
    if (length != nullptr) {
        *length = file.nSamples();
    }
    return readToEnd(file, 3000);
}

// The ffmpeg tool's decode as interleaved stereo 16-bit samples, untrimmed: it cuts Ogg Vorbis
// ends a block wrong now and then.
std::vector<int16_t> ffmpegDecode(const QString &path, const QString &rawPath) {
    if (!ffmpeg({QStringLiteral("-flags2"), QStringLiteral("+skip_manual"), QStringLiteral("-i"),
                 path, QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-f"),
                 QStringLiteral("s16le"), rawPath})) {
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

// The shift of `b` against `a` (b[i] ~ a[i + lag]) that matches the left channels best.
int bestLag(const std::vector<int16_t> &a, const std::vector<int16_t> &b, int range) {
    const int frames = static_cast<int>(std::min(a.size(), b.size()) / 2);
    int best = 0;
    double bestError = -1;
    for (int lag = -range; lag <= range; ++lag) {
        double error = 0;
        for (int i = range; i < frames - range; i += 5) {
            const double d = a[static_cast<size_t>(i + lag) * 2] - b[static_cast<size_t>(i) * 2];
            error += d * d;
        }
        if (bestError < 0 || error < bestError) {
            bestError = error;
            best = lag;
        }
    }
    return best;
}

double snrDb(const std::vector<int16_t> &ref, const std::vector<int16_t> &test) {
    double signal = 0;
    double error = 0;
    for (size_t i = 0; i < std::min(ref.size(), test.size()); ++i) {
        const double r = ref[i];
        signal += r * r;
        error += (r - test[i]) * (r - test[i]);
    }
    return error == 0 ? 200.0 : 10.0 * std::log10(signal / error);
}

int peak(const std::vector<int16_t> &s, size_t from, size_t count) {
    int p = 0;
    for (size_t i = from; i < std::min(s.size(), from + count); ++i) {
        p = std::max(p, std::abs(int{s[i]}));
    }
    return p;
}

// Encodes a sweep that fades in from silence (a burst at the start shows), with the right
// channel on another course; empty when a tool is missing.
QString makeEncoded(const EncodedKind &k, const QTemporaryDir &dir) {
    for (const char *tool : {"sox", "ffmpeg", k.encoder, k.decoder}) {
        if (!haveTool(QLatin1String(tool))) {
            return QString();
        }
    }
    const QString source = dir.filePath(QStringLiteral("source.wav"));
    const QString synth = QStringLiteral(
                              "-n -r %1 -c 2 -b 16 %2 synth 2 sine 200-3000 sine "
                              "300-4500 fade t 0.3 2 0.2 vol 0.7")
                              .arg(k.rate)
                              .arg(source);
    if (runTool(QStringLiteral("sox"), synth.split(QLatin1Char(' '))).isNull()) {
        return QString();
    }
    const QString out = dir.filePath(QLatin1String(k.file));
    // mpcenc insists on its own extensions: make a .mpc and rename it.
    const QString made = QString(out).replace(QLatin1String(".mp+"), QLatin1String(".mpc"));
    if (runTool(QLatin1String(k.encoder), fill(k.encoderArgs, source, made)).isNull() ||
        (made != out && !QFile::rename(made, out))) {
        return QString();
    }
    return out;
}

class ReferenceDecode : public ::testing::TestWithParam<EncodedKind> {
protected:
    QString make() { return makeEncoded(GetParam(), dir_); }

    QTemporaryDir dir_;
};

TEST_P(ReferenceDecode, LengthAndSamplesMatchTheReferenceDecoder) {
    const EncodedKind &k = GetParam();
    const QString path = make();
    if (path.isEmpty()) {
        GTEST_SKIP() << "sox, ffmpeg, " << k.encoder << " or " << k.decoder << " missing";
    }
    const QString refPath = dir_.filePath(QStringLiteral("reference.wav"));
    ASSERT_FALSE(runTool(QLatin1String(k.decoder), fill(k.decoderArgs, path, refPath)).isNull());
    int refRate = 0;
    int refLength = 0;
    const std::vector<int16_t> ref = readAll(refPath, &refRate, &refLength);
    ASSERT_EQ(refRate, k.rate);

    int rate = 0;
    int length = 0;
    const std::vector<int16_t> ours = readAll(path, &rate, &length);
    EXPECT_EQ(rate, k.rate);
    EXPECT_EQ(length, refLength) << "the length the reference decoder gives";
    ASSERT_EQ(static_cast<int>(ours.size() / 2), length) << "reading gives the length announced";

    // The ffmpeg tool: the same code, so the same samples once its lead is cut off.
    const std::vector<int16_t> tool = ffmpegDecode(path, dir_.filePath(QStringLiteral("ff.raw")));
    ASSERT_GE(tool.size(), (static_cast<size_t>(k.ffmpegLead) + ours.size() / 2) * 2);
    const std::vector<int16_t> toolHeard(
        tool.begin() + k.ffmpegLead * 2,
        tool.begin() + k.ffmpegLead * 2 + static_cast<std::ptrdiff_t>(ours.size()));
    EXPECT_TRUE(toolHeard == ours)
        << "differs from the ffmpeg tool's decode, " << snrDb(toolHeard, ours) << " dB";

    // The reference decoder: aligned to the sample and close in sound, from the very start.
    EXPECT_EQ(bestLag(ref, ours, 600), 0);
    EXPECT_GE(snrDb(ref, ours), k.minSnrDb);
    std::printf("%s: %d samples, %.1f dB against %s\n", k.file, length, snrDb(ref, ours),
                k.decoder);
    EXPECT_LE(peak(ours, 0, 500), peak(ref, 0, 500) + 64) << "a burst at the start";
}

TEST_P(ReferenceDecode, SeeksToTheSampleOfReadingStraightOn) {
    const QString path = make();
    if (path.isEmpty()) {
        GTEST_SKIP() << "a tool is missing";
    }
    const std::vector<int16_t> all = readAll(path);
    const int n = static_cast<int>(all.size() / 2);
    ASSERT_GT(n, 4000);
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    ASSERT_EQ(file.nSamples(), n);
    for (const int target : {n / 2 + 123, 1, n - 700, n / 3, 0, 481, 4097, n / 2 - 311}) {
        ASSERT_EQ(file.SeekFile(target, 3), target);
        const SampleArray block = file.ReadFile(600);
        ASSERT_EQ(block.frames(), std::min(600, n - target)) << "at " << target;
        EXPECT_TRUE(std::equal(block.samples().begin(), block.samples().end(),
                               all.begin() + static_cast<std::ptrdiff_t>(target) * 2))
            << "samples after a seek to " << target << " differ";
    }
    EXPECT_EQ(file.SeekFile(n + 100, 3), n);
    EXPECT_TRUE(file.ReadFile(100).isEmpty());
}

// The Musepack file of the kinds above, made in `dir`; empty when a tool is missing.
QString makeMusepack(const QTemporaryDir &dir) {
    const auto *musepack = std::find_if(std::begin(kKinds), std::end(kKinds), [](const auto &k) {
        return std::strcmp(k.file, "musepack.mpc") == 0;
    });
    return makeEncoded(*musepack, dir);
}

// A file cut short holds less than its header says: the length is what can be read, and that
// is the start of the whole file.
TEST(ReferenceDecodeDamage, MusepackCutShortReadsToWhereItEnds) {
    QTemporaryDir dir;
    const QString path = makeMusepack(dir);
    if (path.isEmpty()) {
        GTEST_SKIP() << "sox, ffmpeg, mpcenc or mpcdec missing";
    }
    const std::vector<int16_t> whole = readAll(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() * 6 / 10));
    file.close();

    int length = 0;
    const std::vector<int16_t> cut = readAll(path, nullptr, &length);
    EXPECT_EQ(static_cast<int>(cut.size() / 2), length) << "reading gives the length announced";
    EXPECT_GT(length, 0);
    EXPECT_LT(static_cast<size_t>(length), whole.size() / 2);
    // The packet cut in two is left out: its last frame would decode from whatever lies past
    // the data (a click).
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin()));
}

// Damaged chunk sizes and packets after a good stream header: what opens reads to its length.
TEST(ReferenceDecodeDamage, MusepackWithDamagedChunks) {
    QTemporaryDir dir;
    const QString path = makeMusepack(dir);
    if (path.isEmpty()) {
        GTEST_SKIP() << "sox, ffmpeg, mpcenc or mpcdec missing";
    }
    QFile original(path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();
    uint32_t seed = 7;
    for (int round = 0; round < 12; ++round) {
        QByteArray damaged = bytes;
        // From just past the stream header: chunk keys and sizes, then packets further on.
        for (int i = 0; i < 8; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const int at =
                30 + static_cast<int>((seed >> 8) % (round < 6 ? 64 : bytes.size() - 30));
            damaged[at] = static_cast<char>(seed >> 24);
        }
        const QString damagedPath = dir.filePath(QStringLiteral("damaged.mpc"));
        QFile out(damagedPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(damaged);
        out.close();
        TAudioFile2 file;
        file.OpenFile(damagedPath, 0, 1);
        if (file.LastErrorNum() == 0) {
            const int length = file.nSamples();
            EXPECT_LE(static_cast<int>(readToEnd(file).size() / 2), length) << "round " << round;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Encoders, ReferenceDecode, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<EncodedKind> &tested) {
                             return QString::fromLatin1(tested.param.file)
                                 .replace(QLatin1Char('.'), QLatin1Char('_'))
                                 .replace(QLatin1Char('+'), QLatin1Char('p'))
                                 .replace(QLatin1Char('-'), QLatin1Char('_'))
                                 .toStdString();
                         });

}  // namespace
