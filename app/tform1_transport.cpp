// The transport: command sources, the guards of the six routines, and the look each
// routine gives the window. The recording and the playback themselves are sessions of their
// own (recording/, playback/); the handlers of what they report live in
// tform1_recording.cpp and tform1_playback.cpp.
#include "app/tform1.h"

#include "app/capture_status.h"
#include "app/transport_gate.h"
#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/codec/posix_file.h"
#include "audio/widgets/audio_visualization2.h"
#include "audio/widgets/nct_amp_bar2.h"
#include "audio/widgets/nct_play_button_b2.h"
#include "audio/widgets/nct_slider_b2.h"
#include "audio/widgets/nct_time_display2.h"
#include "extras/sleep_inhibitor.h"
#include "playback/playback_session.h"
#include "recording/recording_session.h"
#include "settings/recording_settings.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <utility>

void TForm1::connectTransportCommands() {
    connect(Record1, &QAction::triggered, this, &TForm1::Record1Click);
    connect(Play1, &QAction::triggered, this, &TForm1::Play1Click);
    connect(Pause1, &QAction::triggered, this, &TForm1::Pause1Click);
    connect(Stop1, &QAction::triggered, this, &TForm1::Stop1Click);
    connect(NCTPlayButtonB1, &TNCTPlayButtonB2::OnMouseClick, this,
            &TForm1::NCTPlayButtonB1MouseClick);

    connect(recording_.get(), &RecordingSession::clockTicked, this, &TForm1::AudioRecord1Timer);
    connect(recording_.get(), &RecordingSession::limitReached, this,
            &TForm1::AudioRecord1LimitReached);
    connect(recording_.get(), &RecordingSession::fileFull, this, &TForm1::AudioRecord1FileFull);
    connect(recording_.get(), &RecordingSession::failed, this, &TForm1::AudioRecord1Failed);
    connect(recording_.get(), &RecordingSession::startFailed, this,
            &TForm1::AudioRecord1StartFailed);
    connect(AudioRecord1, &TAudioRecord2::OnCaptureFinished, this,
            &TForm1::AudioRecord1CaptureFinished);
    connect(playback_.get(), &PlaybackSession::ticked, this, &TForm1::AudioPlayer1Timer);
    connect(playback_.get(), &PlaybackSession::ended, this, &TForm1::AudioPlayer1EndPlay);
    connect(playback_.get(), &PlaybackSession::failed, this, &TForm1::AudioPlayer1DeviceError);
    connect(playback_.get(), &PlaybackSession::startFailed, this, &TForm1::AudioPlayer1StartFailed);
    connect(playback_.get(), &PlaybackSession::readFailed, this, &TForm1::AudioPlayer1ReadFailed);

    connect(NCTSliderB1, &TNCTSliderB2::OnMouseDown, this, &TForm1::NCTSliderB1MouseDown);
    connect(NCTSliderB1, &TNCTSliderB2::OnMouseUp, this, &TForm1::NCTSliderB1MouseUp);
    connect(NCTSliderB1, &TNCTSliderB2::OnValueChange, this, &TForm1::NCTSliderB1ValueChange);
}

// Commands wait for a routine that is still under way (see TransportGate).
void TForm1::runCommand(void (TForm1::*routine)()) {
    gate_->run([this, routine] { (this->*routine)(); });
}

void TForm1::Record1Click() {
    runCommand(&TForm1::StartRecord);
}

void TForm1::Play1Click() {
    runCommand(&TForm1::StartPlay);
}

void TForm1::Pause1Click() {
    gate_->run([this] {
        if (flgPlay)
            PausePlay();
        if (flgRecord)
            afterCaptureFinished(&TForm1::PauseRecord);
    });
}

void TForm1::Stop1Click() {
    gate_->run([this] {
        if (flgPlay)
            StopPlay();
        if (flgRecord)
            afterCaptureFinished(&TForm1::StopRecord);
        if (voiceArmed_)
            disarmVoiceStart();
    });
}

