// The whole window on the real sound server (a private headless server started by the test
// wrapper): recording what the computer plays, losing the server mid-recording, devices that
// come and go while the window is open, mixer controls moved by another program, and a
// program started before its server.
#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/audio_backend.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>

#include <cmath>
#include <csignal>
#include <functional>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

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

// Runs pactl with `args`; its output, trimmed.
QString pactl(const QStringList &args) {
    QProcess process;
    process.start(QStringLiteral("pactl"), args);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The status bar's message panel.
QString statusPanel(const TForm1 &w) {
    return w.statusPanel(1);
}

bool listed(const QComboBox *combo, const QString &name) {
    return combo->findText(name) >= 0;
}

// The volume a panel's slider shows, 0..65535.
int shownVolume(const QWidget *sheet, int line) {
    const QList<TsrcFrame *> panels = SourcePanelsOf(sheet);
    return line < panels.size() ? 65535 - panels[line]->TrackBar1->value() : -1;
}

}  // namespace

class PulseWindowTest : public WindowFixture {
protected:
    TForm1 &openConnected() {
        writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
        TForm1 &w = openWindow();
        // The first connection is made in the background.
        EXPECT_TRUE(waitUntil([&] { return w.DeviceCombo->count() > 0; }, 5000));
        showMixerTabs(w);
        return w;
    }

    // Records into Untitled1.wav while paplay plays `file` into `sink`; the samples recorded.
    std::vector<int16_t> recordWhilePlaying(TForm1 &w, const QString &sink, const QString &file,
                                            int *channels, int *frequency) {
        w.Record1->trigger();
        EXPECT_TRUE(w.flgRecord);
        QProcess player;
        player.start(QStringLiteral("paplay"), {QStringLiteral("-d"), sink, file});
        EXPECT_TRUE(player.waitForStarted());
        EXPECT_TRUE(waitUntil([&] { return player.state() == QProcess::NotRunning; }, 10000));
        spin(300);
        w.Stop1->trigger();
        // The stop completes once the server handed over the last captured frames.
        EXPECT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
        return readAll(recordingDir() + QStringLiteral("Untitled1.wav"), channels, frequency);
    }

    void choose(QComboBox *combo, const QString &name) {
        combo->setCurrentIndex(combo->findText(name));
        Q_EMIT combo->activated(combo->currentIndex());
    }
};

TEST_F(PulseWindowTest, RecordsWhatTheComputerPlays) {
    writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
    const QString tone = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 2);
    TForm1 &w = openWindow();
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() >= 1; }, 5000))
        << "the monitor of the test sink is listed";

    int channels = 0, frequency = 0;
    const auto samples =
        recordWhilePlaying(w, QStringLiteral("korvanta_test"), tone, &channels, &frequency);
    ASSERT_EQ(channels, 2);
    EXPECT_GT(samples.size() / 2.0 / frequency, 2.0);
    EXPECT_NEAR(dominantFrequency(samples, frequency), 1000.0, 20.0);
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
}

