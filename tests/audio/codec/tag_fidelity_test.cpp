// Tags that other programs wrote, and tags we write, as an independent reader (mutagen) and
// ffprobe see them: ID3v1 limits, ID3v2.4 dates and version, Ogg comment fields, WMA limits and
// the ASF header after a tag write.
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "codec_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace codectest;

namespace {

constexpr int kRate = 44100;
const QString kNonLatin = QStringLiteral("Ærøskøbing — 東京");

// The Python that has mutagen: Debian's, even where another python3 comes first on PATH.
QString mutagenPython() {
    for (const QString &candidate :
         {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        if (!runTool(candidate, {QStringLiteral("-c"), QStringLiteral("import mutagen")})
                 .isNull()) {
            return candidate;
        }
    }
    return QString();
}

// Runs a Python snippet with the file as sys.argv[1]; it prints one JSON object.
QJsonObject mutagenRead(const QString &script, const QString &file) {
    const QString out = runTool(mutagenPython(), {QStringLiteral("-c"), script, file});
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

const QString kReadId3v1 = QStringLiteral(R"(
import sys, json, mutagen.id3 as I
data = open(sys.argv[1], 'rb').read()
v1 = I.ParseID3v1(data[-128:]) or {}
out = {k: str(v) for k, v in v1.items()}
print(json.dumps(out))
)");

const QString kReadId3v2 = QStringLiteral(R"(
import sys, json, mutagen.id3 as I
t = I.ID3(sys.argv[1])
out = {k.split(':')[0]: '/'.join(str(x) for x in f.text) for k, f in t.items() if hasattr(f, 'text')}
out['version'] = '%d.%d' % t.version[:2]
print(json.dumps(out))
)");

const QString kReadVorbis = QStringLiteral(R"(
import sys, json, mutagen.oggvorbis as O
t = O.OggVorbis(sys.argv[1])
out = {}
for k, v in t.tags:
    out.setdefault(k.lower(), []).append(v)
print(json.dumps(out))
)");

const QString kReadAsf = QStringLiteral(R"(
import sys, json, mutagen.asf as A
t = A.ASF(sys.argv[1])
out = {k: str(v[0]) for k, v in t.tags.as_dict().items()}
print(json.dumps(out))
)");

class TagFidelityTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (mutagenPython().isEmpty()) {
            GTEST_SKIP() << "mutagen is not installed";
        }
    }

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    QString record(const char *name) {
        TAudioFile2 w;
        w.setWmaFormatEnabled(true);
        const QString n = path(name);
        if (n.endsWith(QLatin1String(".mp3"))) {
            w.SetFormatMP3(kRate, 128, 2);
        } else if (n.endsWith(QLatin1String(".wma"))) {
            w.SetFormatWMA(38);
        } else {
            w.SetFormatPCM(kRate, 2, 16);
        }
        w.CreateFile(n, 0);
        writeInBlocks(w, tone(kRate, 2, kRate * 2, 440.0), 2, kRate);
        w.CloseFile();
        return n;
    }

    // Loads the file, lets `edit` change the values and writes them.
    template <typename Edit>
    bool writeTags(const QString &file, int version, Edit edit, TAudioInformation2 *info) {
        info->setMp3TagInfoVersion(version);
        EXPECT_TRUE(info->GetAudioInformation(file)) << info->LastErrorText().toStdString();
        edit(*info);
        return info->SetAudioInformation(file);
    }

    // Runs a mutagen snippet that changes the file.
    void mutagenWrite(const QString &script, const QString &file) {
        ASSERT_FALSE(runTool(mutagenPython(), {QStringLiteral("-c"), script, file}).isNull())
            << script.toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(TagFidelityTest, Id3v1StoresWhatItCanAndSaysWhatChanged) {
    const QString file = record("v1.mp3");
    TAudioInformation2 info;
    ASSERT_TRUE(writeTags(
        file, 1,
        [](TAudioInformation2 &i) {
            i.setInfoTitle(kNonLatin);
            i.setInfoArtist(kNonLatin);
            i.setInfoAlbum(QString(40, QLatin1Char('a')));
            i.setInfoComments(QStringLiteral("Plain comment"));
            i.setInfoTrack(3);
        },
        &info));
    const QString notice = info.LastNoticeText();
    EXPECT_TRUE(notice.contains(QLatin1String("Title"))) << notice.toStdString();
    EXPECT_TRUE(notice.contains(QLatin1String("Artist")));
    EXPECT_TRUE(notice.contains(QLatin1String("Album")));
    EXPECT_FALSE(notice.contains(QLatin1String("Comment")));

    const QJsonObject v1 = mutagenRead(kReadId3v1, file);
    const QString stored = QStringLiteral("Ærøskøbing ? ??");
    EXPECT_EQ(v1.value(QLatin1String("TIT2")).toString(), stored);
    EXPECT_EQ(v1.value(QLatin1String("TPE1")).toString(), stored);
    EXPECT_EQ(v1.value(QLatin1String("TALB")).toString(), QString(30, QLatin1Char('a')));
    EXPECT_EQ(v1.value(QLatin1String("COMM")).toString(), QStringLiteral("Plain comment"));
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoTitle(), stored);

    // Text that fits is written without a word; the comment shares its room with the track.
    ASSERT_TRUE(writeTags(
        file, 1,
        [](TAudioInformation2 &i) {
            i.setInfoTitle(QStringLiteral("Fits"));
            i.setInfoArtist(QStringLiteral("Fits too"));
            i.setInfoAlbum(QStringLiteral("Ålbum"));
        },
        &info));
    EXPECT_TRUE(info.LastNoticeText().isEmpty()) << info.LastNoticeText().toStdString();
    ASSERT_TRUE(writeTags(
        file, 1, [](TAudioInformation2 &i) { i.setInfoComments(QString(30, QLatin1Char('c'))); },
        &info));
    EXPECT_TRUE(info.LastNoticeText().contains(QLatin1String("Comment")));
    EXPECT_EQ(mutagenRead(kReadId3v1, file).value(QLatin1String("COMM")).toString(),
              QString(28, QLatin1Char('c')));

    // The ID3v2 tag the file also holds keeps the full text, and the notice says so.
    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &) {}, &info));
    ASSERT_TRUE(writeTags(
        file, 1, [](TAudioInformation2 &i) { i.setInfoTitle(kNonLatin); }, &info));
    EXPECT_TRUE(info.LastNoticeText().contains(QLatin1String("ID3v2 tag keeps the full text")));
    EXPECT_EQ(mutagenRead(kReadId3v2, file).value(QLatin1String("TIT2")).toString(), kNonLatin);
}

