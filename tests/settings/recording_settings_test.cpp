// The recording-format settings against setup.ini: defaults, loading as stored, and the exact
// keys the two save paths write.
#include "settings/recording_settings.h"
#include "settings/app_paths.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

namespace {

class RecordingSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { setExecutableDirectoryForTesting(dir_.path()); }
    void TearDown() override { setExecutableDirectoryForTesting(QString()); }

    void writeFile(const QByteArray &bytes) const {
        QFile file(setupIniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readFile() const {
        QFile file(setupIniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

TEST_F(RecordingSettingsTest, PathsFollowTheExecutableDirectory) {
    EXPECT_EQ(setupIniPath(), dir_.path() + "/setup.ini");
    setExecutableDirectoryForTesting(QString());
    EXPECT_EQ(executableDirectory(), QCoreApplication::applicationDirPath() + u'/');
}

TEST_F(RecordingSettingsTest, MissingFileGivesDefaultsAndIsNotCreated) {
    RecordingSettings s;
    s.ext = QStringLiteral("junk");
    s.MP3Bitrate = s.MP3Freq = s.WAVFreq = s.WAVCh = s.WAVBPS = s.WMAProfile = s.RecordTime = 0;
    LoadRecordingSettings(s, setupIniPath());
    EXPECT_EQ(s.ext, ".mp3");
    EXPECT_EQ(s.SavePath, executableDirectory() + "Recording/");
    EXPECT_EQ(s.MP3Bitrate, 128);
    EXPECT_EQ(s.MP3Freq, 44100);
    EXPECT_EQ(s.WAVFreq, 44100);
    EXPECT_EQ(s.WAVCh, 2);
    EXPECT_EQ(s.WAVBPS, 16);
    EXPECT_EQ(s.WMAProfile, 38);
    EXPECT_EQ(s.RecordTime, -1);
    EXPECT_FALSE(QFile::exists(setupIniPath()));
}

TEST_F(RecordingSettingsTest, LoadsValuesAsStored) {
    writeFile(
        "[OPTIONS]\r\n"
        "SaveFormat=.Wav\r\n"
        "savepath=\r\n"
        "timelimit=0\r\n"
        "[mp3]\r\n"
        "bitrate=100\r\n"
        "freq=fast\r\n"
        "[wav]\r\n"
        "freq=$1F40\r\n"
        "ch=1\r\n"
        "bps=8\r\n"
        "[wma]\r\n"
        "profile=-3\r\n");
    RecordingSettings s;
    s.flgSplit = true;
    s.SplitTime = 60;
    LoadRecordingSettings(s, setupIniPath());
    EXPECT_EQ(s.ext, ".Wav");
    EXPECT_EQ(s.SavePath, executableDirectory() + "Recording/") << "empty reads as missing";
    EXPECT_EQ(s.RecordTime, 0);
    EXPECT_EQ(s.MP3Bitrate, 100);
    EXPECT_EQ(s.MP3Freq, 44100);
    EXPECT_EQ(s.WAVFreq, 8000);
    EXPECT_EQ(s.WAVCh, 1);
    EXPECT_EQ(s.WAVBPS, 8);
    EXPECT_EQ(s.WMAProfile, -3);
    EXPECT_TRUE(s.flgSplit);
    EXPECT_EQ(s.SplitTime, 60);
}

// Hand-edited values no writer of the format can take read as the key's default; values a
// writer takes stay, even without a row in the Options dialog. Empty keys read as missing.
TEST_F(RecordingSettingsTest, UnwritableAndEmptyValuesReadAsDefaults) {
    struct Case {
        const char *ini;
        std::function<int(const RecordingSettings &)> field;
        int expected;
    };
    const Case cases[] = {
        {"[flac]\nfreq=-44100\n", [](auto &s) { return s.FLACFreq; }, 44100},
        {"[flac]\nfreq=2147483647\n", [](auto &s) { return s.FLACFreq; }, 44100},
        {"[flac]\nch=0\n", [](auto &s) { return s.FLACCh; }, 2},
        {"[flac]\nfreq=32000\n", [](auto &s) { return s.FLACFreq; }, 32000},
        {"[opus]\nbitrate=-1\n", [](auto &s) { return s.OpusBitrate; }, 128},
        {"[opus]\nbitrate=400\nch=1\n", [](auto &s) { return s.OpusBitrate; }, 128},
        {"[opus]\nbitrate=400\nch=2\n", [](auto &s) { return s.OpusBitrate; }, 400},
        {"[mp3]\nbitrate=-128\n", [](auto &s) { return s.MP3Bitrate; }, 128},
        {"[mp3]\nfreq=0\n", [](auto &s) { return s.MP3Freq; }, 44100},
        {"[vorbis]\nquality=-5\nfreq=0\n", [](auto &s) { return s.VorbisQuality; }, 5},
        {"[vorbis]\nquality=-5\nfreq=0\n", [](auto &s) { return s.VorbisFreq; }, 44100},
        {"[vorbis]\nch=3\n", [](auto &s) { return s.VorbisCh; }, 2},
        {"[wav]\nfreq=96000\nbps=24\n", [](auto &s) { return s.WAVFreq; }, 44100},
        {"[wav]\nfreq=96000\nbps=24\n", [](auto &s) { return s.WAVBPS; }, 16},
        {"[wav]\nch=\n", [](auto &s) { return s.WAVCh; }, 2},
        {"[options]\ntimelimit=\n", [](auto &s) { return s.RecordTime; }, -1},
    };
    for (const Case &c : cases) {
        writeFile(c.ini);
        RecordingSettings s;
        LoadRecordingSettings(s, setupIniPath());
        EXPECT_EQ(c.field(s), c.expected) << c.ini;
    }
    writeFile("[options]\nsavepath=\nsaveformat=  \n");
    RecordingSettings s;
    LoadRecordingSettings(s, setupIniPath());
    EXPECT_EQ(s.SavePath, executableDirectory() + "Recording/");
    EXPECT_EQ(s.ext, ".mp3");
}

TEST_F(RecordingSettingsTest, SaveSettingsWritesAllKeysInOrder) {
    RecordingSettings s;
    s.ext = QStringLiteral(".wav");
    s.SavePath = QStringLiteral("/home/u/Rec/");
    s.RecordTime = 90;
    s.MP3Bitrate = 320;
    s.MP3Freq = 22050;
    s.WAVFreq = 11025;
    s.WAVCh = 1;
    s.WAVBPS = 8;
    s.WMAProfile = 4;
    QString error = QStringLiteral("untouched");
    ASSERT_TRUE(SaveSettings(s, 9, 2, setupIniPath(), &error));
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(readFile(),
              "[options]\nsavepath=/home/u/Rec/\nsaveformat=.wav\ntimelimit=90\n\n"
              "[mp3]\nbitrate=320\nfreq=22050\nind=9\n\n"
              "[wav]\nfreq=11025\nch=1\nbps=8\nind=2\n\n"
              "[wma]\nprofile=4\n\n"
              "[flac]\nfreq=44100\nch=2\nind=0\n\n"
              "[opus]\nbitrate=128\nch=2\nind=10\n\n"
              "[vorbis]\nquality=5\nfreq=44100\nch=2\nind=20\n");

    RecordingSettings loaded;
    LoadRecordingSettings(loaded, setupIniPath());
    EXPECT_EQ(loaded.SavePath, s.SavePath);
    EXPECT_EQ(loaded.WMAProfile, s.WMAProfile);
}

TEST_F(RecordingSettingsTest, NewFormatKeysRoundTripAndAnOlderFileReadsAsBefore) {
    // Written by a version that knew only MP3, WAV and WMA: everything reads as it did, and
    // the new formats start from their defaults.
    writeFile(
        "[options]\nsavepath=/r/\nsaveformat=.wma\ntimelimit=90\n\n[mp3]\nbitrate=64\n"
        "freq=22050\nind=2\n\n[wav]\nfreq=8000\nch=1\nbps=8\nind=0\n\n[wma]\nprofile=4\n");
    RecordingSettings s;
    LoadRecordingSettings(s, setupIniPath());
    EXPECT_EQ(s.ext, ".wma");
    EXPECT_EQ(s.RecordTime, 90);
    EXPECT_EQ(s.MP3Bitrate, 64);
    EXPECT_EQ(s.WAVFreq, 8000);
    EXPECT_EQ(s.WMAProfile, 4);
    EXPECT_EQ(s.FLACFreq, 44100);
    EXPECT_EQ(s.FLACCh, 2);
    EXPECT_EQ(s.OpusBitrate, 128);
    EXPECT_EQ(s.OpusCh, 2);
    EXPECT_EQ(s.VorbisQuality, 5);
    EXPECT_EQ(s.VorbisFreq, 44100);
    EXPECT_EQ(s.VorbisCh, 2);

    s.ext = QStringLiteral(".opus");
    s.FLACFreq = 16000;
    s.FLACCh = 1;
    s.OpusBitrate = 24;
    s.OpusCh = 1;
    s.VorbisQuality = 10;
    s.VorbisFreq = 48000;
    s.VorbisCh = 1;
    FormatListRows rows;
    rows.flac = 7;
    rows.opus = 1;
    rows.vorbis = 43;
    ASSERT_TRUE(SaveSettings(s, rows, setupIniPath(), nullptr));
    RecordingSettings loaded;
    LoadRecordingSettings(loaded, setupIniPath());
    EXPECT_EQ(loaded.ext, ".opus");
    EXPECT_EQ(loaded.FLACFreq, 16000);
    EXPECT_EQ(loaded.FLACCh, 1);
    EXPECT_EQ(loaded.OpusBitrate, 24);
    EXPECT_EQ(loaded.OpusCh, 1);
    EXPECT_EQ(loaded.VorbisQuality, 10);
    EXPECT_EQ(loaded.VorbisFreq, 48000);
    EXPECT_EQ(loaded.VorbisCh, 1);
    EXPECT_EQ(loaded.MP3Bitrate, 64);
    EXPECT_TRUE(readFile().contains("[flac]\nfreq=16000\nch=1\nind=7\n"));
    EXPECT_TRUE(readFile().contains("[vorbis]\nquality=10\nfreq=48000\nch=1\nind=43\n"));

    // The MP3/WAV-only save keeps the rows stored for the other lists.
    ASSERT_TRUE(SaveSettings(s, 5, 15, setupIniPath(), nullptr));
    EXPECT_TRUE(readFile().contains("[opus]\nbitrate=24\nch=1\nind=1\n"));
}

TEST_F(RecordingSettingsTest, SaveTimeLimitTouchesOnlyItsLine) {
    const QByteArray before =
        "[tips]\r\ntipno=4\r\n\r\n[options]\r\nsaveformat=.wma\r\nTimeLimit = 30\r\n";
    writeFile(before);
    RecordingSettings s;
    s.RecordTime = 0;
    ASSERT_TRUE(SaveTimeLimit(s, setupIniPath(), nullptr));
    QByteArray expected = before;
    expected.replace("TimeLimit = 30", "TimeLimit = 0");
    EXPECT_EQ(readFile(), expected);
}

TEST_F(RecordingSettingsTest, FailedSavesReportThePath) {
    writeFile("[options]\ntimelimit=5\n");
    // setup.ini is a file, so nothing can be created below it.
    const QString blocked = setupIniPath() + QStringLiteral("/setup.ini");
    RecordingSettings s;
    QString error;
    EXPECT_FALSE(SaveSettings(s, 5, 15, blocked, &error));
    EXPECT_EQ(error, "Unable to write to " + blocked);
    error.clear();
    EXPECT_FALSE(SaveTimeLimit(s, blocked, &error));
    EXPECT_EQ(error, "Unable to write to " + blocked);
    EXPECT_FALSE(SaveTimeLimit(s, blocked, nullptr));
}

}  // namespace
