// One recording from its start to its stop: the output file, the clock with its own sample
// offset, and the capture blocks on their way from the recorder into the file. The recording
// controller starts, pauses, splits and stops it and decides on the clock's limits; no block
// passes through the window.
//
// A file that can hold no more (a WAV at its 4 GB limit) takes the frames that still fit; the
// rest wait in the session, which asks for a new part at the next tick. The next part begins
// with them, so the parts join without a lost or repeated frame, and the clock runs on as if
// the file had not changed.
#pragma once

#include "audio/sample_array.h"
#include "recording/recording_clock.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <utility>

class PreRecordBuffer;
class TAudioFile2;
class TAudioRecord2;
class TakeJournal;

class RecordingSession : public QObject {
    Q_OBJECT
public:
    // The probe treats a file holding this many samples or more as one worth asking about.
    static constexpr int kProbeSamples = 8820;

    // Why a part ended: the auto split, or the file could hold no more.
    enum class PartEnd { SplitTime, FileFull };

    enum class State {
        Idle,       // no output file open
        Recording,  // the device captures into the open file
        Paused,     // the file stays open, the device is stopped
        Held,       // voice pause: the device captures on, blocks go to the pre-record buffer
    };

    RecordingSession(TAudioRecord2 &recorder, TAudioFile2 &probeFile, TAudioFile2 &outputFile,
                     QObject *parent = nullptr);

    State state() const { return state_; }
    bool isActive() const { return state_ != State::Idle; }
    // The output file of the current or the last recording.
    QString fileName() const { return fileName_; }

    // Blocks that reach no file (idle capture, voice pause) are kept here; null: dropped.
    void setPreRecordBuffer(PreRecordBuffer *buffer) { preRecord_ = buffer; }
    // Lists each output file from its creation to its close, so a crash leaves a note of it;
    // null: none kept.
    void setTakeJournal(TakeJournal *journal) { journal_ = journal; }

    // Opens `fileName` on the probe file; true when it holds fewer than kProbeSamples.
    bool ProbeIsFresh(const QString &fileName);

    // Creates the output file, takes the capture format from it and 200 ms blocks, and starts
    // the device. A fresh recording starts its clock at zero; the next part of a split keeps
    // counting. False when the device did not start: the session is idle again, the reason
    // is in errorText() and the file is still there (Abandon removes it).
    // With `preRollFrom` >= 0 and the device already capturing in the file's format, the
    // stream goes on: the pre-record buffer's frames from stream frame `preRollFrom` are
    // written first and the device's next block follows them, so nothing is missing or
    // repeated at the join; the clock counts the pre-recorded frames.
    bool Begin(const QString &fileName, bool nextPart, int64_t preRollFrom = -1);
    // Voice pause: the device goes on capturing, but into the pre-record buffer.
    void Hold();
    // Ends a voice pause: the buffered frames from stream frame `fromFrame` on (as many as
    // were captured since the hold) go into the file, then the live blocks. False when the
    // write failed (the recording is to stop; takeFailureText() says why).
    bool Release(int64_t fromFrame);
    // Starts the device again into the same file; false (the reason in errorText()) when it
    // did not start, the file still open.
    bool Resume();
    // Stops the device; the frames it still held are written first and the clock offset
    // advances by what this run captured. False when that last write failed: takeFailureText()
    // says why and the caller is to stop the recording.
    bool Pause();
    // Stops the device, completes the file and returns its length in samples. The clock and
    // the finished parts go back to zero. A failed last write is kept for takeFailureText().
    int Finish();
    // Like Finish, for a split: the device runs on, so that the next Begin goes on from the
    // last frame of this part. After a full file the clock goes on counting this part's
    // frames; after an auto split it starts again, and the owner counts the finished parts in
    // setEarlierPartsSeconds.
    int FinishPart(PartEnd reason = PartEnd::SplitTime);
    // Frames that did not fit into the last file and wait for the next part.
    bool hasOverflow() const { return !overflow_.isEmpty(); }
    void dropOverflow() { overflow_ = SampleArray(); }
    // After Finish, when the file filled up just before the stop: creates `fileName` and puts
    // as much of the waiting frames into it as it holds (call again while hasOverflow()).
    // Returns its length in samples; a failure drops the frames and is kept for
    // takeFailureText().
    int writeOverflowPart(const QString &fileName);
    // A start that failed: closes the output file and removes it, and forgets the clock.
    void Abandon();

