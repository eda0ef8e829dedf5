// Names users point the program at that are not plain audio files: FIFOs, sockets, device
// nodes and folders named like audio files must be refused at once with a message saying what
// they are (opening a FIFO would otherwise wait for a writer forever), and files whose names
// are not valid UTF-8 must open, play and take tags like any other.
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "codec_test_support.h"
#include "files/rename_form.h"
#include "tests/support/watchdog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace codectest;
using namespace std::chrono_literals;

namespace {

constexpr int kRate = 44100;

// A Unix socket bound at `path`; returns its descriptor or -1.
int bindSocket(const QByteArray &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= static_cast<qsizetype>(sizeof addr.sun_path)) {
        return -1;
    }
    std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class FileKindsTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QByteArray nativeDir() const { return QFile::encodeName(dir.path()) + '/'; }

    // One second of tone in the format of `name`'s extension, written by the program.
    void record(const QString &file) {
        TAudioFile2 w;
        w.setWmaFormatEnabled(true);
        if (file.endsWith(QLatin1String(".wav"))) {
            w.SetFormatPCM(kRate, 2, 16);
        } else if (file.endsWith(QLatin1String(".mp3"))) {
            w.SetFormatMP3(kRate, 128, 2);
        } else {
            w.SetFormatWMA(38);
        }
        w.CreateFile(file, 0);
        w.WriteFile(SampleArray(2, tone(kRate, 2, kRate, 440.0)));
        w.CloseFile();
        ASSERT_EQ(w.LastErrorNum(), 0) << w.LastErrorText().toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(FileKindsTest, NonRegularFilesAreRefusedAtOnceSayingWhatTheyAre) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.wav")).constData(), 0644), 0);
    const int socketFd = bindSocket(QFile::encodeName(path("socket.mp3")));
    ASSERT_GE(socketFd, 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(path("zero.wma")).constData()), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ogg")));

    const std::vector<std::pair<QString, QString>> cases = {
        {path("pipe.wav"), QStringLiteral("named pipe")},
        {path("socket.mp3"), QStringLiteral("socket")},
        {path("zero.wma"), QStringLiteral("character device")},
        {QStringLiteral("/dev/zero"), QStringLiteral("character device")},
        {path("folder.ogg"), QStringLiteral("folder")}};
    for (const auto &[file, kind] : cases) {
        SCOPED_TRACE(file.toStdString());
        const testsupport::Watchdog watchdog("opening " + file.toStdString(), 10s);
        QElapsedTimer clock;
        clock.start();
        TAudioFile2 reader;
        reader.setWmaFormatEnabled(true);
        reader.OpenFile(file, 0, 1);
        EXPECT_NE(reader.LastErrorNum(), 0);
        EXPECT_TRUE(reader.LastErrorText().startsWith(file + QStringLiteral(" is ")));
        EXPECT_TRUE(reader.LastErrorText().contains(kind));
        EXPECT_TRUE(reader.LastErrorText().endsWith(QStringLiteral("not a regular file")));
        EXPECT_EQ(reader.nSamples(), 0);
        EXPECT_TRUE(reader.ReadFile(1000).isEmpty());

        TAudioInformation2 info;
        EXPECT_FALSE(info.GetAudioInformation(file));
        EXPECT_EQ(info.LastErrorText(), reader.LastErrorText());
        info.setInfoTitle(QStringLiteral("x"));
        EXPECT_FALSE(info.SetAudioInformation(file));
        EXPECT_EQ(info.LastErrorText(), reader.LastErrorText());
        EXPECT_LT(clock.elapsed(), 1000);
    }
    ::close(socketFd);
}

// Names as a Linux file system allows them: any bytes but '/' and NUL. Qt shows the bytes
// that aren't UTF-8 as replacement characters; the program must still find the file.
TEST_F(FileKindsTest, NamesThatAreNotUtf8OpenPlayAndTakeTags) {
    for (const char *ext : {".wav", ".mp3", ".wma"}) {
        SCOPED_TRACE(ext);
        const QString made = path("made") + QLatin1String(ext);
        record(made);
        const QByteArray latin1 = nativeDir() + "caf\xe9 d\xe9j\xe0" + ext;  // "café déjà"
        ASSERT_EQ(::rename(QFile::encodeName(made).constData(), latin1.constData()), 0);
        const QString name = QFile::decodeName(latin1);
        ASSERT_TRUE(name.contains(QChar(0xFFFD)));

        TAudioFile2 reader;
        reader.setWmaFormatEnabled(true);
        reader.OpenFile(name, 0, 1);
        ASSERT_EQ(reader.LastErrorNum(), 0) << reader.LastErrorText().toStdString();
        EXPECT_NEAR(reader.nSamples(), kRate, kRate / 20);
        const std::vector<int16_t> all = readToEnd(reader);
        EXPECT_EQ(static_cast<int>(all.size()) / 2, reader.nSamples());
        reader.CloseFile();

        TAudioInformation2 info;
        ASSERT_TRUE(info.GetAudioInformation(name)) << info.LastErrorText().toStdString();
        EXPECT_NEAR(info.Duration(), 1000, 50);
        EXPECT_GT(info.Size(), 0);
        info.setInfoTitle(QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"));
        ASSERT_TRUE(info.SetAudioInformation(name)) << info.LastErrorText().toStdString();
        TAudioInformation2 again;
        ASSERT_TRUE(again.GetAudioInformation(name));
        EXPECT_EQ(again.infoTitle(), QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"));
        // The tags went into the file itself, not into a new one named with UTF-8 bytes.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0)
            << QDir(dir.path()).entryList(QDir::Files).join(u',').toStdString();

        // Renamed from the list: the file itself moves, under the name typed.
        const QString renamed = path("renamed") + QLatin1String(ext);
        ASSERT_TRUE(RenameWithoutReplacing(name, renamed));
        EXPECT_TRUE(QFile::exists(renamed));
        EXPECT_NE(::access(latin1.constData(), F_OK), 0);
        ASSERT_TRUE(QFile::remove(renamed));
    }
}

// Two names that Qt shows alike: neither is guessed at.
TEST_F(FileKindsTest, AmbiguousUndecodableNamesAreNotGuessed) {
    record(path("a.wav"));
    record(path("b.wav"));
    const QByteArray first = nativeDir() + "caf\xe9.wav";
    const QByteArray second = nativeDir() + "caf\xe8.wav";
    ASSERT_EQ(::rename(QFile::encodeName(path("a.wav")).constData(), first.constData()), 0);
    ASSERT_EQ(::rename(QFile::encodeName(path("b.wav")).constData(), second.constData()), 0);
    TAudioFile2 reader;
    reader.OpenFile(QFile::decodeName(first), 0, 1);
    EXPECT_NE(reader.LastErrorNum(), 0);
    // QTemporaryDir can't see these names to remove them.
    ::unlink(first.constData());
    ::unlink(second.constData());
}

}  // namespace
