#include "recording/recording_session.h"

#include "audio/audio_file2.h"
#include "audio/audio_record2.h"
#include "recording/pre_record_buffer.h"
#include "recording/take_journal.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

RecordingSession::RecordingSession(TAudioRecord2 &recorder, TAudioFile2 &probeFile,
                                   TAudioFile2 &outputFile, QObject *parent)
    : QObject(parent), recorder_(recorder), probeFile_(probeFile), outputFile_(outputFile) {
    // The block handler only queues each block; encoding runs beside the GUI thread.
    outputFile_.setBackgroundWriting(true);
    connect(&recorder_, &TAudioRecord2::OnEndArrayRecord, this, &RecordingSession::writeBlock);
    connect(&recorder_, &TAudioRecord2::OnTimer, this, &RecordingSession::tick);
    connect(&recorder_, &TAudioRecord2::OnDeviceError, this, &RecordingSession::deviceFailed);
}

bool RecordingSession::ProbeIsFresh(const QString &fileName) {
    probeFile_.OpenFile(fileName, 0, 1);
    const bool fresh = probeFile_.nSamples() < kProbeSamples;
    probeFile_.CloseFile();
    return fresh;
}

bool RecordingSession::Begin(const QString &fileName, bool nextPart, int64_t preRollFrom) {
    fileName_ = fileName;
    errorText_.clear();
    failureText_.clear();
    writeFailed_ = false;
    startSamples_ = 0;
    if (!nextPart) {
        earlierPartsSeconds_ = 0;
        overflow_ = SampleArray();
        fullPartsFrames_ = 0;
    }

    openOutputFile(fileName);
    if (outputFile_.LastErrorNum() != 0) {
        errorText_ = tr("The recording could not be started because %1 could not be "
                        "created: %2")
                         .arg(fileName, outputFile_.LastErrorText());
        return false;
    }
    framesWritten_ = 0;
    writerRunsSeen_ = 0;
    if (!writeOverflow()) {
        errorText_ = takeFailureText();
        closeOutputFile();
        return false;
    }
    const int rate = outputFile_.ArrayFrequency();
    const int channels = outputFile_.ArrayChannels();
    if (preRollFrom >= 0 && preRecord_ && recorder_.capturesIn(rate, channels)) {
        bufferSize_ = recorder_.BufferSize();
        state_ = State::Recording;
        if (!writePreRoll(preRollFrom)) {
            errorText_ = takeFailureText();
            recorder_.StopDevice();
            closeOutputFile();
            state_ = State::Idle;
            return false;
        }
        return true;
    }
    if (nextPart && preRecord_)
        preRecord_->clear();  // the part's frames are numbered afresh
    // The next part of a split takes over the running capture where the last part ended.
    // Idle capture, or a capture in another format, can't go on into this file: the
    // recording opens its own stream.
    if (!nextPart || !recorder_.capturesIn(rate, channels)) {
        recorder_.StopDevice();
        recorder_.SetFormatArray(rate, channels);
    }
    bufferSize_ = recorder_.SecToSamples(200);
    recorder_.setBufferSize(bufferSize_);
    recorder_.StartDevice();
    if (recorder_.LastErrorNum() != 0) {
        errorText_ = tr("The recording could not be started because the sound "
                        "device could not be opened: %1")
                         .arg(recorder_.LastErrorText());
        closeOutputFile();
        return false;
    }
    // After a full file the clock goes on: the recorder counts from zero again, and the frames
    // before it are those of the full files and those waiting for this one.
    startSamples_ = static_cast<int>(fullPartsFrames_ + framesWritten_ + overflow_.frames());
    state_ = State::Recording;
    return true;
}

void RecordingSession::Hold() {
    if (state_ != State::Recording)
        return;
    state_ = State::Held;
}

bool RecordingSession::Release(int64_t fromFrame) {
    if (state_ != State::Held)
        return state_ == State::Recording;
    state_ = State::Recording;
    return writePreRoll(fromFrame);
}

// Writes what the buffer holds from `fromFrame` on; the device's next block follows it.
bool RecordingSession::writePreRoll(int64_t fromFrame) {
    bool ok = true;
    if (preRecord_) {
        const SampleArray preRoll = preRecord_->since(fromFrame);
        preRecord_->clear();
        if (!preRoll.isEmpty()) {
            stoppingDevice_ = true;  // a failure is kept for the caller, not signalled
            ok = write(preRoll);
            stoppingDevice_ = false;
        }
    }
    continueClock();
    return ok;
}

// The clock shows the recorder's position plus the offset; on a stream that goes on, the
// offset makes that the frames in the file plus those not yet handed on in a block.
void RecordingSession::continueClock() {
    startSamples_ = static_cast<int>(framesWritten_ - recorder_.framesDelivered());
}

