// The transport: command sources, the guards of the six routines, and the look each
// routine gives the window. The recording and playback steps in between live in
// tform1_recording.cpp and tform1_playback.cpp.
#include "app/tform1.h"

#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/widgets/audio_visualization2.h"
#include "audio/widgets/nct_amp_bar2.h"
#include "audio/widgets/nct_play_button_b2.h"
#include "audio/widgets/nct_slider_b2.h"
#include "audio/widgets/nct_time_display2.h"
#include "playback/playback_pipeline.h"
#include "recording/recording_pipeline.h"
#include "settings/recording_settings.h"

#include <QAction>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

void TForm1::connectTransportCommands() {
    connect(Record1, &QAction::triggered, this, &TForm1::Record1Click);
    connect(Play1, &QAction::triggered, this, &TForm1::Play1Click);
    connect(Pause1, &QAction::triggered, this, &TForm1::Pause1Click);
    connect(Stop1, &QAction::triggered, this, &TForm1::Stop1Click);
    connect(NCTPlayButtonB1, &TNCTPlayButtonB2::OnMouseClick, this,
            &TForm1::NCTPlayButtonB1MouseClick);

    connect(AudioRecord1, &TAudioRecord2::OnEndArrayRecord, this,
            &TForm1::AudioRecord1EndBlockRecord);
    connect(AudioRecord1, &TAudioRecord2::OnTimer, this, &TForm1::AudioRecord1Timer);
    connect(AudioRecord1, &TAudioRecord2::OnDeviceError, this, &TForm1::AudioRecord1DeviceError);
    connect(AudioPlayer1, &TAudioPlayer2::OnEndArrayPlay, this, &TForm1::AudioPlayer1EndBlockPlay);
    connect(AudioPlayer1, &TAudioPlayer2::OnRequestOnLoadArray, this,
            &TForm1::AudioPlayer1RequestOnLoadBlock);
    connect(AudioPlayer1, &TAudioPlayer2::OnEndPlay, this, &TForm1::AudioPlayer1EndPlay);
    connect(AudioPlayer1, &TAudioPlayer2::OnTimer, this, &TForm1::AudioPlayer1Timer);
    connect(AudioPlayer1, &TAudioPlayer2::OnDeviceError, this, &TForm1::AudioPlayer1DeviceError);

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

void TForm1::Stop1Click() {
    if (flgPlay)
        StopPlay();
    if (flgRecord)
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
            AudioPlayer1->setSrcOutput(0);
            AudioPlayer1->setSrcMute(NCTPlayButtonB1->Mute());
            break;
        default:
            break;  // other codes mean nothing here
    }
}

void TForm1::StartRecord() {
    if (flgRecord && !flgPauseRecord)
        return;
    ToolBtnOptions->setEnabled(false);
    ToolBtnOpen->setEnabled(false);
    Open1->setEnabled(false);
    Options2->setEnabled(false);
    NCTSliderB1->setEnabled(false);
    flgRecord = false;
    AudioRecord1->setTimerEnabled(true);
    setStatusPanel(0, QStringLiteral("Recording..."));
    NCTPlayButtonB1->Record_();
    // Tags must not be written into a file while it is being recorded.
    recordingActive_ = true;
    btnApply->setEnabled(false);

    if (flgPauseRecord) {
        flgPauseRecord = false;
        flgRecord = true;
        spectrumFollowsRecording();
        if (!recording_->Resume())
            StopRecord();
        return;
    }

    SetFormat();
    if (!CreateNewFile()) {
        setControlsIdle();
        return;
    }
    setStatusPanel(0, QStringLiteral("Recording..."));
    btnApply->setEnabled(false);
    if (recording_->ProbeIsFresh(currentFileName()))
        flgRecord = true;
    if (!flgRecord) {
        if (!askRewrite()) {
            StopRecord();
            return;
        }
        flgRecord = true;
    }
    bool started = false;
    BufferSize = recording_->BeginCapture(currentFileName(), &started);
    spectrumFollowsRecording();
    if (!started)
        StopRecord();
}

void TForm1::PauseRecord() {
    if (!flgRecord || flgPauseRecord)
        return;
    flgPauseRecord = true;
    StartSamples += recording_->Pause();
    setStatusPanel(0, QStringLiteral("Pause"));
    NCTPlayButtonB1->Pause();
    AudioRecord1->setTimerEnabled(false);
}

