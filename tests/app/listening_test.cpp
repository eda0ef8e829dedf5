// Listening around a recording through the whole window, on the virtual card: the idle
// capture and what it shows, the pre-record join (every sample compared with the card's
// tone), the clock and auto stop counting the pre-recorded seconds, and voice activation
// started and paused by a level step made with the card's recording line volume.
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "recording/recording_session.h"
#include "settings/capture_settings.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_amp_bar2.h"

#include <QDialog>
#include <QElapsedTimer>

#include <cmath>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kTonePeriod = 2205;  // frames after which 440 Hz and 1000 Hz both repeat

// The card's stream frame (within its one-second period) that a recording starts with,
// found from its first frames; -1 when no frame of the tone fits.
int64_t tonePhase(const std::vector<int16_t> &samples) {
    for (int64_t phase = 0; phase < kRate; ++phase) {
        bool fits = true;
        for (int f = 0; f < 8 && fits; ++f) {
            for (int ch = 0; ch < 2; ++ch)
                fits = fits && samples[size_t(f) * 2 + ch] ==
                                   VirtualBackend::toneSample(ch, 2, phase + f, kRate, 1.0);
        }
        if (fits)
            return phase;
    }
    return -1;
}

// First frame from `from` that is not the tone counted on from `phase`; -1 when all are.
long firstMismatch(const std::vector<int16_t> &samples, size_t from, size_t to, int64_t phase) {
    for (size_t f = from; f < to; ++f) {
        for (int ch = 0; ch < 2; ++ch) {
            if (samples[f * 2 + ch] !=
                VirtualBackend::toneSample(ch, 2, phase + int64_t(f - from), kRate, 1.0))
                return static_cast<long>(f);
        }
    }
    return -1;
}

bool silentFrame(const std::vector<int16_t> &samples, size_t f) {
    return samples[f * 2] == 0 && samples[f * 2 + 1] == 0;
}

// The first frame of a run of silent frames; the tone itself passes zero on both channels
// at single frames only.
size_t firstSilentRun(const std::vector<int16_t> &samples) {
    const size_t frames = samples.size() / 2;
    for (size_t f = 0; f + 4 <= frames; ++f) {
        if (silentFrame(samples, f) && silentFrame(samples, f + 1) && silentFrame(samples, f + 2) &&
            silentFrame(samples, f + 3))
            return f;
    }
    return frames;
}

}  // namespace

class ListeningTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        testCaptureSettings() = CaptureSettings();
        setInputGain(65535);
    }
    void TearDown() override {
        WindowFixture::TearDown();
        setInputGain(65535);
        testCaptureSettings() = CaptureSettings();
    }

    // The level step: the volume of the card's selected recording line ("Microphone").
    static void setInputGain(int volume) {
        testBackend().setLineVolume(Direction::Input, 0, 0, volume);
    }

    std::vector<int16_t> recorded(const QString &name) {
        int channels = 0, frequency = 0;
        auto samples = readAll(recordingDir() + name, &channels, &frequency);
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(frequency, kRate);
        return samples;
    }
};

TEST_F(ListeningTest, OffByDefaultTheInputStaysClosedWhileStopped) {
    writeIni("[options]\nsaveformat=.wav\n");
    TForm1 &w = openWindow();
    spin(300);
    EXPECT_FALSE(w.AudioRecord1->isRunning());
    EXPECT_FALSE(w.isListening());
    EXPECT_NE(w.statusPanel(0), QStringLiteral("Listening"));
    w.Record1Click();
    EXPECT_TRUE(w.flgRecord);  // Record starts at once, as ever
    spin(300);
    w.Stop1Click();
    EXPECT_FALSE(w.AudioRecord1->isRunning());
    EXPECT_FALSE(w.isListening());
}

TEST_F(ListeningTest, ShowingTheLevelWhileStoppedOpensTheInputWithoutWritingAnything) {
    writeIni("[options]\nsaveformat=.wav\n[capture]\nmonitor=1\n");
    TForm1 &w = openWindow();
    ASSERT_TRUE(w.isListening());
    EXPECT_TRUE(w.AudioRecord1->isRunning());
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Listening"));
    ASSERT_TRUE(waitUntil([&] { return w.NCTAmpBar1->Value() > 10000; }, 2000));
    EXPECT_TRUE(recordedFilesOnDisk().isEmpty());

    // Monitoring only: Record starts at the press; the listening resumes after the stop.
    w.Record1Click();
    spin(500);
    w.Stop1Click();
    EXPECT_TRUE(w.isListening());
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Listening"));
    const auto samples = recorded(QStringLiteral("Untitled1.wav"));
    EXPECT_NEAR(samples.size() / 2.0 / kRate, 0.5, 0.2);
    EXPECT_EQ(firstMismatch(samples, 0, samples.size() / 2, 0), -1);

    // Switched off in the options: the input closes.
    testCaptureSettings().showLevelWhileStopped = false;
    QTimer::singleShot(300, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    w.Options2Click();
    EXPECT_FALSE(w.isListening());
    EXPECT_FALSE(w.AudioRecord1->isRunning());
    EXPECT_EQ(w.NCTAmpBar1->Value(), 0);
}

TEST_F(ListeningTest, ARecordThatCannotMakeItsFileLeavesTheLevelShownAsBefore) {
    // The save folder's place is taken by a file.
    QFile blocker(dir_.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    writeIni("[options]\nsaveformat=.wav\nsavepath=" +
             dir_.filePath(QStringLiteral("blocker/rec/")).toUtf8() + "\n[capture]\nmonitor=1\n");
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    ASSERT_TRUE(w.isListening());
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !messages_.isEmpty(); }));
    EXPECT_FALSE(w.flgRecord);
    EXPECT_TRUE(w.isListening());
    EXPECT_TRUE(w.AudioRecord1->isRunning());
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Listening"));
    w.NCTAmpBar1->setValue(0);
    EXPECT_TRUE(waitUntil([&] { return w.NCTAmpBar1->Value() > 10000; }, 2000));
}

