// The input shown while no take records: the recording controller listens (for the level
// bars, the pre-record buffer and voice start) and the window shows the levels and the
// spectrum of what it hears.
//
// From the user's side: with voice start on, Record arms ("Waiting for sound") instead of
// starting; sound at or above the level starts the recording, Record pressed again starts it
// at once, and Stop disarms. With the silence pause on, a recording that stays below the
// level for the silence time waits for sound again, still "recording" (Stop finishes the
// file as usual); the pre-record length, or the sound's first frame without one, is kept
// when it goes on.
#include "app/tform1.h"

#include "audio/audio_record2.h"
#include "recording/recording_controller.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

void TForm1::connectListening() {
    connect(AudioRecord1, &TAudioRecord2::OnTimer, this, &TForm1::AudioRecord1IdleTimer);
}

void TForm1::AudioRecord1IdleTimer(int /*position*/, int leftLevel, int rightLevel) {
    if (!isListening() && recordingController_->state() != RecordingController::State::Holding)
        return;
    if (flgPlay && !flgPause)
        return;
    NCTAmpBar1->setValue(leftLevel);
    NCTAmpBar2->setValue(rightLevel);
    // The view analyses the newest window of frames only.
    AudioVisualization1->SendArray(
        AudioRecord1->GetCurrentArray(AudioVisualization1->WindowArraySize()));
}
