// The spectrum view's frequency axis follows the rate of the sound it is shown: the played
// file's while playing, the recording's while recording. Both sides feed the one view, so
// when one of them stops, the axis goes over to the other if it still runs.
#include "app/tform1.h"

#include "audio/audio_file2.h"
#include "widgets/audio_visualization2.h"

void TForm1::spectrumFollowsPlayback() {
    AudioVisualization1->setSampleRate(AudioFile1->ArrayFrequency());
}

void TForm1::spectrumFollowsRecording() {
    AudioVisualization1->setSampleRate(AudioFile2->ArrayFrequency());
}

void TForm1::spectrumFollowsWhatRuns() {
    if (flgRecord && !flgPauseRecord)
        spectrumFollowsRecording();
    else if (flgPlay && !flgPause)
        spectrumFollowsPlayback();
}
