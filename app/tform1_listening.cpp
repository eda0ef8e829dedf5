// Listening around a recording: the input captured while no recording runs (for the level
// bars and the pre-record buffer), Record taking that stream over with the last seconds
// before it, and voice activation, which arms Record to wait for sound and holds a running
// recording through silence.
//
// From the user's side: with voice start on, Record arms ("Waiting for sound") instead of
// starting; sound at or above the level starts the recording, Record pressed again starts it
// at once, and Stop disarms. With the silence pause on, a recording that stays below the
// level for the silence time waits for sound again, still "recording" (Stop finishes the
// file as usual); the pre-record length, or the sound's first frame without one, is kept
// when it goes on.
#include "app/tform1.h"

#include "app/transport_gate.h"
#include "audio/audio_file2.h"
#include "audio/audio_record2.h"
#include "recording/pre_record_buffer.h"
#include "recording/recording_session.h"
#include "recording/voice_trigger.h"
#include "settings/capture_settings.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_play_button_b2.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

// A start reaches back to the Record press or the sound's first frame, which the recording
// takes over a little later (a new file is made first); the buffer keeps this much beyond
// the pre-record length.
constexpr int kMarginSeconds = 2;
constexpr int kRestartFrames = 1 << 30;

}  // namespace

void TForm1::connectListening() {
    preRecord_ = std::make_unique<PreRecordBuffer>();
    voice_ = std::make_unique<VoiceTrigger>();
    recording_->setPreRecordBuffer(preRecord_.get());
    connect(AudioRecord1, &TAudioRecord2::OnTimer, this, &TForm1::AudioRecord1IdleTimer);
    connect(AudioRecord1, &TAudioRecord2::OnFrames, this, &TForm1::AudioRecord1Frames);
    connect(AudioRecord1, &TAudioRecord2::OnDeviceError, this, [this] {
        // The idle stream failed: stay quiet until the options or the device change.
        if (!listening_)
            return;
        listening_ = false;
        if (voiceArmed_)
            disarmVoiceStart();
        else
            resetDisplays();
    });
}

void TForm1::updateListening(bool restart) {
    const CaptureSettings &c = captureSettings();
    // The level bars and the spectrum belong to a playback while it runs.
    const bool wanted = shown_ && !closing_ && !recordingActive_ &&
                        (voiceArmed_ || (c.listensWhileIdle() && !flgPlay));
    if (listening_ && (!wanted || restart))
        stopListening();
    // Level bars and spectrum take the input in at their ticks; an armed voice start decides
    // on every delivery as it comes.
    AudioRecord1->setDrainOnDelivery(!listening_ || voiceArmed_);
    if (!wanted || listening_)
        return;

    SetFormat();
    AudioRecord1->SetFormatArray(AudioFile2->ArrayFrequency(), AudioFile2->ArrayChannels());
    const StreamFormat format = AudioRecord1->captureFormat();
    AudioRecord1->setBufferSize(AudioRecord1->SecToSamples(200));
    const int seconds = c.preRecordSeconds + kMarginSeconds;
    preRecord_->reset(seconds * format.frequency, format.channels);
    voice_->configure(c.voiceLevelDb, int64_t(c.silenceSeconds) * format.frequency);
    voice_->restart(false);
    AudioRecord1->StartDevice();
    if (AudioRecord1->LastErrorNum() != 0)
        return;  // no input to listen to; Record reports the reason when pressed
    AudioRecord1->setTimerEnabled(true);
    AudioRecord1->setDrainOnDelivery(voiceArmed_);
    listening_ = true;
    spectrumFollowsRecording();
    if (!flgPlay)
        setStatusPanel(0, voiceArmed_ ? tr("Waiting for sound") : tr("Listening"));
}

void TForm1::stopListening() {
    if (!listening_)
        return;
    listening_ = false;
    AudioRecord1->StopDevice();
    AudioRecord1->setDrainOnDelivery(true);
    preRecord_->clear();
    if (!flgPlay && !flgRecord)
        resetDisplays();
}

void TForm1::AudioRecord1IdleTimer(int /*position*/, int leftLevel, int rightLevel) {
    if (!listening_ && recording_->state() != RecordingSession::State::Held)
        return;
    // Positions are 32-bit: a stream left listening for hours starts afresh long before
    // they would run over (the buffer refills within its length).
    if (listening_ && !voiceArmed_ && AudioRecord1->nSamplesCurrent() > kRestartFrames) {
        updateListening(true);
        return;
    }
    if (flgPlay && !flgPause)
        return;
    NCTAmpBar1->setValue(leftLevel);
    NCTAmpBar2->setValue(rightLevel);
    // The view analyses the newest window of frames only.
    AudioVisualization1->SendArray(
        AudioRecord1->GetCurrentArray(AudioVisualization1->WindowArraySize()));
}