TEST_F(TagFidelityTest, Id3v24DatesAndVersionAreKept) {
    const QString file = record("v24.mp3");
    mutagenWrite(QStringLiteral(R"(
import sys, mutagen.id3 as I
t = I.ID3()
t.add(I.TIT2(encoding=3, text='Old'))
t.add(I.TDRL(encoding=3, text='2021-05-04'))
t.add(I.TPE1(encoding=3, text=['One', 'Two']))
t.save(sys.argv[1], v2_version=4)
)"),
                 file);
    TAudioInformation2 info;
    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoTitle(QStringLiteral("New")); }, &info));
    EXPECT_EQ(info.infoYear(), 2021) << "read from the release date";
    QJsonObject v2 = mutagenRead(kReadId3v2, file);
    EXPECT_EQ(v2.value(QLatin1String("version")).toString(), QStringLiteral("2.4"));
    EXPECT_EQ(v2.value(QLatin1String("TIT2")).toString(), QStringLiteral("New"));
    EXPECT_EQ(v2.value(QLatin1String("TDRL")).toString(), QStringLiteral("2021-05-04"));
    EXPECT_FALSE(v2.contains(QLatin1String("TDRC"))) << "an unchanged year adds no frame";
    EXPECT_EQ(v2.value(QLatin1String("TPE1")).toString(), QStringLiteral("One/Two"))
        << "an untouched field keeps its values";

    // A recording date with month and day survives a write that leaves the year alone.
    mutagenWrite(QStringLiteral(R"(
import sys, mutagen.id3 as I
t = I.ID3(sys.argv[1])
t.add(I.TDRC(encoding=3, text='2019-03-01'))
t.save(v2_version=4)
)"),
                 file);
    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoAlbum(QStringLiteral("A")); }, &info));
    EXPECT_EQ(info.infoYear(), 2019) << "the recording date comes first";
    v2 = mutagenRead(kReadId3v2, file);
    EXPECT_EQ(v2.value(QLatin1String("TDRC")).toString(), QStringLiteral("2019-03-01"));

    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoYear(2022); }, &info));
    v2 = mutagenRead(kReadId3v2, file);
    EXPECT_EQ(v2.value(QLatin1String("TDRC")).toString(), QStringLiteral("2022"));
    EXPECT_EQ(v2.value(QLatin1String("version")).toString(), QStringLiteral("2.4"));

    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoYear(0); }, &info));
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoYear(), 0) << "a cleared year stays cleared";

    // A file without a tag gets ID3v2.3, which every player reads.
    const QString fresh = record("fresh.mp3");
    ASSERT_TRUE(writeTags(
        fresh, 2, [](TAudioInformation2 &i) { i.setInfoYear(2020); }, &info));
    v2 = mutagenRead(kReadId3v2, fresh);
    EXPECT_EQ(v2.value(QLatin1String("version")).toString(), QStringLiteral("2.3"));
}

