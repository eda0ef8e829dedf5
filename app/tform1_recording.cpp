// Recording handlers: the window shows what the recording controller reports (its state,
// clock ticks, new and finished parts, the end of a take) and answers its one question.
#include "app/tform1.h"

#include "app/capture_status.h"
#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "audio/audio_record2.h"
#include "audio/units.h"
#include "extras/desktop_notifier.h"
#include "extras/korvanta_icons.h"
#include "files/current_file.h"
#include "playback/format_text.h"
#include "recording/output_naming.h"
#include "recording/recording_controller.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

void TForm1::connectRecording() {
    RecordingController *c = recordingController_.get();
    connect(c, &RecordingController::stateChanged, this, &TForm1::recordingStateChanged);
    connect(c, &RecordingController::listeningChanged, this, &TForm1::recordingListeningChanged);
    connect(c, &RecordingController::clockTicked, this, &TForm1::AudioRecord1Timer);
    connect(c, &RecordingController::takeStarted, this, [this] {
        // A fresh take's clock starts at zero, whatever the stopped preview or a playback
        // left on the display.
        NCTTimeDisplay1->setMilliseconds(0);
        NCTTimeDisplay1->setSeconds(0);
        NCTTimeDisplay1->setMinutes(0);
        NCTTimeDisplay1->setHours(0);
        captureStatus_->takeStarted();
    });
    connect(c, &RecordingController::partStarted, this, &TForm1::recordingPartStarted);
    connect(c, &RecordingController::partFinished, this, &TForm1::recordingPartFinished);
    connect(c, &RecordingController::fileFull, this, &TForm1::recordingFileFull);
    connect(c, &RecordingController::takeFinished, this, &TForm1::recordingTakeFinished);
    connect(c, &RecordingController::startFailed, this, &TForm1::recordingStartFailed);
    connect(c, &RecordingController::overwriteAsked, this, &TForm1::askOverwrite);
}

void TForm1::recordingStateChanged(RecordingController::State state) {
    using State = RecordingController::State;
    const State before = std::exchange(shownRecording_, state);
    showTransportState();
    // Nothing may change the output format or the current file under a take.
    const bool idle = state == State::Idle;
    ToolBtnOptions->setEnabled(idle);
    ToolBtnOpen->setEnabled(idle);
    Open1->setEnabled(idle);
    Options2->setEnabled(idle);
    switch (state) {
        case State::Idle:
            NCTSliderB1->setEnabled(true);
            if (before != State::Armed || !flgPlay)
                resetDisplays();
            showRunningSideLook();
            spectrumFollowsWhatRuns();
            resumeDeviceFollowing();
            break;
        case State::Armed:
            NCTPlayButtonB1->Record_();
            setStatusPanel(0, tr("Waiting for sound"));
            break;
        case State::Starting:
            // The new file's facts enable the slider again once they are shown.
            NCTSliderB1->setEnabled(false);
            setStatusPanel(0, tr("Recording..."));
            NCTPlayButtonB1->Record_();
            break;
        case State::Recording:
            if (before == State::Paused)
                NCTSliderB1->setEnabled(false);
            setStatusPanel(0, tr("Recording..."));
            NCTPlayButtonB1->Record_();
            spectrumFollowsRecording();
            break;
        case State::Holding:
            NCTAmpBar1->setValue(0);
            NCTAmpBar2->setValue(0);
            setStatusPanel(0, tr("Waiting for sound"));
            break;
        case State::Paused:
            setStatusPanel(0, tr("Pause"));
            NCTPlayButtonB1->Pause();
            break;
        case State::Pausing:
        case State::Stopping:
            break;  // looks as before until the device has handed on its last frames
    }
    updateApplyEnabled();
    // A starting take is named by its file, which partStarted brings.
    if (state != State::Starting)
        keepAwakeWhileRecording();
}

void TForm1::recordingListeningChanged(bool listening) {
    if (listening) {
        spectrumFollowsRecording();
        if (!flgPlay)
            setStatusPanel(0, isWaitingForSound() ? tr("Waiting for sound") : tr("Listening"));
    } else if (!flgPlay && !flgRecord) {
        resetDisplays();
        showRunningSideLook();
    }
}