// Auto split on the real server: the capture runs on from one part into the next, so a tone
// played across the splits joins up again without a jump when the parts are put together.
TEST_F(PulseWindowTest, SplitPartsOfAPlayedToneJoinWithoutAJump) {
    writeIni("[options]\nsaveformat=.flac\ntimelimit=3\n[tips]\nshowtip=0\n");
    const QString tone = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 8);
    TForm1 &w = openWindow();
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() >= 1; }, 5000));
    testRecordingSettings().flgSplit = true;
    testRecordingSettings().SplitTime = 1;
    QProcess player;
    player.start(QStringLiteral("paplay"),
                 {QStringLiteral("-d"), QStringLiteral("korvanta_test"), tone});
    ASSERT_TRUE(player.waitForStarted());
    spin(200);
    w.Record1->trigger();
    ASSERT_TRUE(waitUntil([&] { return listedFiles().size() == 3 && !w.flgRecord; }, 10000));
    player.kill();
    player.waitForFinished();

    std::vector<int16_t> joined;
    std::vector<size_t> joins;
    for (int part = 1; part <= 3; ++part) {
        int channels = 0, frequency = 0;
        const auto samples = readAll(recordingDir() + QStringLiteral("Untitled%1.flac").arg(part),
                                     &channels, &frequency);
        ASSERT_EQ(channels, 2);
        ASSERT_EQ(frequency, 44100);
        joined.insert(joined.end(), samples.begin(), samples.end());
        joins.push_back(joined.size() / 2);
    }
    // A sine follows x[n] = 2 cos(w) x[n-1] - x[n-2]; a lost or repeated frame breaks that.
    // Looked at around the joins only: a busy machine may let the player itself stutter
    // elsewhere.
    const double c = 2 * std::cos(2 * M_PI * 1000 / 44100);
    const size_t frames = joined.size() / 2;
    for (size_t k = 0; k + 1 < joins.size(); ++k) {
        const size_t join = joins[k];
        double worst = 0;
        size_t loud = 0;
        for (size_t n = std::max<size_t>(join, 2000) - 2000; n < std::min(frames, join + 2000);
             ++n) {
            if (n < 2)
                continue;
            const double x0 = joined[2 * n], x1 = joined[2 * (n - 1)], x2 = joined[2 * (n - 2)];
            if (std::abs(x0) + std::abs(x1) + std::abs(x2) < 3000)
                continue;  // no tone here
            ++loud;
            worst = std::max(worst, std::abs(x0 - (c * x1 - x2)));
        }
        EXPECT_GT(loud, 1000u) << "the tone was recorded at join " << k + 1;
        EXPECT_LT(worst, 200.0) << "a jump in the tone at join " << k + 1;
    }
    EXPECT_EQ(w.AudioRecord1->droppedFrames(), 0u);
}

TEST_F(PulseWindowTest, ADeviceLoadedLaterIsListedRecordedFromAndFallsBackWhenUnloaded) {
    const QString tone = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 2);
    TForm1 &w = openConnected();
    const QString monitor = QStringLiteral("Monitor of KorvantaLate");
    const QString module =
        pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
               QStringLiteral("sink_name=korvanta_late"),
               QStringLiteral("sink_properties=device.description=KorvantaLate")});
    ASSERT_FALSE(module.isEmpty());
    ASSERT_TRUE(waitUntil(
        [&] {
            return listed(w.DeviceCombo, QStringLiteral("KorvantaLate")) &&
                   listed(w.DeviceComboIn, monitor);
        },
        1000));

    choose(w.DeviceComboIn, monitor);
    int channels = 0, frequency = 0;
    const auto samples =
        recordWhilePlaying(w, QStringLiteral("korvanta_late"), tone, &channels, &frequency);
    EXPECT_NEAR(dominantFrequency(samples, frequency), 1000.0, 20.0);

    pactl({QStringLiteral("unload-module"), module});
    ASSERT_TRUE(waitUntil([&] { return !listed(w.DeviceComboIn, monitor); }, 1000));
    EXPECT_TRUE(statusPanel(w).startsWith(
        QStringLiteral("The input device \"Monitor of KorvantaLate\" was removed; using \"")))
        << statusPanel(w).toStdString();
    EXPECT_NE(w.DeviceComboIn->currentText(), monitor);
    EXPECT_EQ(w.DeviceComboIn->currentData().toInt(), w.AudioRecord1->devInput());
    EXPECT_GE(SourcePanelsOf(w.TabSheet3).size(), 1);
}