TEST_F(TagFidelityTest, OggShowsAndWritesComment) {
    if (!haveTool(QStringLiteral("ffmpeg"))) {
        GTEST_SKIP() << "no ffmpeg";
    }
    const QString src = record("src.wav");
    const QString file = path("c.ogg");
    ASSERT_TRUE(ffmpeg(
        {QStringLiteral("-i"), src, QStringLiteral("-c:a"), QStringLiteral("libvorbis"), file}));
    mutagenWrite(QStringLiteral(R"(
import sys, mutagen.oggvorbis as O
f = O.OggVorbis(sys.argv[1])
f.tags['COMMENT'] = 'The comment'
f.tags['DESCRIPTION'] = 'The description'
f.tags['DATE'] = '2021-05-04'
f.tags['ARTIST'] = ['One', 'Two']
f.save()
)"),
                 file);
    TAudioInformation2 info;
    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoTitle(QStringLiteral("T")); }, &info));
    EXPECT_EQ(info.infoComments(), QStringLiteral("The comment"));
    EXPECT_EQ(info.infoYear(), 2021);
    QJsonObject tags = mutagenRead(kReadVorbis, file);
    EXPECT_EQ(tags.value(QLatin1String("date")).toArray().first().toString(),
              QStringLiteral("2021-05-04"));
    EXPECT_EQ(tags.value(QLatin1String("artist")).toArray().size(), 2) << "untouched, kept";

    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoComments(QStringLiteral("Changed")); },
        &info));
    tags = mutagenRead(kReadVorbis, file);
    EXPECT_EQ(tags.value(QLatin1String("comment")).toArray().first().toString(),
              QStringLiteral("Changed"));
    EXPECT_EQ(tags.value(QLatin1String("description")).toArray().first().toString(),
              QStringLiteral("The description"));
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoComments(), QStringLiteral("Changed"));
}

// The File Properties object's file size, straight from the header.
quint64 asfDeclaredFileSize(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray head = f.read(1 << 20);
    const QByteArray guid = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
    const int at = head.indexOf(guid);
    if (at < 0 || at + 48 > head.size()) {
        return 0;
    }
    quint64 size = 0;
    for (int i = 7; i >= 0; --i) {
        size = size << 8 | static_cast<quint8>(head[at + 40 + i]);
    }
    return size;
}

double ffprobeDuration(const QString &file) {
    return runTool(QStringLiteral("ffprobe"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                    QStringLiteral("format=duration"), QStringLiteral("-of"),
                    QStringLiteral("csv=p=0"), file})
        .trimmed()
        .toDouble();
}

