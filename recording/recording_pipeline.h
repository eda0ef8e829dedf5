// Moves captured blocks from the recorder into the output file: the start, resume, pause
// and finish of a recording on the components. The window drives it and shows the state.
#pragma once

#include <QString>

class TAudioFile2;
class TAudioRecord2;

class RecordingPipeline {
public:
    // The probe treats a file holding this many samples or more as one worth asking about.
    static constexpr int kProbeSamples = 8820;

    RecordingPipeline(TAudioRecord2 &recorder, TAudioFile2 &probeFile, TAudioFile2 &outputFile);

    // Opens `fileName` on the probe file; true when it holds fewer than kProbeSamples.
    bool ProbeIsFresh(const QString &fileName);

    // Creates the output file, sets the capture format from it and 200 ms blocks, starts
    // the device. Returns the block size; `deviceStarted` tells whether the device runs.
    int BeginCapture(const QString &fileName, bool *deviceStarted);

    // Starts the device again into the same file; false when it did not start.
    bool Resume();

    // Stops the device (every captured frame is written first). Returns the frames the
    // device captured since it was last started, by which the clock offset advances.
    int Pause();

    // Stops the device, completes the file and returns its length in samples.
    int Finish();

    // Writes the block the recorder just completed. False when the file refused it (the
    // reason is then in WriteErrorText()) or when it is no longer where it was created.
    bool WriteBlock();
    QString WriteErrorText() const;
    // Whether the last WriteBlock failed because the file was deleted or moved away.
    bool OutputGone() const { return outputGone_; }

private:
    TAudioRecord2 &recorder_;
    TAudioFile2 &probeFile_;
    TAudioFile2 &outputFile_;
    QString fileName_;
    bool outputGone_ = false;
};