void TForm1::StopRecord() {
    NCTSliderB1->setEnabled(true);
    if (flgRecord)
        mSamples = recording_->Finish();
    else
        AudioRecord1->StopDevice();
    flgRecord = false;
    flgPauseRecord = false;
    recordingActive_ = false;
    resetDisplays();
    // A file deleted while it was recorded has no tags to load and no row to show.
    if (QFileInfo::exists(CurrentFileName)) {
        btnResetClick();
        ListFile(CurrentFileName);
    }
    btnApply->setEnabled(true);
    ToolBtnOptions->setEnabled(true);
    ToolBtnOpen->setEnabled(true);
    Open1->setEnabled(true);
    Options2->setEnabled(true);
    PageControl1->setCurrentIndex(3);
    recordingSettings().TotalFileTime = 0;
    spectrumFollowsWhatRuns();
}

// The window's look when nothing records: used when a start is abandoned before a file
// exists, so no row is listed.
void TForm1::setControlsIdle() {
    flgRecord = false;
    flgPauseRecord = false;
    recordingActive_ = false;
    AudioRecord1->setTimerEnabled(false);
    NCTSliderB1->setEnabled(true);
    NCTPlayButtonB1->Stop();
    setStatusPanel(0, QStringLiteral("Stop"));
    ToolBtnOptions->setEnabled(true);
    ToolBtnOpen->setEnabled(true);
    Open1->setEnabled(true);
    Options2->setEnabled(true);
    btnApply->setEnabled(btnReset->isEnabled());
}

void TForm1::resetDisplays() {
    NCTAmpBar1->setValue(0);
    NCTAmpBar2->setValue(0);
    NCTSliderB1->setValue(0);
    NCTPlayButtonB1->Stop();
    setStatusPanel(0, QStringLiteral("Stop"));
    NCTTimeDisplay1->setMilliseconds(0);
    NCTTimeDisplay1->setSeconds(0);
    NCTTimeDisplay1->setMinutes(0);
    NCTTimeDisplay1->setHours(0);
    AudioVisualization1->SendArray(SampleArray());
    StartSamples = 0;
}

void TForm1::StartPlay() {
    if (flgPlay && !flgPause)
        return;
    CurrentPlayFile = SelectFileName.isEmpty() ? currentFileName() : SelectFileName;
    if (!QFileInfo::exists(CurrentPlayFile)) {
        StopPlay();
        return;
    }
    if (flgPause) {
        playback_->SeekTo(StartSamples);
    } else {
        switch (
            playback_->Open(CurrentPlayFile, NCTSliderB1->Value(), &StartSamples, &BufferSize)) {
            case PlaybackPipeline::OpenResult::OpenFailed:
                return;
            case PlaybackPipeline::OpenResult::NoSamples:
                StopPlay();
                return;
            case PlaybackPipeline::OpenResult::Opened:
                break;
        }
    }
    if (!playback_->StartDevice()) {
        // The file is closed now, so a paused playback cannot be resumed any more.
        flgPlay = false;
        flgPause = false;
        return;
    }
    flgPlay = true;
    flgPause = false;
    spectrumFollowsPlayback();
    LoadPlayBuffer();
    LoadPlayBuffer();
    setStatusPanel(0, QStringLiteral("Playing..."));
    setStatusPanel(1, CurrentPlayFile);
    NCTPlayButtonB1->Play();
    // Tags written while the file is being read would corrupt what is heard.
    if (currentFileName() == CurrentPlayFile)
        btnApply->setEnabled(false);
}

void TForm1::PausePlay() {
    if (!flgPlay || flgPause)
        return;
    flgPause = true;
    StartSamples += playback_->Pause();
    setStatusPanel(0, QStringLiteral("Pause"));
    NCTPlayButtonB1->Pause();
    NCTAmpBar1->setValue(0);
    NCTAmpBar2->setValue(0);
}

void TForm1::StopPlay() {
    playback_->Stop();
    flgPlay = false;
    flgPause = false;
    resetDisplays();
    spectrumFollowsWhatRuns();
    if (!recordingActive_)
        btnApply->setEnabled(true);
}
