// FLAC, Ogg Opus and Ogg Vorbis written through the file component: what comes back when the
// program and other decoders read them, split recordings that join without a gap, and tags
// that other readers see.
//
// SNR measured on this build (tone of 440/660 Hz at half scale, our decoder, after checking
// that no shift lines the signals up better): Opus 128 kbps stereo 43.2 dB, 24 kbps mono
// 36.9 dB; Vorbis q5 stereo 41.0 dB, q0 48000 Hz mono 35.8 dB. The bounds sit 5 dB under.
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "codec_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

using namespace codectest;

namespace {

enum class Kind { Flac, Opus, Vorbis };

struct Setting {
    const char *name;
    Kind kind;
    int rate;  // of the file; Opus always 48000
    int channels;
    int value;         // Opus kbps or Vorbis quality
    double minSnrDb;   // against the source, lossy kinds only
    const char *text;  // FormatString while writing
};

const Setting kSettings[] = {
    {"flac_44k_stereo", Kind::Flac, 44100, 2, 0, 0, "FLAC 44100 Hz, 16 bit, stereo"},
    {"flac_8k_mono", Kind::Flac, 8000, 1, 0, 0, "FLAC 8000 Hz, 16 bit, mono"},
    {"opus_128_stereo", Kind::Opus, 48000, 2, 128, 38.0, "Opus 128 kbps, stereo"},
    {"opus_24_mono", Kind::Opus, 48000, 1, 24, 31.0, "Opus 24 kbps, mono"},
    {"vorbis_q5_stereo", Kind::Vorbis, 44100, 2, 5, 36.0, "Vorbis q5, 44100 Hz, stereo"},
    {"vorbis_q0_48k_mono", Kind::Vorbis, 48000, 1, 0, 30.0, "Vorbis q0, 48000 Hz, mono"},
};

const char *extensionOf(Kind kind) {
    switch (kind) {
        case Kind::Flac:
            return ".flac";
        case Kind::Opus:
            return ".opus";
        case Kind::Vorbis:
            break;
    }
    return ".ogg";
}

void choose(TAudioFile2 &file, const Setting &s) {
    switch (s.kind) {
        case Kind::Flac:
            file.SetFormatFLAC(s.rate, s.channels);
            break;
        case Kind::Opus:
            file.SetFormatOpus(s.value, s.channels);
            break;
        case Kind::Vorbis:
            file.SetFormatVorbis(s.value, s.rate, s.channels);
            break;
    }
}

// The source: a tone for the lossy kinds, noise for FLAC (a bit-exact check on a signal with
// no structure to hide a fault in).
std::vector<int16_t> sourceFor(const Setting &s, int frames) {
    return s.kind == Kind::Flac ? noise(s.channels, frames) : tone(s.rate, s.channels, frames, 440);
}

struct Decoded {
    std::vector<int16_t> samples;
    int length = -1;  // nSamples as reported on opening
    int rate = 0;
    int channels = 0;
    QString text;
};

Decoded readBack(const QString &path) {
    Decoded d;
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    d.length = file.nSamples();
    d.rate = file.ArrayFrequency();
    d.channels = file.ArrayChannels();
    d.text = file.FormatString();
    d.samples = readToEnd(file, 4410);
    return d;
}

double snrDb(const std::vector<int16_t> &ref, const std::vector<int16_t> &test, size_t from,
             size_t to) {
    double signal = 0;
    double error = 0;
    for (size_t i = from; i < std::min({to, ref.size(), test.size()}); ++i) {
        const double r = ref[i];
        signal += r * r;
        error += (r - test[i]) * (r - test[i]);
    }
    return error == 0 ? 200.0 : 10.0 * std::log10(signal / error);
}

// The shift of `test` against `ref` (in frames, first channel) that matches best; 0 when the
// decoded sound sits exactly where it was written.
int bestLag(const std::vector<int16_t> &ref, const std::vector<int16_t> &test, int channels,
            int range) {
    const int frames = static_cast<int>(std::min(ref.size(), test.size()) / channels);
    int best = 0;
    double bestError = -1;
    for (int lag = -range; lag <= range; ++lag) {
        double error = 0;
        for (int i = range; i < frames - range; i += 3) {
            const double d = ref[static_cast<size_t>((i + lag) * channels)] -
                             test[static_cast<size_t>(i * channels)];
            error += d * d;
        }
        if (bestError < 0 || error < bestError) {
            bestError = error;
            best = lag;
        }
    }
    return best;
}

class EncodedWriteTest : public ::testing::TestWithParam<Setting> {
protected:
    QString path(const QString &stem) const {
        return dir.filePath(stem + QLatin1String(extensionOf(GetParam().kind)));
    }

