// Several copies of the program on one setup.ini: each save writes only the keys its own run
// changed, into the file as it is on disk at that moment, so no copy undoes another's changes
// or a hand edit, and writers racing each other never lose a key.
#include "settings/capture_settings.h"
#include "settings/ini_file.h"
#include "settings/recording_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class SharedSetupIniTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("setup.ini")); }

    void writeFile(const QByteArray &bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readFile() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The user changes one line with an editor while the copies run.
    void editByHand(const QByteArray &from, const QByteArray &to) const {
        QByteArray text = readFile();
        ASSERT_TRUE(text.contains(from)) << text.toStdString();
        writeFile(text.replace(from, to));
    }

    // What a copy's Options OK saves; the dialog's list rows are those it read when shown.
    bool optionsOk(RecordingSettings &copy) {
        QString error;
        const bool ok = SaveSettings(copy, FormatListRows(), path(), &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }

    // What a copy writes when its window closes.
    bool leave(RecordingSettings &copy) {
        QString error;
        const bool ok = SaveTimeLimit(copy, path(), &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }

    QTemporaryDir dir_;
};

TEST_F(SharedSetupIniTest, TwoCopiesKeepEachOthersChangesAndTheUsersEdits) {
    const QByteArray handMade =
        "; kept by hand\r\n[mp3]\r\nfreq=44100\r\nbitrate=128\r\n\r\n[options]\r\n"
        "saveformat=.mp3\r\nmine=keep\r\ntimelimit=-1\r\n[extra]\r\nx=1\r\n";
    writeFile(handMade);
    RecordingSettings a;
    RecordingSettings b;
    LoadRecordingSettings(a, path());
    LoadRecordingSettings(b, path());

    a.ext = QStringLiteral(".flac");  // A chooses FLAC
    ASSERT_TRUE(optionsOk(a));
    editByHand("bitrate=128", "bitrate=192");
    b.RecordTime = 300;  // B, still on MP3 in memory, sets a 5-minute limit
    ASSERT_TRUE(optionsOk(b));
    ASSERT_TRUE(leave(a));
    ASSERT_TRUE(leave(b));

    QByteArray expected = handMade;
    expected.replace("saveformat=.mp3", "saveformat=.flac")
        .replace("timelimit=-1", "timelimit=300")
        .replace("bitrate=128", "bitrate=192");
    EXPECT_EQ(readFile().toStdString(), expected.toStdString());

    // A key both change holds the later write, at an Options OK as at leaving.
    a.ext = QStringLiteral(".wav");
    ASSERT_TRUE(optionsOk(a));
    b.ext = QStringLiteral(".ogg");
    ASSERT_TRUE(optionsOk(b));
    a.RecordTime = 60;  // auto-stop dialogs: in memory until leaving
    b.RecordTime = 120;
    ASSERT_TRUE(leave(b));
    ASSERT_TRUE(leave(a));
    RecordingSettings next;
    LoadRecordingSettings(next, path());
    EXPECT_EQ(next.ext, QStringLiteral(".ogg"));
    EXPECT_EQ(next.RecordTime, 60);
    EXPECT_EQ(next.MP3Bitrate, 192);

    // Leaving without a change since the last save writes nothing, not even the time limit.
    editByHand("timelimit=60", "timelimit=45");
    ASSERT_TRUE(leave(a));
    ASSERT_TRUE(leave(b));
    EXPECT_TRUE(readFile().contains("timelimit=45"));
}

TEST_F(SharedSetupIniTest, ListeningOptionsOfTwoCopiesAreBothKept) {
    writeFile("[options]\nsaveformat=.wav\n");
    const CaptureSettings atStartA = LoadCaptureSettings(path());
    const CaptureSettings atStartB = LoadCaptureSettings(path());

    CaptureSettings a = atStartA;
    a.preRecordSeconds = 5;
    QString error;
    ASSERT_TRUE(SaveCaptureSettings(a, atStartA, path(), &error)) << error.toStdString();
    CaptureSettings b = atStartB;
    b.voicePause = true;
    ASSERT_TRUE(SaveCaptureSettings(b, atStartB, path(), &error)) << error.toStdString();

    EXPECT_EQ(readFile(), "[options]\nsaveformat=.wav\n\n[capture]\nprerecord=5\nvoicepause=1\n");
}

// Copies of the program (threads here: each IniFile opens and locks the file on its own) write
// different keys as fast as they can while another reads; every key arrives, and every read
// sees a whole file.
TEST_F(SharedSetupIniTest, RacingWritersLoseNoKeyAndReadersSeeWholeFiles) {
    writeFile("[race]\n\n[end]\nmark=1\n");
    constexpr int kWriters = 3;
    constexpr int kKeysEach = 60;
    std::atomic<int> writing{kWriters};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([this, w, &writing] {
            IniFile ini(path());
            for (int k = 0; k < kKeysEach; ++k) {
                const QString key = QStringLiteral("w%1k%2").arg(w).arg(k);
                EXPECT_TRUE(ini.WriteInteger(QStringLiteral("race"), key, w * 1000 + k));
            }
            --writing;
        });
    }
    int reads = 0;
    int tornReads = 0;
    while (writing > 0 || reads == 0) {
        ++reads;
        if (IniFile(path()).ReadInteger(QStringLiteral("end"), QStringLiteral("mark"), 0) != 1)
            ++tornReads;
    }
    for (std::thread &writer : writers)
        writer.join();

    EXPECT_EQ(tornReads, 0) << "of " << reads << " reads";
    const IniSnapshot result(path());
    int lost = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int k = 0; k < kKeysEach; ++k) {
            const QString key = QStringLiteral("w%1k%2").arg(w).arg(k);
            if (result.ReadInteger(QStringLiteral("race"), key, -1) != w * 1000 + k)
                ++lost;
        }
    }
    EXPECT_EQ(lost, 0) << "of " << kWriters * kKeysEach << " keys";
}

TEST_F(SharedSetupIniTest, AWriteReplacesTheFileWholeAndKeepsItsPermissions) {
    writeFile("[a]\nk=1\n");
    const QFile::Permissions chosen = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path(), chosen));

    IniFile ini(path());
    ASSERT_TRUE(ini.Write({{QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("2")},
                           {QStringLiteral("b"), QStringLiteral("n"), QStringLiteral("3")}}));
    EXPECT_EQ(readFile(), "[a]\nk=2\n\n[b]\nn=3\n");
    const QFile::Permissions ownerGroupOther =
        QFile::permissions(path()) &
        ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser |
                            QFile::ExeUser);  // the user's copy of the owner's
    EXPECT_EQ(ownerGroupOther, chosen);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("setup.ini")});

    // Nothing to write touches nothing and creates nothing.
    IniFile absent(dir_.filePath(QStringLiteral("other.ini")));
    EXPECT_TRUE(absent.Write({}));
    EXPECT_FALSE(QFile::exists(absent.path()));

    // One bad name stops the whole write.
    EXPECT_FALSE(ini.Write({{QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("4")},
                            {QStringLiteral("a"), QStringLiteral("x=y"), QStringLiteral("5")}}));
    EXPECT_EQ(readFile(), "[a]\nk=2\n\n[b]\nn=3\n");
    EXPECT_FALSE(ini.lastError().isEmpty());
}

}  // namespace
