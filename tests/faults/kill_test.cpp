// A recording killed with SIGKILL: what reached the disk must decode and hold everything
// but the last moments, and the next start must repair the take: a header that states what
// is on disk, whole frames and pages, Ogg's last page marked as the end of the stream.
//
// The recording runs in a child process: this same test program, started again on the
// RecordsUntilKilled case below with the folder to use in the environment.
#include "audio/devices/virtual_backend.h"
#include "recording/take_journal.h"
#include "recording/wav_recovery.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThreadPool>

#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/types.h>

using testsupport::spin;

namespace {

constexpr char kChildDirVariable[] = "KORVANTA_KILL_TEST_DIR";
constexpr char kStartedMarker[] = "korvanta-kill-test: recording";
constexpr int kRate = 44100;

// The PCM ffmpeg decodes from `path` (stereo, 44100 Hz); empty when ffmpeg refuses it.
std::vector<int16_t> decodeWithFfmpeg(const QString &path, QString *errors) {
    QProcess ffmpeg;
    ffmpeg.start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
         QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"), QStringLiteral("2"),
         QStringLiteral("-ar"), QString::number(kRate), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0) {
        *errors = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
        return {};
    }
    *errors = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    const QByteArray pcm = ffmpeg.readAllStandardOutput();
    std::vector<int16_t> samples(static_cast<size_t>(pcm.size()) / 2);
    std::memcpy(samples.data(), pcm.constData(), samples.size() * 2);
    return samples;
}

struct KilledRecording {
    double secondsRecorded = 0;  // from the start of the recording to the kill
    QString file;
};

// Starts the child on `dir`, lets it record for `seconds` and kills it.
KilledRecording recordAndKill(const QString &dir, int seconds) {
    KilledRecording result;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildDirVariable), dir);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANTA_AUDIO"), QStringLiteral("virtual"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=KillChild.RecordsUntilKilled")});
    if (!child.waitForStarted(10000))
        return result;
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (!output.contains(kStartedMarker) && waited.elapsed() < 20000 &&
           child.state() == QProcess::Running) {
        child.waitForReadyRead(100);
        output += child.readAllStandardOutput();
    }
    if (!output.contains(kStartedMarker)) {
        ADD_FAILURE() << "the child never started recording:\n" << output.toStdString();
        child.kill();
        child.waitForFinished();
        return result;
    }
    QElapsedTimer recording;
    recording.start();
    EXPECT_FALSE(child.waitForFinished(seconds * 1000)) << "the child ended by itself";
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    result.secondsRecorded = recording.elapsed() / 1000.0;
    child.waitForFinished(10000);
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    const QStringList files = QDir(dir + QStringLiteral("/Recording")).entryList(QDir::Files);
    if (files.size() == 1)
        result.file = dir + QStringLiteral("/Recording/") + files.first();
    else
        ADD_FAILURE() << "expected one recording, found " << files.join(u' ').toStdString();
    return result;
}

}  // namespace

// The child's side: records on the virtual card until it is killed.
class KillChild : public WindowFixture {};

TEST_F(KillChild, RecordsUntilKilled) {
    const QString dir = qEnvironmentVariable(kChildDirVariable);
    if (dir.isEmpty())
        GTEST_SKIP() << "runs only as the child process of the kill tests";
    setExecutableDirectoryForTesting(dir);
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    std::printf("%s\n", kStartedMarker);
    std::fflush(stdout);
    spin(60000);
    FAIL() << "the test never killed this process";
}