    // Writes `frames` of the source, starting at frame `from`, into a new file.
    QString write(const QString &stem, const std::vector<int16_t> &source, int from, int frames) {
        const Setting &s = GetParam();
        TAudioFile2 file;
        choose(file, s);
        EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
        const QString name = path(stem);
        file.CreateFile(name, 0);
        EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
        EXPECT_EQ(file.ArrayFrequency(), s.rate);
        EXPECT_EQ(file.ArrayChannels(), s.channels);
        EXPECT_EQ(file.FormatString(), QLatin1String(s.text));
        const auto begin = source.begin() + static_cast<ptrdiff_t>(from) * s.channels;
        writeInBlocks(
            file, std::vector<int16_t>(begin, begin + static_cast<ptrdiff_t>(frames) * s.channels),
            s.channels, s.rate);
        EXPECT_EQ(file.nSamples(), frames);
        file.CloseFile();
        EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
        return name;
    }

    QTemporaryDir dir;
};

}  // namespace

TEST_P(EncodedWriteTest, ReadsBackWithTheExactLengthAndTheSound) {
    const Setting &s = GetParam();
    const int frames = s.rate * 3 + 1234;  // not a whole number of any codec's frames
    const std::vector<int16_t> source = sourceFor(s, frames);
    const QString file = write(QStringLiteral("round"), source, 0, frames);

    const Decoded d = readBack(file);
    EXPECT_EQ(d.length, frames);
    ASSERT_EQ(d.samples.size(), source.size());
    EXPECT_EQ(d.rate, s.rate);
    EXPECT_EQ(d.channels, s.channels);
    if (s.kind != Kind::Vorbis) {
        // What the status bar shows for a file we recorded (Vorbis files keep the reader's
        // older wording).
        const QString expected = QLatin1String(s.text);
        EXPECT_TRUE(d.text.startsWith(expected.left(expected.indexOf(QLatin1Char(' ')))))
            << d.text.toStdString();
    }

    if (s.kind == Kind::Flac) {
        EXPECT_TRUE(d.samples == source) << "FLAC must decode bit for bit";
        // And so for another decoder, which also checks the MD5 sum the header carries.
        const QString raw = dir.filePath(QStringLiteral("flac.raw"));
        ASSERT_TRUE(ffmpeg(
            {QStringLiteral("-i"), file, QStringLiteral("-f"), QStringLiteral("s16le"), raw}));
        QFile rawFile(raw);
        ASSERT_TRUE(rawFile.open(QIODevice::ReadOnly));
        const QByteArray bytes = rawFile.readAll();
        ASSERT_EQ(static_cast<size_t>(bytes.size()), source.size() * 2);
        EXPECT_EQ(std::memcmp(bytes.constData(), source.data(), source.size() * 2), 0);
        const QString md5 =
            runTool(QStringLiteral("ffprobe"),
                    {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                     QStringLiteral("stream=duration_ts"), QStringLiteral("-of"),
                     QStringLiteral("csv=p=0"), file});
        EXPECT_EQ(md5.trimmed().toInt(), frames) << "STREAMINFO holds the length";
        return;
    }

    EXPECT_NEAR(dominantFrequency(d.samples, s.channels, s.rate, 0), 440.0, 2.0);
    if (s.channels == 2) {
        EXPECT_NEAR(dominantFrequency(d.samples, 2, s.rate, 1), 660.0, 3.0);
    }
    EXPECT_EQ(bestLag(source, d.samples, s.channels, 40), 0) << "the sound is shifted";
    const double snr = snrDb(source, d.samples, 0, source.size());
    EXPECT_GT(snr, s.minSnrDb);
    std::printf("%s: SNR %.1f dB\n", s.name, snr);
}

