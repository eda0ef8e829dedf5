// Streams a file from the reading file component to the player in 200 ms blocks, keeping
// two blocks queued. The window drives it and shows the state.
#pragma once

#include <QString>

class TAudioFile2;
class TAudioPlayer2;

class PlaybackPipeline {
public:
    PlaybackPipeline(TAudioPlayer2 &player, TAudioFile2 &file);

    enum class OpenResult { Opened, OpenFailed, NoSamples };

    // Fresh start: opens `fileName`, sets the player's format and block length, and seeks
    // to `sliderValue` thousandths of the length. `startSamples` gets the position reached.
    OpenResult Open(const QString &fileName, int sliderValue, int *startSamples, int *bufferSize);

    // Resume: the file is still open; go back to where playback paused.
    void SeekTo(int samples);

    // Starts the output; on failure the file is closed and false returned.
    bool StartDevice();

    // Reads one block and queues it; an empty read tells the player the data ended.
    void LoadPlayBuffer(int bufferSize);

    // Stops the output, keeping the file open. Returns the frames played since the start.
    int Pause();

    // Re-positions a running playback at `sliderValue` thousandths; returns the new offset.
    int Reposition(int sliderValue);

    // Stops the output and closes the file.
    void Stop();
    void CloseFile();

private:
    TAudioPlayer2 &player_;
    TAudioFile2 &file_;
};