TEST_F(PulseWindowTest, VolumesAndMutesSetElsewhereMoveTheControls) {
    TForm1 &w = openConnected();
    ASSERT_TRUE(waitUntil([&] { return !SourcePanelsOf(w.TabSheet4).isEmpty(); }, 1000));
    QCheckBox *mute = SourcePanelsOf(w.TabSheet4).first()->CheckBox1;

    pactl({QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"),
           QStringLiteral("50%")});
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(
        waitUntil([&] { return std::abs(shownVolume(w.TabSheet4, 0) - 32768) <= 2; }, 1000));
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_NEAR(w.NCTPlayButtonB1->Volume(), 32768, 2);

    const bool muted = mute->isChecked();
    pactl({QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"),
           muted ? QStringLiteral("0") : QStringLiteral("1")});
    clock.restart();
    ASSERT_TRUE(waitUntil([&] { return mute->isChecked() != muted; }, 1000));
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_EQ(w.NCTPlayButtonB1->Mute(), !muted) << "the bar shows the sink's mute";
    // The bar's switch turns the sink's mute back, and keeps showing what the sink has.
    w.NCTPlayButtonB1->pressButton(TNCTPlayButtonB2::kMute);
    ASSERT_TRUE(waitUntil([&] { return mute->isChecked() == muted; }, 1000));
    EXPECT_EQ(w.NCTPlayButtonB1->Mute(), muted);
    // The mixer tab's switch of the same line shows on the bar.
    mute->click();
    ASSERT_TRUE(waitUntil([&] { return w.NCTPlayButtonB1->Mute() != muted; }, 1000));
    mute->click();
    ASSERT_TRUE(waitUntil([&] { return w.NCTPlayButtonB1->Mute() == muted; }, 1000));

    pactl({QStringLiteral("set-source-volume"), QStringLiteral("@DEFAULT_SOURCE@"),
           QStringLiteral("25%")});
    clock.restart();
    ASSERT_TRUE(
        waitUntil([&] { return std::abs(shownVolume(w.TabSheet3, 0) - 16384) <= 2; }, 1000));
    EXPECT_LT(clock.elapsed(), 200);
    // A source's mute has no switch of its own here; muting it must not disturb the panels.
    pactl({QStringLiteral("set-source-mute"), QStringLiteral("@DEFAULT_SOURCE@"),
           QStringLiteral("1")});
    spin(200);
    EXPECT_NEAR(shownVolume(w.TabSheet3, 0), 16384, 2);

    // Following did not write anything back: the server still has what pactl set.
    spin(300);
    EXPECT_TRUE(pactl({QStringLiteral("get-sink-volume"), QStringLiteral("@DEFAULT_SINK@")})
                    .contains(QStringLiteral("50%")));
    EXPECT_TRUE(pactl({QStringLiteral("get-source-volume"), QStringLiteral("@DEFAULT_SOURCE@")})
                    .contains(QStringLiteral("25%")));
}

// The program is started while no server runs: the lists fill once one starts, and the
// status bar stops saying there is none.
class PulseServerLaterTest : public PulseWindowTest {
protected:
    void TearDown() override {
        PulseWindowTest::TearDown();
        backend_.reset();
        if (server_.state() != QProcess::NotRunning) {
            server_.kill();
            server_.waitForFinished(5000);
        }
        if (hadServer_)
            qputenv("PULSE_SERVER", oldServer_);
        else
            qunsetenv("PULSE_SERVER");
    }

    QTemporaryDir runtime_;
    QProcess server_;
    std::unique_ptr<AudioBackend> backend_;
    QByteArray oldServer_ = qgetenv("PULSE_SERVER");
    bool hadServer_ = qEnvironmentVariableIsSet("PULSE_SERVER");
};

TEST_F(PulseServerLaterTest, TheListsFillWhenTheServerStarts) {
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
        GTEST_SKIP() << "no pulseaudio program to start a second server with";
    ASSERT_TRUE(runtime_.isValid());
    const QString socket = runtime_.filePath(QStringLiteral("native"));
    // A fresh connection reads the server address from the environment; the shared test
    // backend keeps the connection it has.
    qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    backend_ = createAudioBackend();
    writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
    window_ = std::make_unique<TForm1>(*backend_, testRecordingSettings(), testCaptureSettings());
    TForm1 &w = *window_;
    w.TimerTip->stop();
    w.show();
    showMixerTabs(w);
    spin(300);
    EXPECT_EQ(w.DeviceCombo->count(), 0);
    EXPECT_FALSE(statusPanel(w).isEmpty());
    EXPECT_EQ(statusPanel(w), backend_->unavailableReason());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), runtime_.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment.insert(QStringLiteral("PULSE_STATE_PATH"),
                       runtime_.filePath(QStringLiteral("state")));
    server_.setProcessEnvironment(environment);
    server_.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                   QStringLiteral("--use-pid-file=no"), QStringLiteral("--exit-idle-time=-1"),
                   QStringLiteral("--load=module-native-protocol-unix socket=") + socket +
                       QStringLiteral(" auth-anonymous=1"),
                   QStringLiteral("--load=module-null-sink sink_name=korvanta_later "
                                  "sink_properties=device.description=KorvantaLater")});
    ASSERT_TRUE(server_.waitForStarted());
    ASSERT_TRUE(
        waitUntil([&] { return listed(w.DeviceCombo, QStringLiteral("KorvantaLater")); }, 10000))
        << statusPanel(w).toStdString();
    EXPECT_TRUE(listed(w.DeviceComboIn, QStringLiteral("Monitor of KorvantaLater")));
    EXPECT_EQ(statusPanel(w), QString());
    EXPECT_FALSE(SourcePanelsOf(w.TabSheet4).isEmpty());

    // And when it goes away, the lists empty and the reason is back.
    server_.kill();
    server_.waitForFinished(5000);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceCombo->count() == 0; }, 5000));
    EXPECT_FALSE(statusPanel(w).isEmpty());
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
    // The lists fill once the background connection has loaded the devices.
    int index = -1;
    ASSERT_TRUE(waitUntil(
        [&] {
            index = w.DeviceComboIn->findText(QStringLiteral("KorvantaGone"), Qt::MatchContains);
            return index >= 0;
        },
        5000));
    w.DeviceComboIn->setCurrentIndex(index);
    w.DeviceComboInClick();

    ASSERT_EQ(QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module}),
              0);
    // At once, before the window hears of it: from then on the list has fallen back to the
    // default device, and Record would record from that.
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