// Stop and Pause of a running recording let the device hand on what it captured up to the
// press first (a sound server delivers in fragments, the last still on its way); the routine
// runs once it has, and commands given meanwhile wait for it. Whatever stops or pauses the
// recording first (a failure, closing the window) ends the wait.
void TForm1::afterCaptureFinished(void (TForm1::*routine)()) {
    if (flgPauseRecord || AudioRecord1->FinishCapture()) {
        (this->*routine)();
        return;
    }
    captureWait_ = std::make_unique<TransportGate::Hold>(*gate_);
    captureRoutine_ = routine;
}

void TForm1::AudioRecord1CaptureFinished() {
    if (captureWait_)
        (this->*captureRoutine_)();
}

void TForm1::NCTPlayButtonB1MouseClick(int Button) {
    switch (Button) {
        case TNCTPlayButtonB2::kPlay:
            Play1Click();
            break;
        case TNCTPlayButtonB2::kPause:
            Pause1Click();
            break;
        case TNCTPlayButtonB2::kStop:
            Stop1Click();
            break;
        case TNCTPlayButtonB2::kRecord:
            Record1Click();
            break;
        case TNCTPlayButtonB2::kMute:
            setOutputMute(NCTPlayButtonB1->Mute());
            break;
        default:
            break;  // other codes mean nothing here
    }
}

void TForm1::StartRecord() {
    if (flgRecord && !flgPauseRecord)
        return;
    if (!flgPauseRecord && !startingNextPart_ && armVoiceStart())
        return;
    const TransportGate::Hold hold(*gate_);
    const bool nextPart = std::exchange(startingNextPart_, false);
    ToolBtnOptions->setEnabled(false);
    ToolBtnOpen->setEnabled(false);
    Open1->setEnabled(false);
    Options2->setEnabled(false);
    NCTSliderB1->setEnabled(false);
    flgRecord = false;
    AudioRecord1->setTimerEnabled(true);
    setStatusPanel(0, tr("Recording..."));
    NCTPlayButtonB1->Record_();
    recordingActive_ = true;
    updateApplyEnabled();

    if (flgPauseRecord) {
        flgPauseRecord = false;
        flgRecord = true;
        spectrumFollowsRecording();
        if (!recording_->Resume()) {
            const QString message = recording_->errorText();
            StopRecord();
            reportLater(message);
            return;
        }
        recordingStreamStarted();
        return;
    }

    if (!nextPart) {
        // A fresh recording's clock starts at zero, whatever the stopped preview or a
        // playback left on the display.
        NCTTimeDisplay1->setMilliseconds(0);
        NCTTimeDisplay1->setSeconds(0);
        NCTTimeDisplay1->setMinutes(0);
        NCTTimeDisplay1->setHours(0);
    }
    SetFormat();
    if (!CreateNewFile()) {
        AudioRecord1->StopDevice();  // a split's capture runs on between the parts
        showRecordingIdle();
        return;
    }
    // Opening the new file may have let a playback's end through, which showed Stop.
    setStatusPanel(0, tr("Recording..."));
    NCTPlayButtonB1->Record_();
    if (recording_->ProbeIsFresh(currentFileName()))
        flgRecord = true;
    if (!flgRecord) {
        if (!askRewrite()) {
            StopRecord();
            return;
        }
        flgRecord = true;
    }
    if (!nextPart)
        captureStatus_->takeStarted();
    if (!recording_->Begin(currentFileName(), nextPart, nextPart ? -1 : takePreRoll())) {
        abandonRecordingStart(recording_->errorText());
        return;
    }
    recordingStreamStarted();
    spectrumFollowsRecording();
    updateApplyEnabled();
    keepAwakeWhileRecording();
}

