// Repairing the header of a WAV recording that was cut off, and leaving every other file as
// it was.
#include "recording/wav_recovery.h"
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "recording/take_journal.h"
#include "tests/support/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRate = 22050;

// A finished recording of `frames` stereo frames of a ramp, written by the file component.
void writeRecording(const QString &path, int frames, int channels = 2, int bits = 16) {
    TAudioFile2 file;
    file.SetFormatPCM(kRate, channels, bits);
    file.CreateFile(path, 0);
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
    file.WriteFile(SampleArray(channels, std::move(samples)));
    file.CloseFile();
    ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
}

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setContents(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void putLe32(QByteArray &bytes, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(v >> (8 * i));
}

uint32_t le32At(const QByteArray &bytes, int at) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.constData() + at, 4);
    return v;
}

int framesIn(const QString &path) {
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    return file.LastErrorNum() == 0 ? file.nSamples() : -1;
}

}  // namespace

class WavRecoveryTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir_;
};

TEST_F(WavRecoveryTest, SizesThatMissTheLastBlocksOrRunPastTheEndAreRepaired) {
    const QString good = path("good.wav");
    writeRecording(good, 10000);
    const QByteArray finished = contents(good);
    ASSERT_EQ(finished.size(), 44 + 40000);

    // Killed before the sizes of the last block were written; a recorder that leaves them
    // at zero until the end; a copy cut off part-way through a frame.
    QByteArray behind = finished;
    putLe32(behind, 4, 36 + 40000 - 8820);
    putLe32(behind, 40, 40000 - 8820);
    QByteArray zero = finished;
    putLe32(zero, 4, 0);
    putLe32(zero, 40, 0);
    QByteArray cut = finished.left(44 + 30002);

    setContents(path("behind.wav"), behind);
    setContents(path("zero.wav"), zero);
    setContents(path("cut.wav"), cut);
    EXPECT_EQ(RepairWavHeader(path("behind.wav")), WavRepair::Repaired);
    EXPECT_EQ(RepairWavHeader(path("zero.wav")), WavRepair::Repaired);
    EXPECT_EQ(RepairWavHeader(path("cut.wav")), WavRepair::Repaired);

    EXPECT_EQ(contents(path("behind.wav")), finished);
    EXPECT_EQ(contents(path("zero.wav")), finished);
    // Only the size fields change; the half frame at the end stays outside the chunk.
    const QByteArray repairedCut = contents(path("cut.wav"));
    EXPECT_EQ(repairedCut.mid(44), cut.mid(44));
    EXPECT_EQ(le32At(repairedCut, 40), 30000u);
    EXPECT_EQ(le32At(repairedCut, 4), 36u + 30000u);
    EXPECT_EQ(framesIn(path("cut.wav")), 7500);

    // A second start finds nothing more to do.
    for (const char *name : {"behind.wav", "zero.wav", "cut.wav"})
        EXPECT_EQ(RepairWavHeader(path(name)), WavRepair::Intact) << name;
}

TEST_F(WavRecoveryTest, FinishedAndForeignFilesAreLeftByteForByte) {
    // A finished file; an odd-sized 8-bit mono one with its pad byte; a fresh one with no
    // samples yet; one with tags in chunks after the samples; one with an ID3v1 tag
    // appended; an MP3 named .wav; a text file.
    writeRecording(path("finished.wav"), 5000);
    writeRecording(path("odd.wav"), 4999, 1, 8);
    writeRecording(path("fresh.wav"), 0);
    writeRecording(path("tagged.wav"), 5000);
    {
        TAudioInformation2 info;
        ASSERT_TRUE(info.GetAudioInformation(path("tagged.wav")));
        info.setInfoTitle(QStringLiteral("A title long enough to matter"));
        ASSERT_TRUE(info.SetAudioInformation(path("tagged.wav")));
    }
    writeRecording(path("id3v1.wav"), 5000);
    {
        QFile f(path("id3v1.wav"));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(QByteArray("TAG") + QByteArray(125, 'x'));
    }
    {
        TAudioFile2 mp3;
        mp3.SetFormatMP3(44100, 128, 2);
        mp3.CreateFile(path("mp3.wav"), 0);
        mp3.WriteFile(SampleArray(2, std::vector<int16_t>(88200, 1000)));
        mp3.CloseFile();
    }
    setContents(path("text.wav"), "RIFF, but not really");

    const QStringList names = QDir(dir_.path()).entryList(QDir::Files);
    ASSERT_EQ(names.size(), 7) << names.join(u' ').toStdString();
    std::vector<QByteArray> before;
    for (const QString &name : names)
        before.push_back(contents(dir_.filePath(name)));

    EXPECT_TRUE(RepairUnfinishedRecordings(dir_.path()).isEmpty());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(contents(dir_.filePath(names[int(i)])), before[i]) << names[int(i)].toStdString();
    EXPECT_EQ(RepairWavHeader(path("mp3.wav")), WavRepair::NotWav);
    EXPECT_EQ(RepairWavHeader(path("missing.wav")), WavRepair::NotWav);
}

