// The information component: facts and tags of each kind of file, tags written back and
// read again by us and by ffprobe.
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "codec_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace codectest;

namespace {

constexpr int kRate = 44100;

struct Tags {
    QString title;
    QString artist;
    QString album;
    QString copyright;
    QString comment;
    int year;
    int genre;
    int track;
};

const Tags kUnicodeTags{QStringLiteral("Grüße aus Köln – テスト"),
                        QStringLiteral("Ünïcode Artist"),
                        QStringLiteral("Album Ω"),
                        QStringLiteral("(c) 2003 Somebody"),
                        QStringLiteral("A comment"),
                        2003,
                        17,
                        7};
const Tags kAsciiTags{QStringLiteral("Plain Title"),
                      QStringLiteral("Plain Artist"),
                      QStringLiteral("Plain Album"),
                      QString(),  // ID3v1 has no copyright field
                      QStringLiteral("Plain comment"),
                      1999,
                      8,
                      12};

void apply(TAudioInformation2 &info, const Tags &t) {
    info.setInfoTitle(t.title);
    info.setInfoArtist(t.artist);
    info.setInfoAlbum(t.album);
    info.setInfoGenre(static_cast<int16_t>(t.genre));
    info.setInfoCopyright(t.copyright);
    info.setInfoComments(t.comment);
    ASSERT_TRUE(info.setInfoYear(t.year));
    ASSERT_TRUE(info.setInfoTrack(static_cast<int16_t>(t.track)));
}

void expectTags(const TAudioInformation2 &info, const Tags &t, const char *what) {
    EXPECT_EQ(info.infoTitle(), t.title) << what;
    EXPECT_EQ(info.infoArtist(), t.artist) << what;
    EXPECT_EQ(info.infoAlbum(), t.album) << what;
    EXPECT_EQ(info.infoCopyright(), t.copyright) << what;
    EXPECT_EQ(info.infoComments(), t.comment) << what;
    EXPECT_EQ(info.infoYear(), t.year) << what;
    EXPECT_EQ(info.infoGenre(), t.genre) << what;
    EXPECT_EQ(info.infoTrack(), t.track) << what;
}

class InformationTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    // Records 2 s of tone in the format the name's extension says.
    QString record(const char *name) {
        TAudioFile2 w;
        w.setWmaFormatEnabled(true);
        const QString n = path(name);
        if (n.endsWith(QLatin1String(".wav"))) {
            w.SetFormatPCM(kRate, 2, 16);
        } else if (n.endsWith(QLatin1String(".mp3"))) {
            w.SetFormatMP3(kRate, 128, 2);
        } else {
            w.SetFormatWMA(38);
        }
        w.CreateFile(n, 0);
        writeInBlocks(w, tone(kRate, 2, kRate * 2, 440.0), 2, kRate);
        w.CloseFile();
        return n;
    }

    QString makeWithFfmpeg(const char *name, const QStringList &options) {
        if (!haveTool(QStringLiteral("ffmpeg"))) {
            return QString();
        }
        const QString src = record("src.wav");
        QStringList args{QStringLiteral("-i"), src};
        args += options;
        args += path(name);
        return ffmpeg(args) ? path(name) : QString();
    }

    void roundTrip(const QString &file, int version, const Tags &tags, const char *what) {
        {
            TAudioInformation2 info;
            info.setMp3TagInfoVersion(version);
            ASSERT_TRUE(info.GetAudioInformation(file)) << info.LastErrorText().toStdString();
            apply(info, tags);
            ASSERT_TRUE(info.SetAudioInformation(file)) << info.LastErrorText().toStdString();
        }
        TAudioInformation2 again;
        again.setMp3TagInfoVersion(version);
        ASSERT_TRUE(again.GetAudioInformation(file));
        expectTags(again, tags, what);
        // The file still plays, with its length unchanged.
        TAudioFile2 audio;
        audio.setWmaFormatEnabled(true);
        audio.OpenFile(file, 0, 1);
        EXPECT_EQ(audio.LastErrorNum(), 0) << what;
        EXPECT_NEAR(again.Duration(), 2000, 50) << what;
    }