TEST_F(TagFidelityTest, WmaHeaderStaysConsistentAndOverlongTextIsRefused) {
    const QString file = record("t.wma");
    const bool probe = haveTool(QStringLiteral("ffprobe"));
    const double probedLength = probe ? ffprobeDuration(file) : 0.0;
    TAudioInformation2 info;
    for (int length : {3000, 20, 32766}) {
        ASSERT_TRUE(writeTags(
            file, 2,
            [length](TAudioInformation2 &i) {
                i.setInfoComments(QString(length, QLatin1Char('w')));
            },
            &info))
            << length;
        EXPECT_EQ(asfDeclaredFileSize(file), static_cast<quint64>(QFileInfo(file).size()))
            << length;
        EXPECT_EQ(mutagenRead(kReadAsf, file).value(QLatin1String("Description")).toString(),
                  QString(length, QLatin1Char('w')));
        ASSERT_TRUE(info.GetAudioInformation(file));
        EXPECT_NEAR(info.Duration(), 2000, 50) << length;
        if (probe) {
            EXPECT_NEAR(ffprobeDuration(file), probedLength, 0.001) << length;
        }
    }
    for (int length : {32767, 40000}) {
        EXPECT_FALSE(writeTags(
            file, 2,
            [length](TAudioInformation2 &i) {
                i.setInfoComments(QString(length, QLatin1Char('x')));
            },
            &info))
            << length;
        EXPECT_TRUE(info.LastErrorText().contains(QLatin1String("32766"))) << length;
        EXPECT_EQ(mutagenRead(kReadAsf, file).value(QLatin1String("Description")).toString(),
                  QString(32766, QLatin1Char('w')))
            << "the file keeps its tags";
    }
    EXPECT_FALSE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoTitle(QString(33000, QLatin1Char('t'))); },
        &info));
    EXPECT_TRUE(info.LastErrorText().contains(QLatin1String("Title")));
}

// Where other tools put a WMA's year and description: ffmpeg writes "date" and an extended
// "Description" attribute, other taggers WM/Year as a number. Shown, and replaced when edited.
TEST_F(TagFidelityTest, WmaYearAndDescriptionOfOtherTools) {
    if (!haveTool(QStringLiteral("ffmpeg")) || !ffmpegHasEncoder(QStringLiteral("wmav2"))) {
        GTEST_SKIP() << "no ffmpeg with a WMA encoder";
    }
    const QString src = record("src.wav");
    const QString byFfmpeg = path("ffmpeg.wma");
    ASSERT_TRUE(
        ffmpeg({QStringLiteral("-i"), src, QStringLiteral("-c:a"), QStringLiteral("wmav2"),
                QStringLiteral("-metadata"), QStringLiteral("date=2003"),
                QStringLiteral("-metadata"), QStringLiteral("comment=From ffmpeg"), byFfmpeg}));
    const QString numberYear = path("number.wma");
    ASSERT_TRUE(QFile::copy(byFfmpeg, numberYear));
    mutagenWrite(QStringLiteral(R"(
import sys, mutagen.asf as A
f = A.ASF(sys.argv[1])
f.tags.clear()
f['WM/Year'] = [A.ASFDWordAttribute(2004)]
f.save()
)"),
                 numberYear);

    TAudioInformation2 info;
    ASSERT_TRUE(info.GetAudioInformation(byFfmpeg));
    EXPECT_EQ(info.infoYear(), 2003);
    EXPECT_EQ(info.infoComments(), QStringLiteral("From ffmpeg"));
    ASSERT_TRUE(info.GetAudioInformation(numberYear));
    EXPECT_EQ(info.infoYear(), 2004);

    // Edited, the new values are what every reader sees; nothing old comes back.
    ASSERT_TRUE(writeTags(
        byFfmpeg, 2,
        [](TAudioInformation2 &i) {
            i.setInfoComments(QStringLiteral("Edited"));
            i.setInfoYear(0);
        },
        &info));
    ASSERT_TRUE(info.GetAudioInformation(byFfmpeg));
    EXPECT_EQ(info.infoComments(), QStringLiteral("Edited"));
    EXPECT_EQ(info.infoYear(), 0);
    const QJsonObject edited = mutagenRead(kReadAsf, byFfmpeg);
    EXPECT_FALSE(edited.contains(QLatin1String("date")));
    EXPECT_EQ(edited.value(QLatin1String("Description")).toString(), QStringLiteral("Edited"));
    ASSERT_TRUE(writeTags(
        numberYear, 2, [](TAudioInformation2 &i) { i.setInfoYear(2010); }, &info));
    ASSERT_TRUE(info.GetAudioInformation(numberYear));
    EXPECT_EQ(info.infoYear(), 2010);
    EXPECT_EQ(mutagenRead(kReadAsf, numberYear).value(QLatin1String("WM/Year")).toString(),
              QStringLiteral("2010"));
}