TEST_F(ListeningTest, PreRecordPutsTheLastSecondsBeforeTheLiveAudioWithoutAGapOrRepeat) {
    writeIni("[options]\nsaveformat=.wav\n[capture]\nprerecord=2\n");
    TForm1 &w = openWindow();
    ASSERT_TRUE(w.isListening());
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Listening"));
    spin(3000);  // more than the pre-record length has been captured
    const int64_t pressedAt = w.AudioRecord1->nSamplesCurrent();
    w.Record1Click();
    ASSERT_TRUE(w.flgRecord);
    EXPECT_TRUE(w.AudioRecord1->isRunning());
    spin(400);
    // The clock counts the pre-recorded seconds.
    EXPECT_GE(shownMilliseconds(w), 2300);
    spin(600);
    w.Stop1Click();

    const auto samples = recorded(QStringLiteral("Untitled1.wav"));
    const size_t frames = samples.size() / 2;
    EXPECT_NEAR(frames / double(kRate), 3.0, 0.25);
    // One unbroken stretch of the card's tone, starting exactly two seconds before the press.
    const int64_t phase = tonePhase(samples);
    ASSERT_GE(phase, 0);
    // (The two tones repeat together every 2205 frames, so that is as far as the phase tells.)
    EXPECT_EQ(phase % kTonePeriod, (pressedAt - 2 * kRate) % kTonePeriod);
    EXPECT_EQ(firstMismatch(samples, 0, frames, phase), -1);
    EXPECT_EQ(w.AudioRecord1->droppedFrames(), 0u);
}

TEST_F(ListeningTest, PreRecordBeforeTheInputHadThatLongGivesWhatWasCaptured) {
    writeIni("[options]\nsaveformat=.wav\n[capture]\nprerecord=30\n");
    TForm1 &w = openWindow();
    spin(500);
    w.Record1Click();
    spin(500);
    w.Stop1Click();
    const auto samples = recorded(QStringLiteral("Untitled1.wav"));
    const size_t frames = samples.size() / 2;
    EXPECT_NEAR(frames / double(kRate), 1.0, 0.25);
    EXPECT_EQ(firstMismatch(samples, 0, frames, 0), -1);  // from the input's first frame
}

TEST_F(ListeningTest, AutoStopCountsThePreRecordedSeconds) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=3\n[capture]\nprerecord=2\n");
    TForm1 &w = openWindow();
    spin(2500);
    QElapsedTimer live;
    live.start();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }, 4000));
    EXPECT_NEAR(live.elapsed() / 1000.0, 1.0, 0.3);
    const auto samples = recorded(QStringLiteral("Untitled1.wav"));
    EXPECT_NEAR(samples.size() / 2.0 / kRate, 3.0, 0.25);
    EXPECT_TRUE(w.isListening());  // back to listening after the auto stop
}

TEST_F(ListeningTest, VoiceStartArmsRecordAndStartsAtTheFirstLoudFrame) {
    writeIni("[options]\nsaveformat=.wav\n[capture]\nvoicestart=1\nvoicelevel=-30\n");
    TForm1 &w = openWindow();
    EXPECT_FALSE(w.isListening());  // voice start alone listens only while armed
    setInputGain(0);
    w.Record1Click();
    ASSERT_TRUE(w.isWaitingForSound());
    EXPECT_FALSE(w.flgRecord);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Waiting for sound"));
    EXPECT_FALSE(w.Options2->isEnabled());
    spin(600);
    EXPECT_TRUE(recordedFilesOnDisk().isEmpty());

    // Stop disarms; Record arms again.
    w.Stop1Click();
    EXPECT_FALSE(w.isWaitingForSound());
    EXPECT_FALSE(w.AudioRecord1->isRunning());
    EXPECT_TRUE(w.Options2->isEnabled());
    w.Record1Click();
    ASSERT_TRUE(w.isWaitingForSound());
    spin(400);

    setInputGain(65535);  // the card's full tone: about -6 dB
    ASSERT_TRUE(waitUntil([&] { return w.flgRecord; }, 2000));
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Recording..."));
    EXPECT_GE(w.lastVoiceStartDelayMs(), 0);
    EXPECT_LE(w.lastVoiceStartDelayMs(), 50);
    RecordProperty("voiceStartDelayMs", w.lastVoiceStartDelayMs());
    spin(500);
    w.Stop1Click();
    EXPECT_FALSE(w.isWaitingForSound());

    // The file starts with the first frame over the level, which the card makes at the
    // start of one of its 10 ms steps (441 frames): nothing of the sound is missing.
    const auto samples = recorded(QStringLiteral("Untitled1.wav"));
    const size_t frames = samples.size() / 2;
    ASSERT_GT(frames, 0u);
    const int64_t phase = tonePhase(samples);
    ASSERT_GE(phase, 0);
    EXPECT_LE(phase % 441, 2);
    EXPECT_EQ(firstMismatch(samples, 0, frames, phase), -1);
}

