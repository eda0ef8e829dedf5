// The recording controller on the virtual card, without a window: the states a take goes
// through, parts that join frame by frame, the clock's auto stop and split, pre-record and
// voice start, and starts that fail. Every frame written is compared with the card's tone.
#include "recording/recording_controller.h"

#include "audio/audio_file2.h"
#include "audio/audio_file2_lame_enc.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "recording/recording_session.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"
#include "tests/support/event_loop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::waitUntil;
using State = RecordingController::State;
using Fault = VirtualBackend::StreamFault;

namespace {

constexpr int kRate = 44100;

struct Part {
    QString path;
    int samples;
};

// The card's stream frame (within its one-second period) that `samples` start with; -1 when
// no frame of the tone fits.
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

// The first frame that is not the tone counted on from the first frame's phase; -1 when
// every frame is.
long firstBreakInTone(const std::vector<int16_t> &samples) {
    if (samples.size() < 16)
        return 0;
    const int64_t phase = tonePhase(samples);
    if (phase < 0)
        return 0;
    for (size_t f = 0; f < samples.size() / 2; ++f) {
        for (int ch = 0; ch < 2; ++ch) {
            if (samples[f * 2 + ch] !=
                VirtualBackend::toneSample(ch, 2, phase + int64_t(f), kRate, 1.0))
                return static_cast<long>(f);
        }
    }
    return -1;
}

}  // namespace

class RecordingControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        card_.setLineVolume(Direction::Input, 0, 0, 65535);
        settings_.SavePath = dir_.path() + QStringLiteral("/takes/");
        settings_.ext = QStringLiteral(".wav");
        settings_.WAVFreq = kRate;
        settings_.WAVCh = 2;
        settings_.WAVBPS = 16;
        controller_ = std::make_unique<RecordingController>(recorder_, probe_, output_, encoder_,
                                                            settings_, capture_);
        QObject::connect(controller_.get(), &RecordingController::stateChanged,
                         [this](State s) { states_.push_back(s); });
        QObject::connect(controller_.get(), &RecordingController::partFinished,
                         [this](const QString &path, int samples) {
                             parts_.push_back({path, samples});
                         });
        QObject::connect(controller_.get(), &RecordingController::takeFinished,
                         [this](const QString &path, int samples, const QString &failure) {
                             parts_.push_back({path, samples});
                             failures_ << failure;
                             ++takesFinished_;
                         });
        QObject::connect(controller_.get(), &RecordingController::startFailed,
                         [this](const QString &message) { failures_ << message; });
        QObject::connect(controller_.get(), &RecordingController::clockTicked,
                         [this](int, int elapsedMs, int, int) { ticks_.push_back(elapsedMs); });
    }

    void TearDown() override { controller_->shutDown(); }

    // Waits until the device captured `frames` more frames than now.
    bool captureFor(int frames) {
        const int64_t until = recorder_.framesDelivered() + frames;
        return waitUntil([&] { return recorder_.framesDelivered() >= until; });
    }

    bool stopAndWait() {
        controller_->stop();
        return waitUntil([&] { return controller_->state() == State::Idle; });
    }

    static std::vector<int16_t> readAll(const QString &path) {
        TAudioFile2 file;
        file.OpenFile(path, 0, 1);
        std::vector<int16_t> samples;
        if (file.LastErrorNum() != 0)
            return samples;
        EXPECT_EQ(file.ArrayChannels(), 2);
        for (SampleArray block = file.ReadFile(8192); !block.isEmpty(); block = file.ReadFile(8192))
            samples.insert(samples.end(), block.samples().begin(), block.samples().end());
        file.CloseFile();
        return samples;
    }

    QStringList filesOnDisk() const {
        return QDir(settings_.SavePath).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir dir_;
    VirtualBackend card_;
    TAudioRecord2 recorder_{card_};
    TAudioFile2 probe_;
    TAudioFile2 output_;
    TAudioFile2LameEnc encoder_;
    RecordingSettings settings_;
    CaptureSettings capture_;
    std::unique_ptr<RecordingController> controller_;
    std::vector<State> states_;
    std::vector<Part> parts_;
    std::vector<int> ticks_;
    QStringList failures_;
    int takesFinished_ = 0;
};

