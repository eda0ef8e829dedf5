// Playback handlers: what the playback session reports (ticks, the end of the data, device
// failures), and seeking with the position slider.
#include "app/tform1.h"

#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/units.h"
#include "playback/playback_session.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <algorithm>

void TForm1::AudioPlayer1EndPlay() {
    StopPlay();
}

void TForm1::AudioPlayer1DeviceError(const QString & /*reason*/) {
    if (flgPlay)
        StopPlay();
}

void TForm1::AudioPlayer1StartFailed(const QString &message) {
    StopPlay();
    reportLater(message);
}

// The file could not be read to its end: what was read has been heard.
void TForm1::AudioPlayer1ReadFailed(const QString &message) {
    StopPlay();
    reportLater(message);
}

// `position` is the position in the file, the session's offset included.
void TForm1::AudioPlayer1Timer(int position, int leftLevel, int rightLevel) {
    NCTAmpBar1->setValue(leftLevel);
    NCTAmpBar2->setValue(rightLevel);
    NCTTimeDisplay1->setMilliseconds(AudioPlayer1->SamplesToSec(position));
    // A spectrum nobody sees (another tab, a minimised window) costs nothing.
    if (AudioVisualization1->isShowing())
        AudioVisualization1->SendArray(
            AudioPlayer1->GetCurrentArray(2 * AudioVisualization1->WindowArraySize()));
    if (!SliderBusy)
        NCTSliderB1->setValue(std::min(1000, MulDiv(position, 1000, AudioFile1->nSamples())));
}

void TForm1::NCTSliderB1MouseDown() {
    SliderBusy = true;
    if (flgPlay && flgPause) {
        // Pressing the slider ends a paused playback; the next Play starts at the slider.
        playback_->CloseFile();
        showTransportState();
        NCTPlayButtonB1->Stop();
        // The status bar says so too, or shows what still runs: "Pause" would name a
        // playback that no longer exists.
        if (flgRecord)
            showRunningSideLook();
        else
            setStatusPanel(0, tr("Stop"));
        updateApplyEnabled();
    }
}

void TForm1::NCTSliderB1ValueChange(int Value) {
    if (flgPlay || flgRecord)
        return;
    const int t = AudioPlayer1->SamplesToSec(MulDiv(Value, mSamples, 1000));
    if (t < 1000)
        NCTTimeDisplay1->setSeconds(0);
    if (t < 60000)
        NCTTimeDisplay1->setMinutes(0);
    NCTTimeDisplay1->setMilliseconds(t);
}

void TForm1::NCTSliderB1MouseUp() {
    SliderBusy = false;
    if (flgPlay && !playback_->Reposition(NCTSliderB1->Value())) {
        const QString message = playback_->errorText();
        StopPlay();
        reportLater(message);
    }
}
