// The transport and the recording pipeline through the whole window, on the virtual card:
// the state machines' transitions, what lands in the files, the clock's auto stop and split.
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "playback/playback_session.h"
#include "recording/recording_session.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>

#include <sys/resource.h>
#include <csignal>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr QByteArrayView kWavIni = "[options]\nsaveformat=.wav\n";

// Index of the first frame from `from` that is not the card's tone counted from `phase0`.
long firstMismatch(const std::vector<int16_t> &samples, size_t fromFrame, size_t toFrame,
                   int64_t phase0) {
    for (size_t f = fromFrame; f < toFrame; ++f) {
        for (int ch = 0; ch < 2; ++ch) {
            const int16_t expected =
                VirtualBackend::toneSample(ch, 2, phase0 + int64_t(f - fromFrame), 44100, 1.0);
            if (samples[f * 2 + ch] != expected)
                return static_cast<long>(f);
        }
    }
    return -1;
}

}  // namespace

class TransportTest : public WindowFixture {};

TEST_F(TransportTest, RecordingSubMachineFollowsItsGuards) {
    writeIni(QByteArray(kWavIni.data(), kWavIni.size()));
    TForm1 &w = openWindow();

    // Nothing runs: Stop and Pause change nothing, not even the status text.
    w.setStatusPanel(0, QStringLiteral("untouched"));
    w.Stop1Click();
    w.Pause1Click();
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("untouched"));

    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Recording..."));
    EXPECT_FALSE(w.ToolBtnOpen->isEnabled());
    EXPECT_FALSE(w.Options2->isEnabled());
    EXPECT_FALSE(w.btnApply()->isEnabled());
    EXPECT_TRUE(w.NCTSliderB1->isEnabled());  // a fresh start enables it again
    spin(300);
    w.Record1Click();  // guard: no second file
    EXPECT_EQ(QDir(recordingDir()).entryList(QDir::Files).size(), 1);

    w.Pause1Click();
    EXPECT_TRUE(w.flgPauseRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Pause"));
    w.Pause1Click();  // pause does not resume
    EXPECT_TRUE(w.flgPauseRecord);

    w.Record1Click();  // resume into the same file
    EXPECT_TRUE(w.flgRecord);
    EXPECT_FALSE(w.flgPauseRecord);
    EXPECT_FALSE(w.NCTSliderB1->isEnabled());
    EXPECT_EQ(QDir(recordingDir()).entryList(QDir::Files).size(), 1);
    spin(300);
    w.Pause1Click();
    w.Stop1Click();  // stop while paused finishes and lists like any stop

    EXPECT_FALSE(w.flgRecord);
    EXPECT_FALSE(w.flgPauseRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_TRUE(w.ToolBtnOpen->isEnabled());
    EXPECT_TRUE(w.btnApply()->isEnabled());
    EXPECT_EQ(w.PageControl1->currentIndex(), 3);
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
    EXPECT_EQ(w.NCTTimeDisplay1->Seconds(), 0);
}

TEST_F(TransportTest, ARecordedWavHoldsEveryCapturedSampleAcrossAGuiStall) {
    writeIni(QByteArray(kWavIni.data(), kWavIni.size()));
    TForm1 &w = openWindow();
    QElapsedTimer clock;
    clock.start();
    w.Record1Click();
    spin(700);
    QThread::sleep(3);  // the window is frozen; capture goes on
    spin(500);
    w.Stop1Click();
    const double elapsed = clock.elapsed() / 1000.0;

    int channels = 0, frequency = 0;
    const auto samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    ASSERT_EQ(channels, 2);
    ASSERT_EQ(frequency, 44100);
    const size_t frames = samples.size() / 2;
    EXPECT_NEAR(frames / 44100.0, elapsed, 0.25);
    EXPECT_EQ(firstMismatch(samples, 0, frames, 0), -1);
    EXPECT_EQ(w.AudioRecord1->droppedFrames(), 0u);
}

TEST_F(TransportTest, APauseLeavesItsSpanOutAndTheClockRunsOn) {
    writeIni(QByteArray(kWavIni.data(), kWavIni.size()));
    TForm1 &w = openWindow();
    w.Record1Click();
    spin(1000);
    w.Pause1Click();
    const int pausedAt = w.recordingSession().StartSamples();
    const int shownAtPause =
        w.NCTTimeDisplay1->Seconds() * 1000 + w.NCTTimeDisplay1->Milliseconds();
    spin(1500);
    w.Record1Click();
    spin(300);
    const int shownAfterResume =
        w.NCTTimeDisplay1->Seconds() * 1000 + w.NCTTimeDisplay1->Milliseconds();
    spin(700);
    w.Stop1Click();

    EXPECT_GE(shownAfterResume, shownAtPause);  // continues, does not restart at zero
    int channels = 0, frequency = 0;
    const auto samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    const size_t frames = samples.size() / 2;
    EXPECT_NEAR(frames / 44100.0, 2.0, 0.3);  // the 1.5 s pause is not in the file
    ASSERT_GT(pausedAt, 0);
    ASSERT_LT(size_t(pausedAt), frames);
    EXPECT_EQ(firstMismatch(samples, 0, size_t(pausedAt), 0), -1);
    // After the resume the card's tone starts over: the paused span is simply absent.
    EXPECT_EQ(firstMismatch(samples, size_t(pausedAt), frames, 0), -1);
}

TEST_F(TransportTest, AutoStopEndsTheRecordingAtTheLimit) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=2\n");
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000));
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
    int channels = 0, frequency = 0;
    const auto samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    EXPECT_NEAR(samples.size() / 2 / 44100.0, 2.0, 0.25);
}

