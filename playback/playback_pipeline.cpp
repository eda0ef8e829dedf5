#include "playback/playback_pipeline.h"

#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/units.h"

PlaybackPipeline::PlaybackPipeline(TAudioPlayer2 &player, TAudioFile2 &file)
    : player_(player), file_(file) {}

PlaybackPipeline::OpenResult PlaybackPipeline::Open(const QString &fileName, int sliderValue,
                                                    int *startSamples, int *bufferSize) {
    file_.OpenFile(fileName, 0, 1);
    if (file_.LastErrorNum() != 0)
        return OpenResult::OpenFailed;
    *startSamples = 0;
    if (file_.nSamples() <= 0)
        return OpenResult::NoSamples;
    player_.SetFormatArray(file_.ArrayFrequency(), file_.ArrayChannels());
    *bufferSize = player_.SecToSamples(200);
    *startSamples = file_.SeekFile(MulDiv(sliderValue, file_.nSamples(), 1000), 3);
    return OpenResult::Opened;
}

void PlaybackPipeline::SeekTo(int samples) {
    file_.SeekFile(samples, 3);
}

bool PlaybackPipeline::StartDevice() {
    player_.StartDevice();
    if (player_.LastErrorNum() == 0)
        return true;
    file_.CloseFile();
    return false;
}

void PlaybackPipeline::LoadPlayBuffer(int bufferSize) {
    const SampleArray block = file_.ReadFile(bufferSize);
    player_.SendArray(block);
}

int PlaybackPipeline::Pause() {
    const int played = player_.nSamplesCurrent();
    player_.StopDevice();
    return played;
}

int PlaybackPipeline::Reposition(int sliderValue) {
    player_.StopDevice();
    const int reached = file_.SeekFile(MulDiv(sliderValue, file_.nSamples(), 1000), 3);
    player_.StartDevice();
    return reached;
}

void PlaybackPipeline::Stop() {
    player_.StopDevice();
    file_.CloseFile();
}

void PlaybackPipeline::CloseFile() {
    file_.CloseFile();
}