    // Checks what an independent reader (ffprobe) sees.
    static void expectProbe(const QString &file, const Tags &t, bool hasCopyright) {
        if (!haveTool(QStringLiteral("ffprobe"))) {
            return;
        }
        const QMap<QString, QString> tags = ffprobeTags(file);
        EXPECT_EQ(tags.value(QStringLiteral("title")), t.title) << file.toStdString();
        EXPECT_EQ(tags.value(QStringLiteral("artist")), t.artist);
        EXPECT_EQ(tags.value(QStringLiteral("album")), t.album);
        EXPECT_EQ(tags.value(QStringLiteral("comment")), t.comment);
        // FFmpeg shows an ASF file's year under its own attribute name.
        const QString date =
            tags.value(QStringLiteral("date"), tags.value(QStringLiteral("wm/year")));
        EXPECT_TRUE(date.startsWith(QString::number(t.year))) << date.toStdString();
        EXPECT_EQ(tags.value(QStringLiteral("track")).section(QLatin1Char('/'), 0, 0).toInt(),
                  t.track);
        TAudioInformation2 names;
        EXPECT_EQ(tags.value(QStringLiteral("genre")), names.GenreToString(t.genre));
        if (hasCopyright) {
            EXPECT_EQ(tags.value(QStringLiteral("copyright")), t.copyright);
        }
    }

    QTemporaryDir dir;
};

TEST_F(InformationTest, FactsOfAFile) {
    const QString file = record("facts.mp3");
    TAudioInformation2 info;
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.Size(), QFileInfo(file).size());
    EXPECT_EQ(info.Duration(), 2000);
    EXPECT_EQ(info.FormatString(), QStringLiteral("MPEG 1.0 layer-3: 44100 Hz, 128 kbps, stereo"));
    EXPECT_EQ(info.mp3TagInfoVersion(), 2);
    EXPECT_TRUE(info.infoTitle().isEmpty());
    EXPECT_EQ(info.infoGenre(), -1);
    EXPECT_EQ(info.infoYear(), 0);
}

TEST_F(InformationTest, Id3v2RoundTrip) {
    const QString file = record("v2.mp3");
    roundTrip(file, 2, kUnicodeTags, "ID3v2");
    expectProbe(file, kUnicodeTags, true);
}

TEST_F(InformationTest, Id3v1RoundTrip) {
    const QString file = record("v1.mp3");
    roundTrip(file, 1, kAsciiTags, "ID3v1");
    expectProbe(file, kAsciiTags, false);
    // ID3v1 holds 30 characters per text.
    TAudioInformation2 info;
    info.setMp3TagInfoVersion(1);
    ASSERT_TRUE(info.GetAudioInformation(file));
    info.setInfoTitle(QString(40, QLatin1Char('x')));
    ASSERT_TRUE(info.SetAudioInformation(file));
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoTitle(), QString(30, QLatin1Char('x')));
}

TEST_F(InformationTest, WritingOneTagVersionKeepsTheOtherInStep) {
    const QString file = record("both.mp3");
    roundTrip(file, 2, kAsciiTags, "ID3v2 first");
    Tags changed = kAsciiTags;
    changed.title = QStringLiteral("Changed through ID3v1");
    changed.copyright = QStringLiteral("kept in ID3v2");
    roundTrip(file, 1, changed, "then ID3v1");
    TAudioInformation2 v2;
    v2.setMp3TagInfoVersion(2);
    ASSERT_TRUE(v2.GetAudioInformation(file));
    EXPECT_EQ(v2.infoTitle(), changed.title);
    expectProbe(file, changed, true);
}

TEST_F(InformationTest, WmaRoundTrip) {
    const QString file = record("tags.wma");
    roundTrip(file, 2, kUnicodeTags, "WMA");
    expectProbe(file, kUnicodeTags, true);
}

TEST_F(InformationTest, WavRoundTrip) {
    const QString file = record("tags.wav");
    roundTrip(file, 2, kUnicodeTags, "WAV");
    expectProbe(file, kUnicodeTags, true);
}

TEST_F(InformationTest, OggVorbisRoundTrip) {
    const QString file =
        makeWithFfmpeg("tags.ogg", {QStringLiteral("-c:a"), QStringLiteral("libvorbis")});
    if (file.isEmpty()) {
        GTEST_SKIP() << "ffmpeg can't make Ogg Vorbis here";
    }
    roundTrip(file, 2, kUnicodeTags, "Ogg");
}