// AAC in M4A keeps its tags in MP4 atoms: shown, written, and the sound left as it was.
TEST_F(TagFidelityTest, M4aTagsShowAndWrite) {
    if (!haveTool(QStringLiteral("ffmpeg")) || !ffmpegHasEncoder(QStringLiteral("aac"))) {
        GTEST_SKIP() << "no ffmpeg with its AAC encoder";
    }
    const QString src = record("src.wav");
    const QString file = path("t.m4a");
    QStringList args{QStringLiteral("-i"), src, QStringLiteral("-c:a"), QStringLiteral("aac")};
    for (const char *tag :
         {"title=The title", "artist=The artist", "album=The album", "date=2003", "track=7",
          "genre=Rock", "comment=The comment", "copyright=(c) Somebody"}) {
        args << QStringLiteral("-metadata") << QString::fromUtf8(tag);
    }
    ASSERT_TRUE(ffmpeg(args << file));
    TAudioFile2 before;
    before.OpenFile(file, 0, 1);
    const std::vector<int16_t> sound = readToEnd(before);
    before.CloseFile();

    TAudioInformation2 info;
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoTitle(), QStringLiteral("The title"));
    EXPECT_EQ(info.infoArtist(), QStringLiteral("The artist"));
    EXPECT_EQ(info.infoAlbum(), QStringLiteral("The album"));
    EXPECT_EQ(info.infoYear(), 2003);
    EXPECT_EQ(info.infoTrack(), 7);
    EXPECT_EQ(info.infoGenre(), 17);  // Rock
    EXPECT_EQ(info.infoComments(), QStringLiteral("The comment"));
    EXPECT_EQ(info.infoCopyright(), QStringLiteral("(c) Somebody"));

    info.setInfoTitle(kNonLatin);
    info.setInfoArtist(QStringLiteral("Other artist"));
    info.setInfoGenre(8);  // Jazz
    info.setInfoComments(QStringLiteral("Other comment"));
    info.setInfoCopyright(QStringLiteral("(c) Other"));
    ASSERT_TRUE(info.setInfoYear(2011));
    ASSERT_TRUE(info.setInfoTrack(3));
    ASSERT_TRUE(info.SetAudioInformation(file)) << info.LastErrorText().toStdString();
    const QMap<QString, QString> probed = ffprobeTags(file);
    EXPECT_EQ(probed.value(QStringLiteral("title")), kNonLatin);
    EXPECT_EQ(probed.value(QStringLiteral("artist")), QStringLiteral("Other artist"));
    EXPECT_EQ(probed.value(QStringLiteral("album")), QStringLiteral("The album"));
    EXPECT_EQ(probed.value(QStringLiteral("genre")), QStringLiteral("Jazz"));
    EXPECT_EQ(probed.value(QStringLiteral("comment")), QStringLiteral("Other comment"));
    EXPECT_EQ(probed.value(QStringLiteral("copyright")), QStringLiteral("(c) Other"));
    EXPECT_EQ(probed.value(QStringLiteral("date")), QStringLiteral("2011"));
    EXPECT_TRUE(probed.value(QStringLiteral("track")).startsWith(QLatin1String("3")));
    TAudioFile2 after;
    after.OpenFile(file, 0, 1);
    EXPECT_TRUE(readToEnd(after) == sound) << "the sound changed";
}