void TForm1::PauseRecord() {
    const TransportGate::Hold hold(*gate_);
    captureWait_.reset();
    if (!flgRecord || flgPauseRecord)
        return;
    flgPauseRecord = true;
    if (!recording_->Pause()) {
        StopRecord();  // the last block could not be written
        return;
    }
    setStatusPanel(0, tr("Pause"));
    NCTPlayButtonB1->Pause();
    AudioRecord1->setTimerEnabled(false);
}

void TForm1::StopRecord() {
    const TransportGate::Hold hold(*gate_);
    captureWait_.reset();
    NCTSliderB1->setEnabled(true);
    if (recording_->isActive())
        mSamples = recording_->Finish();
    else
        AudioRecord1->StopDevice();
    writeOverflowParts();
    const QString failure = recording_->takeFailureText();
    flgRecord = false;
    flgPauseRecord = false;
    recordingActive_ = false;
    resetDisplays();
    // A file deleted while it was recorded has no tags to load and no row to show.
    if (QFileInfo::exists(CurrentFileName)) {
        // The tag fields and the row describe the finished file, whatever row the user
        // selected meanwhile.
        setCurrentFileName(CurrentFileName);
        btnResetClick();
        listCurrentFile();
    }
    ToolBtnOptions->setEnabled(true);
    ToolBtnOpen->setEnabled(true);
    Open1->setEnabled(true);
    Options2->setEnabled(true);
    PageControl1->setCurrentIndex(3);
    recordingSettings().TotalFileTime = 0;
    spectrumFollowsWhatRuns();
    updateApplyEnabled();
    showRunningSideLook();
    if (!failure.isEmpty())
        reportLater(failure);
    if (const QString summary = captureStatus_->takeFinished(); !summary.isEmpty())
        reportLater(summary);
    resumeDeviceFollowing();
    updateListening();
    keepAwakeWhileRecording();
}

// The idle look after a recording that ends without a row: a start abandoned before or
// right after its file was made.
void TForm1::showRecordingIdle() {
    flgRecord = false;
    flgPauseRecord = false;
    recordingActive_ = false;
    AudioRecord1->setTimerEnabled(false);
    NCTSliderB1->setEnabled(true);
    resetDisplays();
    recordingSettings().TotalFileTime = 0;
    captureStatus_->takeAbandoned();
    ToolBtnOptions->setEnabled(true);
    ToolBtnOpen->setEnabled(true);
    Open1->setEnabled(true);
    Options2->setEnabled(true);
    updateApplyEnabled();
    showRunningSideLook();
    resumeDeviceFollowing();
    updateListening();
    keepAwakeWhileRecording();
}

// The device did not start, or failed before anything reached the file: say why, and
// leave neither the empty file nor a row behind.
void TForm1::abandonRecordingStart(const QString &message) {
    captureWait_.reset();
    recording_->Abandon();
    setStatusPanel(1, QString());
    setStatusPanel(2, QString());
    showRecordingIdle();
    reportLater(message);
}

void TForm1::resetDisplays() {
    NCTAmpBar1->setValue(0);
    NCTAmpBar2->setValue(0);
    NCTSliderB1->setValue(0);
    NCTPlayButtonB1->Stop();
    setStatusPanel(0, tr("Stop"));
    NCTTimeDisplay1->setMilliseconds(0);
    NCTTimeDisplay1->setSeconds(0);
    NCTTimeDisplay1->setMinutes(0);
    NCTTimeDisplay1->setHours(0);
    AudioVisualization1->SendArray(SampleArray());
}

// The two sub-machines share the status text and the control's look: when one side stops,
// the side that still runs shows itself again instead of a stopped window.
void TForm1::showRunningSideLook() {
    // A recording counts from its start, before its file is confirmed and flgRecord set.
    const bool recording = flgRecord || recordingActive_;
    const bool paused = recording ? flgPauseRecord : flgPause;
    if (!recording && !flgPlay)
        return;
    if (paused) {
        setStatusPanel(0, tr("Pause"));
        NCTPlayButtonB1->Pause();
    } else if (recording) {
        setStatusPanel(0, tr("Recording..."));
        NCTPlayButtonB1->Record_();
    } else {
        setStatusPanel(0, tr("Playing..."));
        NCTPlayButtonB1->Play();
    }
}

