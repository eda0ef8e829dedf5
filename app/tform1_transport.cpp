// The transport: command sources, the six routines, and the look the window takes from the
// recording controller's and the playback session's states. The take and the playback
// themselves live in recording/ and playback/; the handlers of what they report live in
// tform1_recording.cpp and tform1_playback.cpp.
#include "app/tform1.h"

#include "app/capture_status.h"
#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/codec/posix_file.h"
#include "extras/sleep_inhibitor.h"
#include "files/current_file.h"
#include "playback/playback_session.h"
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
    connectRecording();
    connect(playback_.get(), &PlaybackSession::ticked, this, &TForm1::AudioPlayer1Timer);
    connect(playback_.get(), &PlaybackSession::ended, this, &TForm1::AudioPlayer1EndPlay);
    connect(playback_.get(), &PlaybackSession::failed, this, &TForm1::AudioPlayer1DeviceError);
    connect(playback_.get(), &PlaybackSession::startFailed, this, &TForm1::AudioPlayer1StartFailed);
    connect(playback_.get(), &PlaybackSession::readFailed, this, &TForm1::AudioPlayer1ReadFailed);

    connect(NCTSliderB1, &TNCTSliderB2::OnMouseDown, this, &TForm1::NCTSliderB1MouseDown);
    connect(NCTSliderB1, &TNCTSliderB2::OnMouseUp, this, &TForm1::NCTSliderB1MouseUp);
    connect(NCTSliderB1, &TNCTSliderB2::OnValueChange, this, &TForm1::NCTSliderB1ValueChange);
}

void TForm1::Record1Click() {
    StartRecord();
}

void TForm1::Play1Click() {
    StartPlay();
}

void TForm1::Pause1Click() {
    if (flgPlay)
        PausePlay();
    if (flgRecord)
        PauseRecord();
}

// Stop also ends a take that has no file yet: an armed voice start, or a start waiting for
// the answer to the overwrite question.
void TForm1::Stop1Click() {
    if (flgPlay)
        StopPlay();
    if (recordingController_->state() != RecordingController::State::Idle)
        StopRecord();
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

// A fresh start, a resume, or the start of an armed voice start at once; a Record pressed
// while a pause or stop waits for the device's last frames runs after it.
void TForm1::StartRecord() {
    recordingController_->record();
}

// Waits, in the controller and not here, for the frames captured up to the press.
void TForm1::PauseRecord() {
    recordingController_->pause();
}

void TForm1::StopRecord() {
    recordingController_->stop();
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
    const RecordingController::State state = recordingController_->state();
    const bool recording = recordingController_->takeRunning();
    const bool paused = recording ? flgPauseRecord : flgPause;
    if (!recording && !flgPlay) {
        if (state == RecordingController::State::Armed) {
            setStatusPanel(0, tr("Waiting for sound"));
            NCTPlayButtonB1->Record_();
        } else if (isListening()) {
            setStatusPanel(0, tr("Listening"));
        }
        return;
    }
    if (state == RecordingController::State::Holding) {
        setStatusPanel(0, tr("Waiting for sound"));
        NCTPlayButtonB1->Record_();
    } else if (paused) {
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
    if (recordingController_->takeRunning())
        sleepInhibitor_->hold(tr("Recording %1").arg(QFileInfo(CurrentFileName()).fileName()));
    else if (isWaitingForSound())
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
    const bool resume = flgPause && playback_->state() == PlaybackSession::State::Paused;
    // A resume plays on the paused file, whatever row was selected meanwhile.
    if (resume)
        files_->setPlayFile(playback_->fileName());
    else
        files_->setPlayFile(files_->playTarget());
    if (!korvanta::codec::fileExists(CurrentPlayFile())) {
        StopPlay();
        return;
    }
    if (!resume) {
        switch (playback_->Open(CurrentPlayFile(), NCTSliderB1->Value())) {
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
    showTransportState();
    spectrumFollowsPlayback();
    setStatusPanel(0, tr("Playing..."));
    setStatusPanel(1, CurrentPlayFile());
    NCTPlayButtonB1->Play();
    updateApplyEnabled();
    updateListening();
}

void TForm1::PausePlay() {
    if (!flgPlay || flgPause)
        return;
    playback_->Pause();
    showTransportState();
    setStatusPanel(0, tr("Pause"));
    NCTPlayButtonB1->Pause();
    NCTAmpBar1->setValue(0);
    NCTAmpBar2->setValue(0);
}

void TForm1::StopPlay() {
    playback_->Stop();
    showTransportState();
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
    const bool recorded = recordingController_->takeRunning() && file == CurrentFileName();
    const bool played =
        playback_->state() != PlaybackSession::State::Idle && file == playback_->fileName();
    btnApply()->setEnabled(loaded && !recorded && !played);
}

void TForm1::showTransportState() {
    flgRecord = recordingController_->hasOpenFile();
    flgPauseRecord = recordingController_->state() == RecordingController::State::Paused;
    flgPlay = playback_->state() != PlaybackSession::State::Idle;
    flgPause = playback_->state() == PlaybackSession::State::Paused;
}

void TForm1::updateListening() {
    recordingController_->setPlaybackRunning(playback_->state() != PlaybackSession::State::Idle);
}