TEST_F(PulseWindowTest, AFilePlayedToItsEndStopsThereAndPlaysAgain) {
    const QString tone = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 1);
    TForm1 &w = openConnected();
    w.setCurrentFileName(tone);
    for (int round = 0; round < 2; ++round) {
        QElapsedTimer clock;
        clock.start();
        w.Play1->trigger();
        ASSERT_TRUE(w.flgPlay) << "round " << round;
        // From the first frame heard (an idle PulseAudio null sink takes a second or so to
        // start, paplay's too), one second of sound and then back to stopped promptly.
        qint64 firstHeardMs = -1;
        ASSERT_TRUE(waitUntil(
            [&] {
                if (firstHeardMs < 0 && w.AudioPlayer1->nSamplesCurrent() > 0)
                    firstHeardMs = clock.elapsed();
                return !w.flgPlay;
            },
            6000))
            << "round " << round << ": still playing after 6 s";
        ASSERT_GE(firstHeardMs, 0) << "round " << round;
        const qint64 playedMs = clock.elapsed() - firstHeardMs;
        EXPECT_GE(playedMs, 900) << "round " << round;
        EXPECT_LE(playedMs, 1000 + 300) << "round " << round;
        EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
        EXPECT_EQ(w.NCTSliderB1->Value(), 0);
    }
}

TEST_F(PulseWindowTest, AHungServerHoldsUpNoCommand) {
    const pid_t serverPid =
        static_cast<pid_t>(qEnvironmentVariable("KORVANTA_TEST_PULSE_PID").toLongLong());
    ASSERT_GT(serverPid, 0);
    const QString tone = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 1);
    TForm1 &w = openConnected();
    answerMessageBoxes(QMessageBox::Ok);
    w.setCurrentFileName(tone);
    ASSERT_EQ(::kill(serverPid, SIGSTOP), 0);
    struct Resume {
        pid_t pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{serverPid};

    auto answeredWithin = [&](const std::function<void()> &command) {
        QElapsedTimer clock;
        clock.start();
        command();
        QCoreApplication::processEvents();
        return clock.elapsed();
    };
    for (int tab = 0; tab < w.PageControl1->count(); ++tab) {
        EXPECT_LT(answeredWithin([&] { w.PageControl1->setCurrentIndex(tab); }), 100)
            << "tab " << tab;
    }
    EXPECT_LT(answeredWithin([&] { w.Play1->trigger(); }), 100);
    EXPECT_LT(answeredWithin([&] { w.Stop1->trigger(); }), 100);
    EXPECT_LT(answeredWithin([&] { w.Record1->trigger(); }), 100);
    EXPECT_LT(answeredWithin([&] { w.Stop1->trigger(); }), 100);
    EXPECT_LT(answeredWithin([&] { w.NCTPlayButtonB1->ChangeVolume(30000); }), 100);
    EXPECT_FALSE(w.flgRecord);
    EXPECT_FALSE(w.flgPlay);
}

// Kills the server: keep it last.
TEST_F(PulseWindowTest, LosingTheServerFinishesTheRecordingAndSaysSo) {
    const qint64 serverPid = qEnvironmentVariable("KORVANTA_TEST_PULSE_PID").toLongLong();
    ASSERT_GT(serverPid, 0);
    writeIni("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
    const QString tone = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 1000, 3);
    TForm1 &w = openConnected();
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