TEST_F(ListeningTest, VoiceStartWithPreRecordKeepsTheSecondsBeforeTheSound) {
    writeIni("[options]\nsaveformat=.wav\n[capture]\nprerecord=1\nvoicestart=1\n");
    TForm1 &w = openWindow();
    setInputGain(0);
    spin(300);
    w.Record1Click();
    ASSERT_TRUE(w.isWaitingForSound());
    spin(1500);
    setInputGain(65535);
    ASSERT_TRUE(waitUntil([&] { return w.flgRecord; }, 2000));
    // The input was open before Record armed (for the pre-record buffer): armed, it is taken
    // in as it comes again, not only at the level bars' ticks.
    EXPECT_LE(w.lastVoiceStartDelayMs(), 50);
    spin(500);
    w.Stop1Click();
    const auto samples = recorded(QStringLiteral("Untitled1.wav"));
    const size_t frames = samples.size() / 2;
    // One second of silence, then the tone from the step on.
    size_t firstSound = 0;
    while (firstSound < frames && silentFrame(samples, firstSound))
        ++firstSound;
    EXPECT_NEAR(double(firstSound), kRate, 3);
    ASSERT_LT(firstSound, frames);
    std::vector<int16_t> tail(samples.begin() + firstSound * 2, samples.end());
    const int64_t tonePhase0 = tonePhase(tail);
    ASSERT_GE(tonePhase0, 0);
    EXPECT_EQ(firstMismatch(tail, 0, tail.size() / 2, tonePhase0), -1);
}

TEST_F(ListeningTest, SilencePausesAfterItsTimeAndSoundResumesIntoTheSameFile) {
    writeIni("[options]\nsaveformat=.wav\n[capture]\nvoicepause=1\nvoicesilence=1\n");
    TForm1 &w = openWindow();
    w.Record1Click();  // without voice start Record starts at once
    ASSERT_TRUE(w.flgRecord);
    spin(500);
    QElapsedTimer quiet;
    quiet.start();
    setInputGain(0);
    ASSERT_TRUE(waitUntil(
        [&] { return w.recordingSession().state() == RecordingSession::State::Held; }, 3000));
    EXPECT_NEAR(quiet.elapsed() / 1000.0, 1.0, 0.2);
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Waiting for sound"));
    EXPECT_TRUE(w.flgRecord);
    const int shownAtHold = shownMilliseconds(w);
    spin(1500);  // held: not in the file, the clock stands
    EXPECT_LE(shownMilliseconds(w), shownAtHold + 100);
    setInputGain(65535);
    ASSERT_TRUE(waitUntil(
        [&] { return w.recordingSession().state() == RecordingSession::State::Recording; }, 2000));
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Recording..."));
    spin(500);
    w.Stop1Click();
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});

    // Tone, the second of silence that made the pause, then the tone again at once.
    const auto samples = recorded(QStringLiteral("Untitled1.wav"));
    const size_t frames = samples.size() / 2;
    const size_t silenceStart = firstSilentRun(samples);
    size_t silenceEnd = silenceStart;
    while (silenceEnd < frames && silentFrame(samples, silenceEnd))
        ++silenceEnd;
    EXPECT_NEAR(silenceStart / double(kRate), 0.5, 0.15);
    // The silence in the file is the pause's time (and the moment it took to decide).
    EXPECT_GE(double(silenceEnd - silenceStart), kRate - 450);
    EXPECT_LE(double(silenceEnd - silenceStart), kRate * 1.15);
    EXPECT_NEAR(frames / double(kRate), 2.0, 0.3);
    EXPECT_EQ(firstMismatch(samples, 0, silenceStart, 0), -1);
    std::vector<int16_t> after(samples.begin() + silenceEnd * 2, samples.end());
    const int64_t phase = tonePhase(after);
    ASSERT_GE(phase, 0);
    EXPECT_EQ(firstMismatch(after, 0, after.size() / 2, phase), -1);
}