struct RiffChunk {
    QByteArray id;
    qint64 offset;  // of the chunk's header
    quint32 size;
};

quint32 le32(const QByteArray &b, qint64 at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | static_cast<quint8>(b[at + i]);
    }
    return v;
}

// The chunks the RIFF header's size covers, as a strict reader walks them.
std::vector<RiffChunk> riffChunks(const QByteArray &wav) {
    std::vector<RiffChunk> chunks;
    const qint64 end = std::min<qint64>(wav.size(), qint64{le32(wav, 4)} + 8);
    for (qint64 at = 12; at + 8 <= end;) {
        const quint32 size = le32(wav, at + 4);
        chunks.push_back({wav.mid(at, 4), at, size});
        at += 8 + qint64{size} + (size & 1);
    }
    return chunks;
}

// A WAV written to a pipe can't go back to fill in its sizes: RIFF and data say 0xFFFFFFFF.
// After a tag write both describe the file as it is, and the sound is all still there.
TEST_F(TagFidelityTest, StreamedWavHasTrueSizesAfterATagWrite) {
    if (!haveTool(QStringLiteral("ffmpeg")) || !haveTool(QStringLiteral("sh"))) {
        GTEST_SKIP() << "no ffmpeg";
    }
    const QString src = record("src.wav");
    const QString file = path("streamed.wav");
    ASSERT_FALSE(runTool(QStringLiteral("sh"),
                         {QStringLiteral("-c"),
                          QStringLiteral("ffmpeg -hide_banner -loglevel error -i \"$1\" -f wav - "
                                         "| cat > \"$2\""),
                          QStringLiteral("sh"), src, file})
                     .isNull());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray streamed = f.readAll();
    f.close();
    ASSERT_EQ(le32(streamed, 4), 0xFFFFFFFFu) << "not written as a stream";
    const qint64 dataAt = streamed.indexOf("data");
    ASSERT_GT(dataAt, 0);
    ASSERT_EQ(le32(streamed, dataAt + 4), 0xFFFFFFFFu);
    const qint64 soundBytes = streamed.size() - dataAt - 8;
    TAudioFile2 before;
    before.OpenFile(file, 0, 1);
    const std::vector<int16_t> sound = readToEnd(before);
    before.CloseFile();
    ASSERT_EQ(static_cast<qint64>(sound.size()) * 2, soundBytes);

    TAudioInformation2 info;
    ASSERT_TRUE(writeTags(
        file, 2, [](TAudioInformation2 &i) { i.setInfoTitle(QStringLiteral("Streamed")); }, &info))
        << info.LastErrorText().toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray tagged = f.readAll();
    EXPECT_EQ(qint64{le32(tagged, 4)} + 8, tagged.size()) << "the RIFF size";
    const std::vector<RiffChunk> chunks = riffChunks(tagged);
    ASSERT_FALSE(chunks.empty());
    const RiffChunk &last = chunks.back();
    EXPECT_EQ(last.offset + 8 + last.size + (last.size & 1), tagged.size())
        << "the chunks end where the file ends";
    const auto data = std::find_if(chunks.begin(), chunks.end(),
                                   [](const RiffChunk &c) { return c.id == "data"; });
    ASSERT_NE(data, chunks.end()) << "the data chunk lies inside the RIFF chunk";
    EXPECT_EQ(qint64{data->size}, soundBytes);

    TAudioFile2 after;
    after.OpenFile(file, 0, 1);
    EXPECT_TRUE(readToEnd(after) == sound) << "the sound changed";
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoTitle(), QStringLiteral("Streamed"));
    EXPECT_EQ(ffprobeTags(file).value(QStringLiteral("title")), QStringLiteral("Streamed"));
}

}  // namespace