    // Whole seconds of the auto-split parts finished before the current one; the elapsed
    // time a tick reports adds them.
    void setEarlierPartsSeconds(int seconds) { earlierPartsSeconds_ = seconds; }

    // Sample offset the clock adds to the recorder's position (0 after a stop).
    int StartSamples() const { return startSamples_; }
    // The recording's elapsed time, as the clock shows it, at the recorder's frame `frame`
    // of the current part.
    int ClockMsAt(int64_t frame) const;
    // Frames the output file dropped because its writer fell too far behind, over the
    // session's whole life (a recording takes the difference), as gaps and frames.
    int64_t writerGapCount() const { return writerGapCount_; }
    int64_t writerGapFrames() const { return writerGapFrames_; }
    int BufferSize() const { return bufferSize_; }
    QString errorText() const { return errorText_; }
    // Why the last write inside a pause, a stop or a split failed, once; empty when it did
    // not.
    QString takeFailureText() { return std::exchange(failureText_, QString()); }

Q_SIGNALS:
    // A captured block went into the file.
    void blockWritten(int nBlock);
    // Every tick of the recorder's timer while recording: the position in samples within
    // this part (offset included), the elapsed time of the whole recording in milliseconds
    // (finished parts included) and the levels.
    // While the file can hold no more (hasOverflow()), a new part is to begin at a tick:
    // FinishPart(PartEnd::FileFull), then Begin with `nextPart`.
    void clockTicked(int position, int elapsedMs, int leftLevel, int rightLevel);
    // The output file's writer fell behind and dropped `frames` frames at `atMs` of the
    // recording: a gap, reported like those of the capture; with `continues` they lengthen
    // the last such gap.
    void writerGap(int atMs, qint64 frames, bool continues);
    // The recording cannot go on (the file refused a block, or the device failed): the device
    // is stopped and what was written is kept. The window finishes the recording and shows
    // `message`.
    void failed(const QString &message);
    // The device failed before anything reached the file: the start failed after all.
    void startFailed(const QString &reason);

private:
    void writeBlock(int nBlock);
    bool write(const SampleArray &block);
    bool writeToFile(const SampleArray &block);
    int64_t noteWriterGaps();  // the frames newly dropped
    bool writeOverflow();
    bool writePreRoll(int64_t fromFrame);
    void continueClock();
    void tick(int position, int leftLevel, int rightLevel);
    void deviceFailed(const QString &reason);
    void stopDevice(bool keepCapturing);
    int closeOutput(bool keepCapturing);
    void openOutputFile(const QString &fileName);
    void closeOutputFile();
    QString writeFailureMessage() const;

    TAudioRecord2 &recorder_;
    TAudioFile2 &probeFile_;
    TAudioFile2 &outputFile_;
    int earlierPartsSeconds_ = 0;
    State state_ = State::Idle;
    QString fileName_;
    int startSamples_ = 0;
    int bufferSize_ = 0;
    PreRecordBuffer *preRecord_ = nullptr;
    TakeJournal *journal_ = nullptr;
    QString journalled_;           // the output file as listed in the journal, while open
    int64_t framesWritten_ = 0;    // frames in the current part's file
    SampleArray overflow_;         // frames the full file could not take, for the next part
    int64_t fullPartsFrames_ = 0;  // frames of the full files since the last auto split
    bool stoppingDevice_ = false;  // inside Pause/Finish: the last block is being written
    bool writeFailed_ = false;
    size_t writerRunsSeen_ = 0;  // of the current file's DroppedRuns
    int64_t writerLastRunFrames_ = 0;
    int64_t writerGapCount_ = 0;
    int64_t writerGapFrames_ = 0;
    QString errorText_;
    QString failureText_;
};