// Record with voice start on arms instead of starting; Record while armed starts at once.
bool TForm1::armVoiceStart() {
    // Runs first thing at every fresh Record: the pre-record seconds count back from here.
    pressFrame_ = AudioRecord1->nSamplesCurrent();
    if (voiceArmed_) {
        voiceArmed_ = false;
        return false;
    }
    if (!captureSettings().voiceStart)
        return false;
    voiceArmed_ = true;
    updateListening();
    if (!listening_) {
        // No input to wait on: record as without voice start, which reports why.
        voiceArmed_ = false;
        return false;
    }
    ToolBtnOptions->setEnabled(false);
    ToolBtnOpen->setEnabled(false);
    Open1->setEnabled(false);
    Options2->setEnabled(false);
    NCTPlayButtonB1->Record_();
    setStatusPanel(0, tr("Waiting for sound"));
    keepAwakeWhileRecording();
    return true;
}

void TForm1::disarmVoiceStart() {
    const TransportGate::Hold hold(*gate_);
    voiceArmed_ = false;
    ToolBtnOptions->setEnabled(true);
    ToolBtnOpen->setEnabled(true);
    Open1->setEnabled(true);
    Options2->setEnabled(true);
    if (!flgPlay)
        resetDisplays();
    showRunningSideLook();
    updateListening(true);
    keepAwakeWhileRecording();
}

int64_t TForm1::takePreRoll() {
    const bool voiced = std::exchange(voiceStarting_, false);
    if (!listening_)
        return -1;
    listening_ = false;  // the recording takes the stream over, or closes it
    AudioRecord1->setDrainOnDelivery(true);
    // Everything captured so far goes to the buffer, so it ends where the next block starts.
    AudioRecord1->FlushBlock();
    const StreamFormat format = AudioRecord1->captureFormat();
    const int64_t keep = int64_t(captureSettings().preRecordSeconds) * format.frequency;
    if (voiced)
        return std::max<int64_t>(0, voiceFrame_ - keep);
    if (keep == 0)
        return -1;  // only the level was shown: the recording starts at the press, as ever
    return std::max<int64_t>(0, pressFrame_ - keep);
}

// A recording's stream (re)started or was taken over: silence is counted from here on.
void TForm1::recordingStreamStarted() {
    const CaptureSettings &c = captureSettings();
    const StreamFormat format = AudioRecord1->captureFormat();
    voice_->configure(c.voiceLevelDb, int64_t(c.silenceSeconds) * format.frequency);
    voice_->restart(true, AudioRecord1->nSamplesCurrent());
}

void TForm1::AudioRecord1Frames(const int16_t *samples, int frames, qint64 firstFrame) {
    const RecordingSession::State state = recording_->state();
    const bool armed = voiceArmed_ && listening_;
    const bool pausing =
        captureSettings().voicePause &&
        (state == RecordingSession::State::Recording || state == RecordingSession::State::Held);
    if (!armed && !pausing)
        return;
    voice_->feed(samples, frames, AudioRecord1->captureFormat().channels, firstFrame,
                 [this](VoiceTrigger::Event event, int64_t frame) {
                     voiceFrame_ = frame;
                     // Not inside the recorder's delivery: a start creates files and may ask.
                     const auto routine = event == VoiceTrigger::Event::Sound
                                              ? &TForm1::voiceSound
                                              : &TForm1::voiceSilence;
                     QTimer::singleShot(0, this, [this, routine] { runCommand(routine); });
                 });
}

void TForm1::voiceSound() {
    if (voiceArmed_ && listening_) {
        // The start reaches back to the crossing itself; this is how late it was decided.
        voiceStartDelayMs_ = AudioRecord1->SamplesToSec(
            static_cast<int>(AudioRecord1->nSamplesCurrent() - voiceFrame_));
        voiceStarting_ = true;
        StartRecord();
        return;
    }
    if (recording_->state() != RecordingSession::State::Held)
        return;
    const int64_t keep =
        int64_t(captureSettings().preRecordSeconds) * AudioRecord1->captureFormat().frequency;
    AudioRecord1->FlushBlock();
    if (!recording_->Release(std::max<int64_t>(0, voiceFrame_ - keep))) {
        const QString failure = recording_->takeFailureText();
        StopRecord();
        reportLater(failure);
        return;
    }
    showRunningSideLook();
}

void TForm1::voiceSilence() {
    if (recording_->state() != RecordingSession::State::Recording)
        return;
    // What came before the decision stays in the file: the silence time is the hangover.
    AudioRecord1->FlushBlock();
    recording_->Hold();
    NCTAmpBar1->setValue(0);
    NCTAmpBar2->setValue(0);
    setStatusPanel(0, tr("Waiting for sound"));
}