TEST_P(EncodedWriteTest, ThreeSplitPartsJoinWithoutAGapOrARepeat) {
    const Setting &s = GetParam();
    // Part lengths as a 200 ms recording splits: whole blocks, none a whole codec frame.
    const int block = s.rate / 5;
    const int parts[3] = {block * 7, block * 6, block * 4 + 123};
    const int total = parts[0] + parts[1] + parts[2];
    const std::vector<int16_t> source = sourceFor(s, total);

    std::vector<int16_t> joined;
    int from = 0;
    for (int i = 0; i < 3; ++i) {
        const QString file = write(QStringLiteral("part%1").arg(i + 1), source, from, parts[i]);
        const Decoded d = readBack(file);
        EXPECT_EQ(d.length, parts[i]) << "part " << i + 1;
        ASSERT_EQ(d.samples.size(), static_cast<size_t>(parts[i]) * s.channels);
        joined.insert(joined.end(), d.samples.begin(), d.samples.end());
        from += parts[i];
    }
    ASSERT_EQ(joined.size(), source.size());
    if (s.kind == Kind::Flac) {
        EXPECT_TRUE(joined == source);
        return;
    }
    // Around each join the parts line up with the source exactly and sound as good as the
    // inside of a part does (a codec's start-up costs a little, a gap or repeat far more).
    const double whole = snrDb(source, joined, 0, source.size());
    for (const int join : {parts[0], parts[0] + parts[1]}) {
        const size_t half = static_cast<size_t>(s.rate / 20) * s.channels;  // 50 ms each side
        const size_t at = static_cast<size_t>(join) * s.channels;
        const std::vector<int16_t> ref(source.begin() + at - 4 * half,
                                       source.begin() + at + 4 * half);
        const std::vector<int16_t> got(joined.begin() + at - 4 * half,
                                       joined.begin() + at + 4 * half);
        EXPECT_EQ(bestLag(ref, got, s.channels, 40), 0) << "join at " << join;
        EXPECT_GT(snrDb(source, joined, at - half, at + half), std::min(whole, s.minSnrDb) - 6.0)
            << "join at " << join;
    }
}

TEST_P(EncodedWriteTest, AnEmptyRecordingIsAValidFileOfNoLength) {
    const QString file = write(QStringLiteral("empty"), {}, 0, 0);
    const Decoded d = readBack(file);
    EXPECT_EQ(d.length, 0);
    EXPECT_TRUE(d.samples.empty());
}

// What a killed recording leaves: the file as it stands while the writer is still open (every
// block is pushed out as it is written), and that file cut inside its last page or frame, as
// a kill in the middle of a write can leave it.
TEST_P(EncodedWriteTest, AnUnfinishedFileReadsUpToItsLastCompleteBlock) {
    const Setting &s = GetParam();
    const int frames = s.rate * 3;
    const std::vector<int16_t> source = sourceFor(s, frames);
    TAudioFile2 file;
    choose(file, s);
    const QString name = path(QStringLiteral("unfinished"));
    file.CreateFile(name, 0);
    writeInBlocks(file, source, s.channels, s.rate);

    QFile written(name);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    for (const int cut : {0, 700}) {
        const QString copy = path(QStringLiteral("killed%1").arg(cut));
        QFile out(copy);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.left(bytes.size() - cut));
        out.close();

        const Decoded d = readBack(copy);
        const int decoded = static_cast<int>(d.samples.size()) / s.channels;
        EXPECT_EQ(d.length, decoded) << "cut " << cut;
        // Pages and frames reach the disk within a second of the sound (FLAC: one frame).
        EXPECT_GT(decoded, frames - s.rate) << "cut " << cut;
        EXPECT_LE(decoded, frames) << "cut " << cut;
        if (s.kind == Kind::Flac) {
            EXPECT_TRUE(std::equal(d.samples.begin(), d.samples.end(), source.begin()))
                << "cut " << cut;
        } else {
            EXPECT_EQ(bestLag(source, d.samples, s.channels, 40), 0) << "cut " << cut;
        }
        // ffmpeg plays it too, as long.
        const QString raw = dir.filePath(QStringLiteral("killed.raw"));
        ASSERT_TRUE(ffmpeg(
            {QStringLiteral("-i"), copy, QStringLiteral("-f"), QStringLiteral("s16le"), raw}));
        const double ffmpegSeconds = QFileInfo(raw).size() / 2.0 / s.channels / s.rate;
        EXPECT_NEAR(ffmpegSeconds, decoded / double(s.rate), 0.05) << "cut " << cut;
    }
    file.CloseFile();
    EXPECT_EQ(readBack(name).length, frames) << "closing completes it";
}

