#include "playback/playback_session.h"

#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/units.h"
#include "playback/read_ahead.h"

#include <QMetaObject>

#include <algorithm>
#include <utility>

PlaybackSession::PlaybackSession(TAudioPlayer2 &player, TAudioFile2 &file, QObject *parent)
    : QObject(parent), player_(player), file_(file) {
    // The reader only posts; the blocks are taken here, on this object's thread.
    reader_ = std::make_unique<ReadAhead>(
        [this] { QMetaObject::invokeMethod(this, &PlaybackSession::serve, Qt::QueuedConnection); });
    // Every finished block and every request for data is answered with one more block.
    connect(&player_, &TAudioPlayer2::OnEndArrayPlay, this, &PlaybackSession::loadBlock);
    connect(&player_, &TAudioPlayer2::OnRequestOnLoadArray, this, &PlaybackSession::loadBlock);
    connect(&player_, &TAudioPlayer2::OnEndPlay, this, &PlaybackSession::endOfData);
    connect(&player_, &TAudioPlayer2::OnTimer, this, &PlaybackSession::tick);
    connect(&player_, &TAudioPlayer2::OnDeviceError, this, &PlaybackSession::deviceFailed);
}

// The reader thread ends before this object stops taking its calls.
PlaybackSession::~PlaybackSession() {
    reader_.reset();
}

PlaybackSession::OpenResult PlaybackSession::Open(const QString &fileName, int sliderValue) {
    errorText_.clear();
    file_.OpenFile(fileName, 0, 1);
    if (file_.LastErrorNum() != 0) {
        errorText_ = file_.LastErrorText();
        return OpenResult::OpenFailed;
    }
    fileName_ = fileName;
    startSamples_ = 0;
    length_ = file_.nSamples();
    if (length_ <= 0)
        return OpenResult::NoSamples;
    player_.SetFormatArray(file_.ArrayFrequency(), file_.ArrayChannels());
    bufferSize_ = player_.SecToSamples(200);
    startSamples_ = positionAt(sliderValue);
    newGeneration();
    reader_->open(fileName, bufferSize_, startSamples_, length_, generation_);
    state_ = State::Opening;
    return OpenResult::Opened;
}

bool PlaybackSession::Start() {
    if (state_ == State::Idle)
        return false;
    if (player_.isRunning())
        return true;
    if (state_ == State::Paused) {
        // What was read ahead but not heard before the pause is read again.
        newGeneration();
        reader_->seek(startSamples_, generation_);
        state_ = State::Seeking;
    }
    return startDevice();
}

bool PlaybackSession::startDevice() {
    errorText_.clear();
    player_.StartDevice();
    if (player_.LastErrorNum() != 0) {
        errorText_ = deviceMessage(player_.LastErrorText());
        closeFile();
        return false;
    }
    loadBlock();
    loadBlock();
    return true;
}

void PlaybackSession::Pause() {
    if (!running())
        return;
    const int played = player_.nSamplesCurrent();
    player_.StopDevice();
    newGeneration();
    startSamples_ += played;
    state_ = State::Paused;
}

bool PlaybackSession::Reposition(int sliderValue) {
    if (!running())
        return true;
    player_.StopDevice();
    startSamples_ = positionAt(sliderValue);
    newGeneration();
    reader_->seek(startSamples_, generation_);
    state_ = State::Seeking;
    return startDevice();
}

void PlaybackSession::Stop() {
    player_.StopDevice();
    closeFile();
    startSamples_ = 0;
}

void PlaybackSession::CloseFile() {
    closeFile();
}

void PlaybackSession::closeFile() {
    file_.CloseFile();
    newGeneration();
    reader_->close(generation_);
    state_ = State::Idle;
}

bool PlaybackSession::running() const {
    return state_ == State::Opening || state_ == State::Playing || state_ == State::Seeking ||
           state_ == State::Draining;
}

// Whatever was asked for or read before is of no use any more.
void PlaybackSession::newGeneration() {
    ++generation_;
    owed_ = 0;
    readError_.clear();
}

int PlaybackSession::positionAt(int sliderValue) const {
    return std::clamp(MulDiv(sliderValue, length_, 1000), 0, length_);
}

void PlaybackSession::loadBlock() {
    // Once the end is queued the player needs nothing more.
    if (!running() || state_ == State::Draining)
        return;
    ++owed_;
    serve();
}

// Hands the player as many decoded blocks as it asked for; what the reader does not have
// yet follows when it arrives.
void PlaybackSession::serve() {
    while (owed_ > 0 && running() && state_ != State::Draining) {
        std::unique_ptr<ReadAhead::Block> block = reader_->take(generation_);
        if (!block) {
            reader_->want();
            return;
        }
        --owed_;
        if (block->end) {
            readError_ = block->error;
            state_ = State::Draining;
            player_.SendArray(SampleArray());  // an empty block marks the end
            return;
        }
        if (state_ != State::Playing) {
            // The first block of a run says where the reader really got to.
            startSamples_ = static_cast<int>(block->start);
            state_ = State::Playing;
        }
        player_.SendArray(SampleArray(block->channels, std::move(block->samples)));
    }
}

void PlaybackSession::tick(int position, int leftLevel, int rightLevel) {
    if (running())
        Q_EMIT ticked(position + startSamples_, leftLevel, rightLevel);
}

void PlaybackSession::endOfData() {
    if (state_ != State::Draining)
        return;
    const QString error = std::exchange(readError_, QString());
    Stop();
    if (error.isEmpty())
        Q_EMIT ended();
    else
        Q_EMIT readFailed(tr("%1 stopped playing early. %2").arg(fileName_, error));
}

void PlaybackSession::deviceFailed(const QString &reason) {
    if (!running())
        return;
    if (player_.nSamplesCurrent() == 0)
        Q_EMIT startFailed(deviceMessage(reason));
    else
        Q_EMIT failed(reason);
}

QString PlaybackSession::deviceMessage(const QString &reason) const {
    return tr("%1 could not be played because the sound device could not be "
              "opened: %2")
        .arg(fileName_, reason);
}