// A new output file, at the start of a take or of its next part: the window shows it as the
// current file, as File > Open would.
void TForm1::recordingPartStarted(const QString &path, const QString &format) {
    files_->setOutput(path);
    setCurrentFileName(path);
    OpenFile();
    setStatusPanel(2, FormatMP3Str(format));
    // Showing the file's facts wrote "Stop"; the take goes on.
    setStatusPanel(0, tr("Recording..."));
    NCTPlayButtonB1->Record_();
    keepAwakeWhileRecording();
}

void TForm1::recordingPartFinished(const QString &path, int samples) {
    mSamples = samples;
    if (!QFileInfo::exists(path))
        return;
    setCurrentFileName(path);
    btnResetClick();
    listCurrentFile();
}

// A WAV file at its size limit: the status bar says why a new file began.
void TForm1::recordingFileFull(const QString &full, const QString &next) {
    setStatusPanel(1, tr("%1 reached the WAV size limit of 4 GB; the recording goes on "
                         "without a gap in %2.")
                          .arg(QFileInfo(full).fileName(), QFileInfo(next).fileName()));
}

void TForm1::recordingTakeFinished(const QString &path, int samples, const QString &failure) {
    if (samples >= 0)
        mSamples = samples;
    // A file deleted while it was recorded has no tags to load and no row to show. The tag
    // fields and the row describe the finished file, whatever row the user selected
    // meanwhile.
    if (QFileInfo::exists(path)) {
        files_->setOutput(path);
        setCurrentFileName(path);
        btnResetClick();
        listCurrentFile();
    }
    PageControl1->setCurrentIndex(3);
    updateApplyEnabled();
    notifyTakeEnded(path, failure);
    if (!failure.isEmpty())
        reportLater(failure);
    if (const QString summary = captureStatus_->takeFinished(); !summary.isEmpty())
        reportLater(summary);
}

// The take ended before anything was recorded; a file made for it is gone again, and the
// status bar no longer names it.
void TForm1::recordingStartFailed(const QString &message) {
    captureStatus_->takeAbandoned();
    if (!CurrentFileName().isEmpty() && !QFileInfo::exists(CurrentFileName())) {
        setStatusPanel(1, QString());
        setStatusPanel(2, QString());
    }
    if (!message.isEmpty())
        reportLater(message);
}

// Asked once the current event is over: the question is the one place where the window
// waits for the user while a take is starting, and the controller waits in its own state.
void TForm1::askOverwrite(const QString &path) {
    QTimer::singleShot(0, this, [this, path] {
        const QPointer<RecordingController> controller(recordingController_.get());
        const bool overwrite =
            QMessageBox::question(this, QApplication::applicationDisplayName(), tr("Rewrite File?"),
                                  QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        if (controller && controller->state() == RecordingController::State::Starting &&
            controller->fileName() == path)
            controller->answerOverwrite(overwrite);
    });
}

// The recording clock's display: the session has the time; the window shows it.
void TForm1::AudioRecord1Timer(int position, int elapsedMs, int leftLevel, int rightLevel) {
    NCTAmpBar1->setValue(leftLevel);
    NCTAmpBar2->setValue(rightLevel);
    NCTTimeDisplay1->setMilliseconds(elapsedMs);
    // A spectrum nobody sees (another tab, a minimised window) costs nothing.
    if (AudioVisualization1->isShowing())
        AudioVisualization1->SendArray(
            AudioRecord1->GetCurrentArray(2 * AudioVisualization1->WindowArraySize()));
    if (!SliderBusy)
        NCTSliderB1->setValue(std::min(1000, MulDiv(position, 1000, AudioFileProbe->nSamples())));
}

// Nobody is told of a take the user stopped, nor of one that ended while the window was in
// front of them: the window says so itself.
void TForm1::notifyTakeEnded(const QString &path, const QString &failure) {
    using TakeEnd = RecordingController::TakeEnd;
    const TakeEnd end = recordingController_->lastTakeEnd();
    if (!notifier_ || end == TakeEnd::Stopped || isActiveWindow() || !QFileInfo::exists(path))
        return;
    const QString summary =
        end == TakeEnd::TimeLimit
            ? tr("Recording stopped: time limit reached")
            : tr("Recording stopped: %1").arg(failure.section(QLatin1Char('\n'), 0, 0));
    const ListRowTexts texts =
        MakeListRowTexts(path, AudioInformation1->Size(), AudioInformation1->Duration());
    notifier_->notifyAboutFile(summary, tr("%1, %2").arg(QFileInfo(path).fileName(), texts.time),
                               path);
}