// A split's next part takes a new inhibitor with its own name before the old one goes.
void TForm1::keepAwakeWhileRecording() {
    if (!sleepInhibitor_)
        return;
    if (flgRecord || recordingActive_)
        sleepInhibitor_->hold(tr("Recording %1").arg(QFileInfo(CurrentFileName).fileName()));
    else if (voiceArmed_)
        sleepInhibitor_->hold(tr("Waiting for sound to start a recording"));
    else
        sleepInhibitor_->release();
}

// Shown once the current event is over, so the message never runs inside a component's
// own event delivery or a routine under way.
void TForm1::reportLater(const QString &message) {
    QTimer::singleShot(0, this, [this, message] {
        QMessageBox::warning(this, QApplication::applicationDisplayName(), message);
    });
}

void TForm1::StartPlay() {
    if (flgPlay && !flgPause)
        return;
    const TransportGate::Hold hold(*gate_);
    const bool resume = flgPause && playback_->state() == PlaybackSession::State::Paused;
    // A resume plays on the paused file, whatever row was selected meanwhile.
    if (resume)
        CurrentPlayFile = playback_->fileName();
    else
        CurrentPlayFile = SelectFileName.isEmpty() ? currentFileName() : SelectFileName;
    if (!korvanta::codec::fileExists(CurrentPlayFile)) {
        StopPlay();
        return;
    }
    if (!resume) {
        switch (playback_->Open(CurrentPlayFile, NCTSliderB1->Value())) {
            case PlaybackSession::OpenResult::OpenFailed:
                reportLater(playback_->errorText());
                return;
            case PlaybackSession::OpenResult::NoSamples:
                StopPlay();
                return;
            case PlaybackSession::OpenResult::Opened:
                break;
        }
    }
    if (!playback_->Start()) {
        const QString message = playback_->errorText();
        StopPlay();
        reportLater(message);
        return;
    }
    flgPlay = true;
    flgPause = false;
    spectrumFollowsPlayback();
    setStatusPanel(0, tr("Playing..."));
    setStatusPanel(1, CurrentPlayFile);
    NCTPlayButtonB1->Play();
    updateApplyEnabled();
    updateListening();
}

void TForm1::PausePlay() {
    if (!flgPlay || flgPause)
        return;
    const TransportGate::Hold hold(*gate_);
    flgPause = true;
    playback_->Pause();
    setStatusPanel(0, tr("Pause"));
    NCTPlayButtonB1->Pause();
    NCTAmpBar1->setValue(0);
    NCTAmpBar2->setValue(0);
}

void TForm1::StopPlay() {
    const TransportGate::Hold hold(*gate_);
    playback_->Stop();
    flgPlay = false;
    flgPause = false;
    resetDisplays();
    spectrumFollowsWhatRuns();
    updateApplyEnabled();
    showRunningSideLook();
    resumeDeviceFollowing();
    updateListening();
}

// Tags written into a file while it is recorded or read would corrupt it: Apply is enabled
// exactly when the file it would write is neither.
void TForm1::updateApplyEnabled() {
    // Until the tag editor is built nothing is loaded into it, and it starts with Apply off.
    if (!fileInfoBuilt())
        return;
    const QString file = currentFileName();
    const bool loaded = btnReset()->isEnabled() && korvanta::codec::fileExists(file);
    const bool recorded = recordingActive_ && file == CurrentFileName;
    const bool played =
        playback_->state() != PlaybackSession::State::Idle && file == playback_->fileName();
    btnApply()->setEnabled(loaded && !recorded && !played);
}
