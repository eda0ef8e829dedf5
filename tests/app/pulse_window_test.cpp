// The whole window on the real sound server (a private headless PulseAudio started by the
// test wrapper): recording what the computer plays, and losing the server mid-recording.
#include "audio/audio_file2.h"
#include "audio/audio_record2.h"
#include "tests/support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QProcess>
#include <QStatusBar>

#include <cmath>
#include <csignal>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

QString writeToneWav(const QString &path, double hz, int seconds) {
    TAudioFile2 file;
    file.SetFormatPCM(44100, 2, 16);
    file.CreateFile(path, 0);
    std::vector<int16_t> samples(static_cast<size_t>(44100) * seconds * 2);
    for (size_t i = 0; i < samples.size() / 2; ++i)
        samples[2 * i] = samples[2 * i + 1] =
            static_cast<int16_t>(12000 * std::sin(2 * M_PI * hz * double(i) / 44100));
    file.WriteFile(SampleArray(2, samples));
    file.CloseFile();
    return path;
}

// Rising zero crossings per second of the left channel over the loud part of a recording.
double dominantFrequency(const std::vector<int16_t> &samples, int frequency) {
    size_t first = 0, last = 0;
    for (size_t i = 0; i < samples.size(); i += 2) {
        if (std::abs(samples[i]) > 4000) {
            if (!first)
                first = i;
            last = i;
        }
    }
    int crossings = 0;
    for (size_t i = first + 2; i <= last; i += 2)
        crossings += samples[i - 2] < 0 && samples[i] >= 0;
    const double seconds = double(last - first) / 2 / frequency;
    return seconds > 0 ? crossings / seconds : 0;
}

}  // namespace

class PulseWindowTest : public WindowFixture {};

TEST_F(PulseWindowTest, RecordsWhatTheComputerPlays) {
    writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
    const QString tone = writeToneWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 2);
    TForm1 &w = openWindow();
    ASSERT_GE(w.DeviceComboIn->count(), 1);  // the monitor of the test sink

    w.Record1->trigger();
    ASSERT_TRUE(w.flgRecord);
    QProcess player;
    player.start(QStringLiteral("paplay"),
                 {QStringLiteral("-d"), QStringLiteral("korvanta_test"), tone});
    ASSERT_TRUE(player.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return player.state() == QProcess::NotRunning; }, 10000));
    spin(300);
    w.Stop1->trigger();

    int channels = 0, frequency = 0;
    const auto samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    ASSERT_EQ(channels, 2);
    EXPECT_GT(samples.size() / 2.0 / frequency, 2.0);
    EXPECT_NEAR(dominantFrequency(samples, frequency), 1000.0, 20.0);
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
}

TEST_F(PulseWindowTest, RecordingFromADeviceThatWentAwaySaysWhyAndLeavesNoFile) {
    QProcess load;
    load.start(QStringLiteral("pactl"),
               {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                QStringLiteral("sink_name=korvanta_gone"),
                QStringLiteral("sink_properties=device.description=KorvantaGone")});
    ASSERT_TRUE(load.waitForFinished(5000));
    const QString module = QString::fromLocal8Bit(load.readAllStandardOutput()).trimmed();
    ASSERT_FALSE(module.isEmpty());
    writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    const int index = w.DeviceComboIn->findText(QStringLiteral("KorvantaGone"), Qt::MatchContains);
    ASSERT_GE(index, 0);
    w.DeviceComboIn->setCurrentIndex(index);
    w.DeviceComboInClick();

    ASSERT_EQ(QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module}),
              0);
    spin(300);
    w.Record1->trigger();
    ASSERT_TRUE(waitUntil([&] { return !messages_.isEmpty(); }, 5000));
    spin(300);
    EXPECT_EQ(messages_.size(), 1) << messages_.join(u'|').toStdString();
    EXPECT_TRUE(messages_.first().contains(QStringLiteral("sound device")))
        << messages_.first().toStdString();
    EXPECT_FALSE(w.flgRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_TRUE(listedFiles().isEmpty());
    EXPECT_TRUE(recordedFilesOnDisk().isEmpty()) << recordedFilesOnDisk().join(u' ').toStdString();
}

// Kills the server: keep it last.
TEST_F(PulseWindowTest, LosingTheServerFinishesTheRecordingAndSaysSo) {
    const qint64 serverPid = qEnvironmentVariable("KORVANTA_TEST_PULSE_PID").toLongLong();
    ASSERT_GT(serverPid, 0);
    writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
    const QString tone = writeToneWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 3);
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1->trigger();
    ASSERT_TRUE(w.flgRecord);
    // An idle test sink sends nothing to its monitor; play something to record.
    QProcess player;
    player.start(QStringLiteral("paplay"),
                 {QStringLiteral("-d"), QStringLiteral("korvanta_test"), tone});
    ASSERT_TRUE(player.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return w.AudioRecord1->nSamplesCurrent() > 44100; }, 8000));
    ::kill(static_cast<pid_t>(serverPid), SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 5000));
    ASSERT_TRUE(waitUntil([&] { return !messages_.isEmpty(); }, 2000));
    EXPECT_TRUE(messages_.first().contains(QStringLiteral("sound")));

    int channels = 0, frequency = 0;
    const auto samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    EXPECT_GT(samples.size() / 2.0 / frequency, 0.8);  // what was captured is kept
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
}