TEST_F(TransportTest, AutoSplitMakesConsecutivePartsAndTheDisplayRunsOn) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=5\n");
    TForm1 &w = openWindow();
    testRecordingSettings().flgSplit = true;
    testRecordingSettings().SplitTime = 2;
    int lastShown = 0;
    bool wentBack = false;
    QObject::connect(w.AudioRecord1, &TAudioRecord2::OnTimer, &w, [&](int, int, int) {
        if (!w.flgRecord)
            return;
        const int shown = w.NCTTimeDisplay1->Minutes() * 60 + w.NCTTimeDisplay1->Seconds();
        wentBack = wentBack || shown < lastShown;
        lastShown = shown;
    });
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return listedFiles().size() == 3 && !w.flgRecord; }, 8000));
    EXPECT_EQ(listedFiles(),
              (QStringList{QStringLiteral("Untitled1.wav"), QStringLiteral("Untitled2.wav"),
                           QStringLiteral("Untitled3.wav")}));
    EXPECT_FALSE(wentBack);
    EXPECT_GE(lastShown, 4);
    int channels = 0, frequency = 0;
    EXPECT_NEAR(
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency).size() /
            2 / 44100.0,
        2.0, 0.25);
}

TEST_F(TransportTest, SplitWithZeroLengthNeverSplits) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=2\n");
    TForm1 &w = openWindow();
    testRecordingSettings().flgSplit = true;
    testRecordingSettings().SplitTime = 0;
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000));
    EXPECT_EQ(listedFiles().size(), 1);
}