INSTANTIATE_TEST_SUITE_P(Formats, EncodedWriteTest, ::testing::ValuesIn(kSettings),
                         [](const ::testing::TestParamInfo<Setting> &tested) {
                             return std::string(tested.param.name);
                         });

TEST(EncodedFormatChoice, FormatsThatCantBeWrittenAreRefusedAndTheOldOneStays) {
    TAudioFile2 file;
    file.SetFormatFLAC(44100, 2);
    file.SetFormatOpus(600, 2);
    EXPECT_NE(file.LastErrorNum(), 0);
    file.SetFormatVorbis(11, 44100, 2);
    EXPECT_NE(file.LastErrorNum(), 0);
    file.SetFormatFLAC(96000, 2);
    EXPECT_NE(file.LastErrorNum(), 0);
    EXPECT_EQ(file.FormatString(), QStringLiteral("FLAC 44100 Hz, 16 bit, stereo"));
    file.SetFormatOpus(128, 1);
    EXPECT_EQ(file.LastErrorNum(), 0);
    EXPECT_EQ(file.ArrayFrequency(), 48000) << "Opus is recorded at 48000 Hz";
    EXPECT_EQ(file.ArrayChannels(), 1);
}

// A refused format is never made up for by the one chosen before: the file would carry the
// other container under this one's name.
TEST(EncodedFormatChoice, ARefusedFormatCreatesNoFileOfAnotherKind) {
    QTemporaryDir dir;
    struct Case {
        const char *name;
        std::function<void(TAudioFile2 &)> choose;
    };
    const Case cases[] = {
        {"a.flac", [](TAudioFile2 &f) { f.SetFormatFLAC(-44100, 2); }},
        {"b.flac", [](TAudioFile2 &f) { f.SetFormatFLAC(44100, 0); }},
        {"c.opus", [](TAudioFile2 &f) { f.SetFormatOpus(-1, 2); }},
        {"d.ogg", [](TAudioFile2 &f) { f.SetFormatVorbis(-5, 0, 2); }},
        {"e.mp3", [](TAudioFile2 &f) { f.SetFormatMP3(44100, -128, 2); }},
        {"f.wav", [](TAudioFile2 &f) { f.SetFormatPCM(2147483647, 2, 16); }},
    };
    for (const Case &c : cases) {
        TAudioFile2 file;
        file.SetFormatPCM(44100, 2, 16);
        c.choose(file);
        const QString name = dir.filePath(QLatin1String(c.name));
        file.CreateFile(name, 0);
        EXPECT_NE(file.LastErrorNum(), 0) << c.name;
        EXPECT_FALSE(file.LastErrorText().isEmpty()) << c.name;
        file.CloseFile();
        EXPECT_FALSE(QFileInfo::exists(name)) << c.name;
        // Choosing a format that can be written clears the refusal.
        file.SetFormatFLAC(44100, 2);
        file.CreateFile(name, 0);
        EXPECT_EQ(file.LastErrorNum(), 0) << c.name;
    }
}

// Tags written by the tag editor's component come back through it, through mutagen (an
// independent reader of Vorbis comments) and through ffprobe.
class EncodedTagTest : public ::testing::TestWithParam<Kind> {};