TEST_F(WavRecoveryTest, TheFolderScanRepairsOnlyWavFilesDirectlyInsideAndSurvivesReadOnlyOnes) {
    writeRecording(path("a.WAV"), 2000);
    QByteArray damaged = contents(path("a.WAV"));
    putLe32(damaged, 40, 400);
    setContents(path("a.WAV"), damaged);
    setContents(path("b.mp3"), damaged);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("sub")));
    setContents(path("sub/c.wav"), damaged);
    setContents(path("sub/locked.wav"), damaged);
    QFile::setPermissions(path("sub/locked.wav"), QFile::ReadOwner);

    EXPECT_EQ(RepairUnfinishedRecordings(dir_.path()).join(u'|'), path("a.WAV"));
    EXPECT_EQ(framesIn(path("a.WAV")), 2000);
    EXPECT_EQ(contents(path("b.mp3")), damaged);
    EXPECT_EQ(contents(path("sub/c.wav")), damaged);
    if (!QFile(path("sub/locked.wav")).open(QIODevice::ReadWrite)) {  // not when run as root
        EXPECT_EQ(RepairWavHeader(path("sub/locked.wav")), WavRepair::Failed);
        EXPECT_EQ(contents(path("sub/locked.wav")), damaged);
    }
    EXPECT_TRUE(RepairUnfinishedRecordings(QString()).isEmpty());
    EXPECT_TRUE(RepairUnfinishedRecordings(path("nowhere")).isEmpty());
}

class RecoveryAtStartTest : public WindowFixture {};

TEST_F(RecoveryAtStartTest, StartingTheProgramRepairsTheRecordingsInTheSaveFolder) {
    ASSERT_TRUE(QDir().mkpath(recordingDir()));
    const QString file = recordingDir() + QStringLiteral("Untitled1.wav");
    writeRecording(file, 22050);
    QByteArray damaged = contents(file);
    putLe32(damaged, 4, 36 + 4000);
    putLe32(damaged, 40, 4000);
    setContents(file, damaged);
    ASSERT_EQ(framesIn(file), 1000);

    openWindow();
    EXPECT_EQ(framesIn(file), 22050);
}

// Takes an earlier run left open, as its journal lists them, are repaired in every format at
// the next start, and one message names them; a take of a copy still running is left alone.
TEST_F(RecoveryAtStartTest, TakesLeftOpenAreRepairedAndNamedInOneMessage) {
    ASSERT_TRUE(QDir().mkpath(recordingDir()));
    const QString flac = recordingDir() + QStringLiteral("Untitled1.flac");
    const QString ogg = recordingDir() + QStringLiteral("Untitled2.ogg");
    const QString running = recordingDir() + QStringLiteral("Untitled3.flac");
    for (const QString &file : {flac, ogg, running}) {
        TAudioFile2 writer;
        if (file.endsWith(QLatin1String(".ogg")))
            writer.SetFormatVorbis(3, 44100, 2);
        else
            writer.SetFormatFLAC(44100, 2);
        writer.CreateFile(file, 0);
        std::vector<int16_t> samples(44100 * 4 * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
        writer.WriteFile(SampleArray(2, std::move(samples)));
        writer.CloseFile();
        const QByteArray whole = contents(file);
        setContents(file, whole.left(whole.size() * 2 / 3));  // as a kill leaves it
    }
    const QByteArray cutRunning = contents(running);
    setExecutableDirectoryForTesting(dir_.path());
    // A process id that is no longer in use: a child that has ended.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    setContents(takeJournalPath(), QByteArray::number(gone) + '\t' + flac.toUtf8() + '\n' +
                                       QByteArray::number(gone) + '\t' + ogg.toUtf8() + '\n' +
                                       "1\t" + running.toUtf8() + '\n');

    openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !messages_.isEmpty(); }, 20000));
    testsupport::spin(100);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains(flac) && messages_[0].contains(ogg))
        << messages_[0].toStdString();
    EXPECT_FALSE(messages_[0].contains(running));
    EXPECT_EQ(contents(running), cutRunning);
    EXPECT_EQ(contents(takeJournalPath()), "1\t" + running.toUtf8() + '\n');
    for (const QString &file : {flac, ogg}) {
        TAudioFile2 reader;
        reader.OpenFile(file, 0, 1);
        EXPECT_EQ(reader.LastErrorNum(), 0);
        EXPECT_GT(reader.nSamples(), 44100) << file.toStdString();
    }
}