TEST_F(TransportTest, AnUncreatableDirectoryAbandonsTheStart) {
    QFile blocker(dir_.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString savePath = dir_.filePath(QStringLiteral("blocker/rec/"));
    writeIni("[options]\nsaveformat=.wav\nsavepath=" + savePath.toUtf8() + "\n");
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    spin(100);
    EXPECT_EQ(messages_, QStringList{QStringLiteral("Cannot create ") + savePath});
    EXPECT_FALSE(w.flgRecord);
    EXPECT_TRUE(w.ToolBtnOpen->isEnabled());
    EXPECT_TRUE(w.Options2->isEnabled());
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_TRUE(listedFiles().isEmpty());
}

TEST_F(TransportTest, PlaybackPausesResumesAndEndsOnItsOwn) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    ASSERT_EQ(w.SelectFileName(), recordingDir() + QStringLiteral("Untitled1.wav"));

    w.Play1Click();
    ASSERT_TRUE(w.flgPlay);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Playing..."));
    EXPECT_EQ(w.statusPanel(1), w.SelectFileName());
    EXPECT_FALSE(w.btnApply()->isEnabled());  // the selected file is the one playing
    spin(300);
    w.Pause1Click();
    EXPECT_TRUE(w.flgPause);
    const int pausedAt = w.playbackSession().StartSamples();
    EXPECT_GT(pausedAt, 44100 / 10);
    w.Play1Click();  // resumes where it paused
    EXPECT_FALSE(w.flgPause);
    EXPECT_EQ(w.playbackSession().StartSamples(), pausedAt);
    ASSERT_TRUE(waitUntil([&] { return !w.flgPlay; }, 3000));  // the end stops it
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_EQ(w.NCTSliderB1->Value(), 0);
    EXPECT_EQ(w.playbackSession().StartSamples(), 0);
}

TEST_F(TransportTest, OnePauseActsOnPlaybackAndRecording) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 3000));
    testRecordingSettings().RecordTime = -1;
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    w.Play1Click();
    w.Record1Click();
    ASSERT_TRUE(w.flgPlay);
    ASSERT_TRUE(w.flgRecord);
    w.Pause1Click();
    EXPECT_TRUE(w.flgPause);
    EXPECT_TRUE(w.flgPauseRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Pause"));
    w.Stop1Click();
    EXPECT_FALSE(w.flgPlay);
    EXPECT_FALSE(w.flgRecord);
}

TEST_F(TransportTest, MuteActsOnOutputLineZeroAndUnknownCodesDoNothing) {
    TForm1 &w = openWindow();
    w.NCTPlayButtonB1->setMute(true);
    w.NCTPlayButtonB1MouseClick(TNCTPlayButtonB2::kMute);
    EXPECT_EQ(w.AudioPlayer1->srcOutput(), 0);
    EXPECT_TRUE(w.AudioPlayer1->srcMute());
    w.setStatusPanel(0, QStringLiteral("untouched"));
    for (int code : {0, 5, 6, 8})
        w.NCTPlayButtonB1MouseClick(code);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("untouched"));
    EXPECT_FALSE(w.flgRecord);
    EXPECT_FALSE(w.flgPlay);
    w.AudioPlayer1->setSrcMute(false);
}

// A full disk: the file size limit makes writes fail part-way. The recording must stop
// by itself, say so, and leave a valid file with what fitted. Runs in a child process.
class FullDiskTest : public TransportTest {
protected:
    [[noreturn]] void recordUntilTheDiskIsFull() {
        writeIni(QByteArray(kWavIni.data(), kWavIni.size()));
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{300000, 300000};
        setrlimit(RLIMIT_FSIZE, &limit);
        TForm1 &w = openWindow();
        answerMessageBoxes(QMessageBox::Ok);
        w.Record1Click();
        const bool stopped = waitUntil([&] { return !w.flgRecord; }, 5000);
        spin(300);
        int channels = 0, frequency = 0;
        const auto samples =
            readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
        const bool told = messages_.size() == 1;
        const size_t frames = samples.size() / 2;
        const bool kept = frames * 4 > 250000 && firstMismatch(samples, 0, frames, 0) == -1;
        std::_Exit(stopped && told && kept ? 0 : 1);
    }
};

TEST_F(FullDiskTest, StopsTheRecordingAndKeepsAValidFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(recordUntilTheDiskIsFull(), ::testing::ExitedWithCode(0), "");
}