bool RecordingSession::Resume() {
    if (state_ != State::Paused)
        return state_ == State::Recording;
    recorder_.StartDevice();
    if (recorder_.LastErrorNum() != 0) {
        errorText_ = tr("The recording was stopped because the sound device could "
                        "not be started again: %1\n\nEverything recorded until "
                        "then was kept in %2.")
                         .arg(recorder_.LastErrorText(), fileName_);
        return false;
    }
    state_ = State::Recording;
    return true;
}

bool RecordingSession::Pause() {
    if (state_ == State::Held) {
        stoppingDevice_ = true;
        recorder_.StopDevice();
        stoppingDevice_ = false;
        if (preRecord_)
            preRecord_->clear();
        startSamples_ = static_cast<int>(framesWritten_);
        state_ = State::Paused;
        return !writeFailed_;
    }
    if (state_ != State::Recording)
        return !writeFailed_;
    // The recorder counts from 0 after every start, so the offset grows by what this run
    // captured (read after the stop, which hands on the last frames) for the elapsed time to
    // run on across the pause.
    stopDevice(false);
    startSamples_ += recorder_.nSamplesCurrent();
    state_ = State::Paused;
    return !writeFailed_;
}

int RecordingSession::Finish() {
    const int samples = closeOutput(false);
    earlierPartsSeconds_ = 0;
    fullPartsFrames_ = 0;
    return samples;
}

int RecordingSession::FinishPart(PartEnd reason) {
    const int samples = closeOutput(true);
    if (reason == PartEnd::FileFull)
        fullPartsFrames_ += framesWritten_;
    else
        fullPartsFrames_ = 0;
    return samples;
}

int RecordingSession::writeOverflowPart(const QString &fileName) {
    fileName_ = fileName;
    openOutputFile(fileName);
    if (outputFile_.LastErrorNum() != 0) {
        if (failureText_.isEmpty())
            failureText_ = tr("The end of the recording was lost because %1 could not be "
                              "created: %2")
                               .arg(fileName, outputFile_.LastErrorText());
        overflow_ = SampleArray();
        return 0;
    }
    framesWritten_ = 0;
    writerRunsSeen_ = 0;
    bool ok = writeOverflow();
    outputFile_.FlushWrites();
    if (ok && outputFile_.LastErrorNum() != 0) {
        ok = false;
        if (failureText_.isEmpty())
            failureText_ = writeFailureMessage();
    }
    if (!ok)
        overflow_ = SampleArray();  // nowhere left to put them
    const int samples = outputFile_.nSamples();
    closeOutputFile();
    return samples;
}

void RecordingSession::openOutputFile(const QString &fileName) {
    outputFile_.CreateFile(fileName, 0);
    if (journal_ && outputFile_.LastErrorNum() == 0) {
        journal_->opened(fileName);
        journalled_ = fileName;
    }
}

void RecordingSession::closeOutputFile() {
    outputFile_.CloseFile();
    if (journal_ && !journalled_.isEmpty()) {
        journal_->closed(journalled_);
        journalled_.clear();
    }
}

void RecordingSession::Abandon() {
    recorder_.StopDevice();
    closeOutputFile();
    overflow_ = SampleArray();
    fullPartsFrames_ = 0;
    if (!fileName_.isEmpty())
        QFile::remove(fileName_);
    state_ = State::Idle;
    startSamples_ = 0;
    earlierPartsSeconds_ = 0;
}

// Stops the device (or, between split parts, ends the part while the capture runs on), which
// hands on its last frames, and waits until they are in the file; a failure of any block still
// queued becomes this routine's failure.
void RecordingSession::stopDevice(bool keepCapturing) {
    stoppingDevice_ = true;
    if (keepCapturing)
        recorder_.EndPart();
    else
        recorder_.StopDevice();
    stoppingDevice_ = false;
    if (state_ == State::Idle)
        return;
    outputFile_.FlushWrites();
    if (outputFile_.LastErrorNum() != 0 && !writeFailed_) {
        writeFailed_ = true;
        failureText_ = writeFailureMessage();
    }
}

int RecordingSession::closeOutput(bool keepCapturing) {
    stopDevice(keepCapturing);
    const int samples = state_ == State::Idle ? 0 : outputFile_.nSamples();
    closeOutputFile();
    state_ = State::Idle;
    startSamples_ = 0;
    return samples;
}

void RecordingSession::writeBlock(int nBlock) {
    if ((state_ == State::Idle || state_ == State::Held) && preRecord_) {
        preRecord_->push(recorder_.ReceiveArray(), recorder_.framesDelivered());
        return;
    }
    if (state_ != State::Recording || writeFailed_)
        return;  // the block is not fetched: it is dropped
    if (write(recorder_.ReceiveArray()))
        Q_EMIT blockWritten(nBlock);
}