class KilledRecordingTest : public ::testing::TestWithParam<const char *> {
protected:
    void writeIni(const QByteArray &text) {
        QFile f(dir_.filePath(QStringLiteral("setup.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir dir_;
};

TEST_P(KilledRecordingTest, LeavesAFileThatDecodesWithAllButTheLastSecond) {
    const QByteArray format = GetParam();
    writeIni("[options]\nsaveformat=" + format + "\n");
    const KilledRecording killed = recordAndKill(dir_.path(), 3);
    ASSERT_FALSE(killed.file.isEmpty());
    ASSERT_GE(killed.secondsRecorded, 3.0);

    QString errors;
    const std::vector<int16_t> samples = decodeWithFfmpeg(killed.file, &errors);
    ASSERT_FALSE(samples.empty()) << errors.toStdString();
    const double seconds = samples.size() / 2.0 / kRate;
    EXPECT_GE(seconds, killed.secondsRecorded - 1.0);
    EXPECT_LE(seconds, killed.secondsRecorded + 0.3);
    std::printf("%s: %.2f s decode of %.2f s recorded until the kill\n", format.constData(),
                seconds, killed.secondsRecorded);
    const qint64 sizeAtKill = QFileInfo(killed.file).size();

    if (format == ".wav" || format == ".flac") {
        // Sample for sample the card's tone, from the first frame to the last.
        const size_t frames = samples.size() / 2;
        size_t mismatch = frames;
        for (size_t f = 0; f < frames && mismatch == frames; ++f) {
            for (int ch = 0; ch < 2; ++ch) {
                if (samples[f * 2 + ch] !=
                    VirtualBackend::toneSample(ch, 2, static_cast<int64_t>(f), kRate, 1.0))
                    mismatch = f;
            }
        }
        EXPECT_EQ(mismatch, frames);
    }

    // The program itself reads back as much as ffmpeg did.
    TAudioFile2 file;
    file.OpenFile(killed.file, 0, 1);
    ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
    EXPECT_NEAR(file.nSamples() / double(file.ArrayFrequency()), seconds, 0.1);
    file.CloseFile();

    // After the next start the header of a WAV covers exactly what is on disk.
    setExecutableDirectoryForTesting(dir_.path());
    testRecordingSettings() = RecordingSettings();
    ASSERT_TRUE(QFile::exists(takeJournalPath())) << "the take was noted as open";
    {
        TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
        window.TimerTip->stop();
    }
    // The repair runs on a worker and completes even though the window is gone.
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_FALSE(QFile::exists(takeJournalPath())) << "no take is left to repair";
    setExecutableDirectoryForTesting(QString());

    const std::vector<int16_t> repaired = decodeWithFfmpeg(killed.file, &errors);
    EXPECT_TRUE(errors.trimmed().isEmpty()) << errors.toStdString();
    const double repairedSeconds = repaired.size() / 2.0 / kRate;
    EXPECT_NEAR(repairedSeconds, seconds, 0.1) << "the repair keeps what decoded";
    TAudioFile2 again;
    again.OpenFile(killed.file, 0, 1);
    // ASF states its length in packets' times, which need not end on the last frame.
    EXPECT_NEAR(again.nSamples() / double(again.ArrayFrequency()), repairedSeconds,
                format == ".wma" ? 0.1 : 0.03)
        << "the stated length is the decoded one";
    again.CloseFile();
    std::printf("%s: %lld bytes at the kill, %lld after the repair, %.3f s\n", format.constData(),
                static_cast<long long>(sizeAtKill),
                static_cast<long long>(QFileInfo(killed.file).size()), repairedSeconds);
    if (format == ".flac" || format == ".opus" || format == ".ogg") {
        const QString checker = format == ".flac"   ? QStringLiteral("flac")
                                : format == ".opus" ? QStringLiteral("opusinfo")
                                                    : QStringLiteral("ogginfo");
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(checker, format == ".flac" ? QStringList{QStringLiteral("-t"), killed.file}
                                               : QStringList{killed.file});
        ASSERT_TRUE(check.waitForFinished(30000));
        QString out = QString::fromLocal8Bit(check.readAll());
        EXPECT_EQ(check.exitCode(), 0) << out.toStdString();
        out.remove(QLatin1String("WARNING, cannot check MD5 signature since it was unset"));
        EXPECT_FALSE(out.contains(QLatin1String("WARNING")) || out.contains(QLatin1String("ERROR")))
            << out.toStdString();
    }
    if (format == ".wav") {
        EXPECT_EQ(RepairWavHeader(killed.file), WavRepair::Intact);
        QFile wav(killed.file);
        ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
        const QByteArray header = wav.read(44);
        uint32_t dataBytes = 0;
        std::memcpy(&dataBytes, header.constData() + 40, 4);
        EXPECT_EQ(int64_t{dataBytes}, (wav.size() - 44) / 4 * 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, KilledRecordingTest,
                         ::testing::Values(".wav", ".mp3", ".flac", ".opus", ".ogg", ".wma"),
                         [](const ::testing::TestParamInfo<const char *> &tested) {
                             return std::string(tested.param + 1);
                         });