TEST_P(EncodedTagTest, TagsAreVorbisCommentsOthersRead) {
    const QString python = QStringLiteral("/usr/bin/python3");
    if (runTool(python, {QStringLiteral("-c"), QStringLiteral("import mutagen")}).isNull()) {
        GTEST_SKIP() << "mutagen is not installed";
    }
    QTemporaryDir dir;
    const Kind kind = GetParam();
    const QString file = dir.filePath(QStringLiteral("tagged") + QLatin1String(extensionOf(kind)));
    {
        TAudioFile2 w;
        const Setting s = kind == Kind::Flac   ? kSettings[0]
                          : kind == Kind::Opus ? kSettings[2]
                                               : kSettings[4];
        choose(w, s);
        w.CreateFile(file, 0);
        writeInBlocks(w, tone(s.rate, 2, s.rate, 440), 2, s.rate);
        w.CloseFile();
    }
    const QString title = QStringLiteral("Ærøskøbing — 東京");
    TAudioInformation2 info;
    ASSERT_TRUE(info.GetAudioInformation(file)) << info.LastErrorText().toStdString();
    info.setInfoTitle(title);
    info.setInfoArtist(QStringLiteral("The Artist"));
    info.setInfoAlbum(QStringLiteral("The Album"));
    info.setInfoGenre(8);  // Jazz
    ASSERT_TRUE(info.setInfoYear(2026));
    ASSERT_TRUE(info.setInfoTrack(7));
    info.setInfoComments(QStringLiteral("Recorded live"));
    ASSERT_TRUE(info.SetAudioInformation(file)) << info.LastErrorText().toStdString();

    TAudioInformation2 again;
    ASSERT_TRUE(again.GetAudioInformation(file));
    EXPECT_EQ(again.infoTitle(), title);
    EXPECT_EQ(again.infoArtist(), QStringLiteral("The Artist"));
    EXPECT_EQ(again.infoAlbum(), QStringLiteral("The Album"));
    EXPECT_EQ(again.infoGenre(), 8);
    EXPECT_EQ(again.infoYear(), 2026);
    EXPECT_EQ(again.infoTrack(), 7);
    EXPECT_EQ(again.infoComments(), QStringLiteral("Recorded live"));

    const QString script = QStringLiteral(R"(
import sys, json, mutagen
f = mutagen.File(sys.argv[1])
print(json.dumps({k.lower(): v[0] for k, v in f.tags.as_dict().items()}))
)");
    const QJsonObject tags =
        QJsonDocument::fromJson(runTool(python, {QStringLiteral("-c"), script, file}).toUtf8())
            .object();
    EXPECT_EQ(tags.value(QLatin1String("title")).toString(), title);
    EXPECT_EQ(tags.value(QLatin1String("artist")).toString(), QStringLiteral("The Artist"));
    EXPECT_EQ(tags.value(QLatin1String("album")).toString(), QStringLiteral("The Album"));
    EXPECT_EQ(tags.value(QLatin1String("genre")).toString(), QStringLiteral("Jazz"));
    EXPECT_EQ(tags.value(QLatin1String("date")).toString(), QStringLiteral("2026"));
    EXPECT_EQ(tags.value(QLatin1String("tracknumber")).toString(), QStringLiteral("7"));
    EXPECT_EQ(tags.value(QLatin1String("comment")).toString(), QStringLiteral("Recorded live"));

    // ffprobe shows Ogg comments on the stream, FLAC's on the file.
    const QString probe =
        runTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format_tags:stream_tags"), QStringLiteral("-of"),
                 QStringLiteral("default=noprint_wrappers=1"), file});
    EXPECT_TRUE(probe.contains(QStringLiteral("TAG:title=") + title, Qt::CaseInsensitive))
        << probe.toStdString();
    EXPECT_TRUE(probe.contains(QStringLiteral("=The Album"))) << probe.toStdString();
    EXPECT_TRUE(probe.contains(QStringLiteral("=Recorded live"))) << probe.toStdString();

    // The sound is untouched by the tag write.
    TAudioFile2 reread;
    reread.OpenFile(file, 0, 1);
    EXPECT_EQ(reread.LastErrorNum(), 0);
    EXPECT_EQ(reread.nSamples(), kind == Kind::Opus ? 48000 : 44100);
}

INSTANTIATE_TEST_SUITE_P(Formats, EncodedTagTest,
                         ::testing::Values(Kind::Flac, Kind::Opus, Kind::Vorbis),
                         [](const ::testing::TestParamInfo<Kind> &tested) {
                             return std::string(extensionOf(tested.param) + 1);
                         });