TEST_F(RecordingControllerTest, RecordPauseResumeAndStopRunTheStatesAndKeepEveryFrame) {
    controller_->record();
    ASSERT_EQ(controller_->state(), State::Recording);
    EXPECT_TRUE(controller_->hasOpenFile());
    controller_->record();  // a second Record while recording changes nothing
    ASSERT_TRUE(captureFor(kRate / 2));
    controller_->pause();
    ASSERT_TRUE(waitUntil([&] { return controller_->state() == State::Paused; }));
    EXPECT_TRUE(controller_->hasOpenFile());
    controller_->record();
    ASSERT_EQ(controller_->state(), State::Recording);
    ASSERT_TRUE(captureFor(kRate / 2));
    ASSERT_TRUE(stopAndWait());

    // Pausing and Stopping show only where the device still had frames on their way.
    std::vector<State> seen;
    for (State s : states_) {
        if (s != State::Pausing && s != State::Stopping)
            seen.push_back(s);
    }
    EXPECT_EQ(seen, (std::vector<State>{State::Starting, State::Recording, State::Paused,
                                        State::Recording, State::Idle}));
    ASSERT_EQ(takesFinished_, 1);
    ASSERT_EQ(parts_.size(), 1u);
    EXPECT_EQ(parts_[0].path, settings_.SavePath + QStringLiteral("Untitled1.wav"));
    EXPECT_TRUE(failures_.first().isEmpty()) << failures_.first().toStdString();
    const std::vector<int16_t> samples = readAll(parts_[0].path);
    EXPECT_EQ(int(samples.size() / 2), parts_[0].samples);
    EXPECT_GE(parts_[0].samples, kRate);
    // Pause and stop commands after the end do nothing.
    controller_->pause();
    controller_->stop();
    EXPECT_EQ(controller_->state(), State::Idle);
    EXPECT_EQ(filesOnDisk(), QStringList{QStringLiteral("Untitled1.wav")});
}

TEST_F(RecordingControllerTest, AutoSplitPartsJoinFrameByFrameAndTheClockRunsOn) {
    settings_.flgSplit = true;
    settings_.SplitTime = 1;
    controller_->record();
    ASSERT_TRUE(waitUntil([&] { return parts_.size() >= 2; }, 8000));
    EXPECT_EQ(controller_->earlierPartsSeconds(), 2);
    EXPECT_EQ(controller_->state(), State::Recording);
    ASSERT_TRUE(stopAndWait());
    EXPECT_EQ(controller_->earlierPartsSeconds(), 0);

    ASSERT_GE(parts_.size(), 3u);
    std::vector<int16_t> take;
    for (size_t i = 0; i < parts_.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(parts_[i].path, settings_.SavePath + QStringLiteral("Untitled%1.wav").arg(i + 1));
        const std::vector<int16_t> part = readAll(parts_[i].path);
        EXPECT_EQ(int(part.size() / 2), parts_[i].samples);
        if (i + 1 < parts_.size()) {
            // A part ends at the tick that shows its second: not before, and within a tick.
            EXPECT_GE(parts_[i].samples, kRate);
            EXPECT_LT(parts_[i].samples, kRate * 3 / 2);
        }
        take.insert(take.end(), part.begin(), part.end());
    }
    // Laid end to end the parts are the card's tone without a lost or repeated frame.
    EXPECT_EQ(firstBreakInTone(take), -1);
    // The time shown never goes back at a split.
    for (size_t i = 1; i < ticks_.size(); ++i)
        ASSERT_GE(ticks_[i], ticks_[i - 1]) << "tick " << i;
    EXPECT_GE(ticks_.back(), 2000);
}

