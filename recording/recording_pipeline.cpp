#include "recording/recording_pipeline.h"

#include "audio/audio_file2.h"
#include "audio/audio_record2.h"

#include <QFileInfo>

RecordingPipeline::RecordingPipeline(TAudioRecord2 &recorder, TAudioFile2 &probeFile,
                                     TAudioFile2 &outputFile)
    : recorder_(recorder), probeFile_(probeFile), outputFile_(outputFile) {}

bool RecordingPipeline::ProbeIsFresh(const QString &fileName) {
    probeFile_.OpenFile(fileName, 0, 1);
    const bool fresh = probeFile_.nSamples() < kProbeSamples;
    probeFile_.CloseFile();
    return fresh;
}

int RecordingPipeline::BeginCapture(const QString &fileName, bool *deviceStarted) {
    fileName_ = fileName;
    outputFile_.CreateFile(fileName, 0);
    recorder_.SetFormatArray(outputFile_.ArrayFrequency(), outputFile_.ArrayChannels());
    const int bufferSize = recorder_.SecToSamples(200);
    recorder_.setBufferSize(bufferSize);
    recorder_.StartDevice();
    *deviceStarted = recorder_.LastErrorNum() == 0;
    return bufferSize;
}

bool RecordingPipeline::Resume() {
    recorder_.StartDevice();
    return recorder_.LastErrorNum() == 0;
}

int RecordingPipeline::Pause() {
    // The recorder counts from 0 after every start, so the clock offset has to grow by
    // what this run captured (read after the stop, which hands on the last frames) for the
    // elapsed time to run on across the pause.
    recorder_.StopDevice();
    return recorder_.nSamplesCurrent();
}

int RecordingPipeline::Finish() {
    recorder_.StopDevice();
    const int samples = outputFile_.nSamples();
    outputFile_.CloseFile();
    return samples;
}

bool RecordingPipeline::WriteBlock() {
    const SampleArray block = recorder_.ReceiveArray();
    outputFile_.WriteFile(block);
    // Writes into a deleted file still succeed, into nothing: stop while little is lost.
    outputGone_ = !QFileInfo::exists(fileName_);
    return outputFile_.LastErrorNum() == 0 && !outputGone_;
}

QString RecordingPipeline::WriteErrorText() const {
    return outputFile_.LastErrorText();
}