// The frames a full file left over go first into the new part, as far as it holds them.
bool RecordingSession::writeOverflow() {
    if (overflow_.isEmpty())
        return true;
    const SampleArray waiting = std::exchange(overflow_, SampleArray());
    const bool wasStopping = std::exchange(stoppingDevice_, true);  // the caller reports
    const bool ok = write(waiting);
    stoppingDevice_ = wasStopping;
    return ok;
}

bool RecordingSession::write(const SampleArray &block) {
    if (!overflow_.isEmpty()) {
        // The file is full: the block waits behind the others for the next part.
        std::vector<int16_t> &waiting = overflow_.samples();
        waiting.insert(waiting.end(), block.samples().begin(), block.samples().end());
        return true;
    }
    const int64_t capacity = outputFile_.FrameCapacity();
    const int64_t room = std::max<int64_t>(capacity - framesWritten_, 0);
    if (capacity > 0 && block.frames() > room) {
        const auto cut = block.samples().begin() + room * block.channels();
        overflow_ = SampleArray(block.channels(), std::vector<int16_t>(cut, block.samples().end()));
        if (room == 0)
            return true;
        return writeToFile(
            SampleArray(block.channels(), std::vector<int16_t>(block.samples().begin(), cut)));
    }
    return writeToFile(block);
}

bool RecordingSession::writeToFile(const SampleArray &block) {
    outputFile_.WriteFile(block);
    // Also fails once the file was found deleted: writes into it would go into nothing.
    if (outputFile_.LastErrorNum() == 0) {
        framesWritten_ += block.frames() - noteWriterGaps();
        return true;
    }
    writeFailed_ = true;
    if (stoppingDevice_) {
        // Inside a pause, stop or split: the routine under way ends the recording itself.
        failureText_ = writeFailureMessage();
        return false;
    }
    recorder_.StopDevice();
    Q_EMIT failed(writeFailureMessage());
    return false;
}

// The writer was too far behind to take all of a block: what it dropped is a gap at its place
// in the file, the file going on with the frames after it.
int64_t RecordingSession::noteWriterGaps() {
    const std::vector<TAudioFile2::DroppedRun> runs = outputFile_.DroppedRuns();
    int64_t dropped = 0;
    // The last run seen may have grown: the writer was still behind at this block.
    for (size_t i = writerRunsSeen_ > 0 ? writerRunsSeen_ - 1 : 0; i < runs.size(); ++i) {
        const bool continues = i + 1 == writerRunsSeen_;
        const int64_t frames = runs[i].frames - (continues ? writerLastRunFrames_ : 0);
        writerLastRunFrames_ = runs[i].frames;
        if (frames <= 0)
            continue;
        writerGapCount_ += continues ? 0 : 1;
        writerGapFrames_ += frames;
        dropped += frames;
        const int64_t frame = fullPartsFrames_ + runs[i].at;
        Q_EMIT writerGap(ClockMilliseconds(recorder_.SamplesToSec(static_cast<int>(frame)),
                                           earlierPartsSeconds_),
                         frames, continues);
    }
    writerRunsSeen_ = runs.size();
    return dropped;
}

int RecordingSession::ClockMsAt(int64_t frame) const {
    return ClockMilliseconds(recorder_.SamplesToSec(static_cast<int>(frame + startSamples_)),
                             earlierPartsSeconds_);
}

QString RecordingSession::writeFailureMessage() const {
    // A recording must never go on silently losing data: say what was kept.
    if (!QFileInfo::exists(fileName_))
        return tr("The recording was stopped because %1 was deleted or moved away "
                  "while it was being recorded.")
            .arg(fileName_);
    return tr("The recording was stopped because %1 could not be written: %2\n\n"
              "Everything recorded before that was kept.")
        .arg(fileName_, outputFile_.LastErrorText());
}

void RecordingSession::tick(int position, int leftLevel, int rightLevel) {
    if (state_ != State::Recording)
        return;
    const int samples = position + startSamples_;
    const int elapsedMs = ClockMilliseconds(recorder_.SamplesToSec(samples), earlierPartsSeconds_);
    Q_EMIT clockTicked(samples, elapsedMs, leftLevel, rightLevel);
}

void RecordingSession::deviceFailed(const QString &reason) {
    if (state_ != State::Recording && state_ != State::Held)
        return;
    // The recorder has stopped the device and handed on what it held. Nothing in the file
    // yet means the device never delivered: the start failed (a sound server opens streams
    // in the background and can refuse one after the start looked fine).
    if (outputFile_.nSamples() == 0) {
        Q_EMIT startFailed(tr("The recording could not be started because the "
                              "sound device could not be opened: %1")
                               .arg(reason));
        return;
    }
    Q_EMIT failed(tr("The recording was stopped because the sound device stopped: "
                     "%1\n\nEverything recorded until then was kept in %2.")
                      .arg(reason, fileName_));
}