TEST_F(RecordingControllerTest, AutoStopEndsTheTakeInIdleWithItsFileComplete) {
    settings_.RecordTime = 1;
    controller_->record();
    ASSERT_TRUE(waitUntil([&] { return takesFinished_ == 1; }, 5000));
    EXPECT_EQ(controller_->state(), State::Idle);
    EXPECT_FALSE(recorder_.isRunning());
    ASSERT_EQ(parts_.size(), 1u);
    EXPECT_TRUE(failures_.first().isEmpty());
    const std::vector<int16_t> samples = readAll(parts_[0].path);
    EXPECT_EQ(int(samples.size() / 2), parts_[0].samples);
    EXPECT_GE(parts_[0].samples, kRate);
    EXPECT_LT(parts_[0].samples, kRate * 3 / 2);
    EXPECT_EQ(firstBreakInTone(samples), -1);
    // The next take begins a new file with its clock at zero.
    ticks_.clear();
    settings_.RecordTime = 0;
    controller_->record();
    ASSERT_TRUE(waitUntil([&] { return !ticks_.empty(); }));
    EXPECT_LT(ticks_.front(), 1000);
    EXPECT_EQ(controller_->fileName(), settings_.SavePath + QStringLiteral("Untitled2.wav"));
}

TEST_F(RecordingControllerTest, VoiceStartWaitsArmedAndRecordsFromTheSound) {
    capture_.voiceStart = true;
    capture_.voiceLevelDb = -30;
    controller_->setListeningAllowed(true);
    EXPECT_FALSE(controller_->isListening());  // voice start alone listens only while armed
    card_.setLineVolume(Direction::Input, 0, 0, 0);
    controller_->record();
    ASSERT_EQ(controller_->state(), State::Armed);
    EXPECT_TRUE(controller_->isListening());
    EXPECT_FALSE(controller_->takeRunning());
    ASSERT_TRUE(captureFor(kRate / 4));
    EXPECT_EQ(controller_->state(), State::Armed);
    EXPECT_TRUE(filesOnDisk().isEmpty());

    // Stop disarms and closes the input; Record arms again.
    controller_->stop();
    EXPECT_EQ(controller_->state(), State::Idle);
    EXPECT_FALSE(controller_->isListening());
    EXPECT_FALSE(recorder_.isRunning());
    controller_->record();
    ASSERT_EQ(controller_->state(), State::Armed);

    card_.setLineVolume(Direction::Input, 0, 0, 65535);
    ASSERT_TRUE(waitUntil([&] { return controller_->state() == State::Recording; }));
    EXPECT_GE(controller_->lastVoiceStartDelayMs(), 0);
    ASSERT_TRUE(captureFor(kRate / 4));
    ASSERT_TRUE(stopAndWait());
    // The file begins with the sound itself: the tone from its first frame on.
    ASSERT_EQ(parts_.size(), 1u);
    const std::vector<int16_t> samples = readAll(parts_[0].path);
    ASSERT_GT(samples.size(), 16u);
    EXPECT_EQ(firstBreakInTone(samples), -1);
}

TEST_F(RecordingControllerTest, PreRecordPutsTheSecondsBeforeThePressFirstWithoutAGap) {
    capture_.preRecordSeconds = 1;
    controller_->setListeningAllowed(true);
    ASSERT_TRUE(controller_->isListening());
    ASSERT_TRUE(captureFor(kRate * 3 / 2));
    const int64_t pressed = recorder_.nSamplesCurrent();
    controller_->record();
    ASSERT_EQ(controller_->state(), State::Recording);
    EXPECT_FALSE(controller_->isListening());
    ASSERT_TRUE(captureFor(kRate / 2));
    ASSERT_TRUE(stopAndWait());

    // One unbroken stretch of the card's tone from exactly a second before the press. (The
    // card's two tones repeat together every 2205 frames, so that is as far as the phase
    // tells.)
    const std::vector<int16_t> samples = readAll(parts_.at(0).path);
    EXPECT_NEAR(samples.size() / 2.0 / kRate, 1.5, 0.25);
    EXPECT_EQ(tonePhase(samples) % 2205, (pressed - kRate) % 2205);
    EXPECT_EQ(firstBreakInTone(samples), -1);
    // Listening goes on after the take.
    EXPECT_TRUE(controller_->isListening());
}