TEST_F(InformationTest, GenreOutsideTheListReadsAsMinusOne) {
    const QString file = makeWithFfmpeg(
        "odd-genre.mp3", {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                          QStringLiteral("-metadata"), QStringLiteral("genre=Not A Known Genre")});
    if (file.isEmpty()) {
        GTEST_SKIP() << "ffmpeg can't make MP3 here";
    }
    TAudioInformation2 info;
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoGenre(), -1);
    info.setInfoGenre(-1);
    ASSERT_TRUE(info.SetAudioInformation(file));
    ASSERT_TRUE(info.GetAudioInformation(file));
    EXPECT_EQ(info.infoGenre(), -1);
}

TEST_F(InformationTest, GenreNames) {
    TAudioInformation2 info;
    EXPECT_EQ(info.GenreToString(0), QStringLiteral("Blues"));
    EXPECT_EQ(info.GenreToString(17), QStringLiteral("Rock"));
    EXPECT_EQ(info.GenreToString(80), QStringLiteral("Folk"));
    EXPECT_FALSE(info.GenreToString(146).isEmpty());
    EXPECT_TRUE(info.GenreToString(147).isEmpty());
    EXPECT_TRUE(info.GenreToString(-1).isEmpty());
    info.setInfoGenre(200);
    EXPECT_EQ(info.infoGenre(), -1);
}

TEST_F(InformationTest, RefusedValues) {
    TAudioInformation2 info;
    EXPECT_FALSE(info.setInfoYear(-1));
    EXPECT_FALSE(info.setInfoYear(10000));
    EXPECT_TRUE(info.setInfoYear(0));
    EXPECT_FALSE(info.setInfoTrack(-32768));  // what 32768 becomes as a 16-bit value
    EXPECT_TRUE(info.setInfoTrack(0));
}

TEST_F(InformationTest, FailuresReportTextAndNeverCrash) {
    TAudioInformation2 info;
    EXPECT_FALSE(info.GetAudioInformation(path("missing.mp3")));
    EXPECT_FALSE(info.LastErrorText().isEmpty());
    EXPECT_FALSE(info.GetAudioInformation(QString()));
    EXPECT_FALSE(info.SetAudioInformation(path("missing.mp3")));
    EXPECT_FALSE(info.LastErrorText().isEmpty());

    // A file that isn't audio loads as one without facts or tags, and takes no tags.
    QFile text(path("notes.mp3"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some text, not a sound\n");
    text.close();
    ASSERT_TRUE(info.GetAudioInformation(path("notes.mp3")));
    EXPECT_EQ(info.Duration(), 0);
    EXPECT_EQ(info.Size(), 28);
    info.setInfoTitle(QStringLiteral("x"));
    EXPECT_FALSE(info.SetAudioInformation(path("notes.mp3")));
    EXPECT_FALSE(info.LastErrorText().isEmpty());

    const QString avi =
        makeWithFfmpeg("plain.avi", {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")});
    if (!avi.isEmpty()) {
        ASSERT_TRUE(info.GetAudioInformation(avi));
        EXPECT_NEAR(info.Duration(), 2000, 5);
        EXPECT_FALSE(info.SetAudioInformation(avi)) << "AVI holds no tags we write";
    }

    if (geteuid() != 0) {
        const QString locked = record("locked.mp3");
        QFile::setPermissions(locked, QFileDevice::ReadOwner);
        ASSERT_TRUE(info.GetAudioInformation(locked));
        EXPECT_FALSE(info.SetAudioInformation(locked));
    }
}

TEST_F(InformationTest, EmptyNewRecordingLoadsWithoutError) {
    for (const char *name : {"new.wav", "new.mp3", "new.wma"}) {
        TAudioFile2 w;
        w.setWmaFormatEnabled(true);
        const QString n = path(name);
        if (n.endsWith(QLatin1String(".wav"))) {
            w.SetFormatPCM(kRate, 2, 16);
        } else if (n.endsWith(QLatin1String(".mp3"))) {
            w.SetFormatMP3(kRate, 128, 2);
        } else {
            w.SetFormatWMA(38);
        }
        w.CreateFile(n, 0);
        w.CloseFile();
        TAudioInformation2 info;
        EXPECT_TRUE(info.GetAudioInformation(n)) << name;
        EXPECT_LT(info.Duration(), 200) << name;
    }
}

}  // namespace