TEST_F(RecordingControllerTest, AFailedStartReturnsToIdleWithWhyAndLeavesNothingBehind) {
    capture_.showLevelWhileStopped = true;
    controller_->setListeningAllowed(true);
    ASSERT_TRUE(controller_->isListening());

    // The save folder's place is taken by a file.
    QFile blocker(dir_.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    settings_.SavePath = dir_.filePath(QStringLiteral("blocker/takes/"));
    controller_->record();
    EXPECT_EQ(controller_->state(), State::Idle);
    ASSERT_EQ(failures_.size(), 1);
    EXPECT_TRUE(failures_[0].startsWith(QStringLiteral("Cannot create ")))
        << failures_[0].toStdString();
    EXPECT_EQ(takesFinished_, 0);
    // The input that was listened to is still open and still shown.
    EXPECT_TRUE(controller_->isListening());
    EXPECT_TRUE(recorder_.isRunning());

    // A device that fails after it seemed to start: the file made for it goes again.
    settings_.SavePath = dir_.path() + QStringLiteral("/takes/");
    capture_.showLevelWhileStopped = false;
    controller_->restartListening();
    for (Fault fault : {Fault::Vanished, Fault::FailAtStart}) {
        SCOPED_TRACE(static_cast<int>(fault));
        failures_.clear();
        card_.setStreamFault(Direction::Input, fault);
        controller_->record();
        ASSERT_TRUE(waitUntil([&] { return controller_->state() == State::Idle; }));
        ASSERT_TRUE(waitUntil([&] { return !failures_.isEmpty(); }));
        EXPECT_TRUE(failures_[0].contains(QStringLiteral("sound device")))
            << failures_[0].toStdString();
        EXPECT_TRUE(filesOnDisk().isEmpty()) << filesOnDisk().join(u' ').toStdString();
    }
    EXPECT_EQ(takesFinished_, 0);
    card_.setStreamFault(Direction::Input, Fault::None);
    controller_->record();
    EXPECT_EQ(controller_->state(), State::Recording);
    EXPECT_EQ(controller_->fileName(), settings_.SavePath + QStringLiteral("Untitled1.wav"));
}

// The name chosen is free, so only another program can put sound there between its creation
// and the probe: the take asks, and waits in Starting for the answer.
TEST_F(RecordingControllerTest, AFileThatHoldsSoundAlreadyIsOverwrittenOnlyWhenTheAnswerIsYes) {
    QStringList asked;
    QObject::connect(controller_.get(), &RecordingController::overwriteAsked,
                     [&](const QString &path) { asked << path; });
    QObject::connect(controller_.get(), &RecordingController::partStarted,
                     [](const QString &path, const QString &) {
                         TAudioFile2 other;
                         other.SetFormatPCM(kRate, 2, 16);
                         other.CreateFile(path, 0);
                         other.WriteFile(SampleArray(2, std::vector<int16_t>(2 * kRate, 7)));
                         other.CloseFile();
                     });
    const QString first = settings_.SavePath + QStringLiteral("Untitled1.wav");
    for (bool byStop : {false, true}) {
        SCOPED_TRACE(byStop);
        parts_.clear();
        controller_->record();
        ASSERT_EQ(controller_->state(), State::Starting);
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked.takeFirst(), first);
        EXPECT_FALSE(controller_->hasOpenFile());
        controller_->record();  // Record meanwhile changes nothing
        EXPECT_EQ(controller_->state(), State::Starting);
        if (byStop)
            controller_->stop();
        else
            controller_->answerOverwrite(false);
        EXPECT_EQ(controller_->state(), State::Idle);
        EXPECT_FALSE(recorder_.isRunning());
        // The take ends with the file as the other program left it.
        ASSERT_EQ(parts_.size(), 1u);
        EXPECT_EQ(parts_[0].path, first);
        EXPECT_EQ(parts_[0].samples, -1);
        EXPECT_EQ(readAll(first).size(), size_t(2 * kRate));
        ASSERT_TRUE(QFile::remove(first));
    }
    parts_.clear();
    controller_->record();
    ASSERT_EQ(controller_->state(), State::Starting);
    controller_->answerOverwrite(true);
    ASSERT_EQ(controller_->state(), State::Recording);
    controller_->answerOverwrite(false);  // a late answer changes nothing
    ASSERT_EQ(controller_->state(), State::Recording);
    ASSERT_TRUE(captureFor(kRate / 2));
    ASSERT_TRUE(stopAndWait());
    const std::vector<int16_t> samples = readAll(first);
    EXPECT_EQ(int(samples.size() / 2), parts_.at(0).samples);
    EXPECT_EQ(firstBreakInTone(samples), -1);
}
