#include "playback/playback_session.h"

#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/units.h"

PlaybackSession::PlaybackSession(TAudioPlayer2 &player, TAudioFile2 &file, QObject *parent)
    : QObject(parent), player_(player), file_(file) {
    // Every finished block and every request for data is answered with one more block.
    connect(&player_, &TAudioPlayer2::OnEndArrayPlay, this, &PlaybackSession::loadBlock);
    connect(&player_, &TAudioPlayer2::OnRequestOnLoadArray, this, &PlaybackSession::loadBlock);
    connect(&player_, &TAudioPlayer2::OnEndPlay, this, &PlaybackSession::endOfData);
    connect(&player_, &TAudioPlayer2::OnTimer, this, &PlaybackSession::tick);
    connect(&player_, &TAudioPlayer2::OnDeviceError, this, &PlaybackSession::deviceFailed);
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
    if (file_.nSamples() <= 0)
        return OpenResult::NoSamples;
    player_.SetFormatArray(file_.ArrayFrequency(), file_.ArrayChannels());
    bufferSize_ = player_.SecToSamples(200);
    startSamples_ = file_.SeekFile(MulDiv(sliderValue, file_.nSamples(), 1000), 3);
    return OpenResult::Opened;
}

bool PlaybackSession::Start() {
    if (state_ == State::Playing)
        return true;
    // What was read ahead but not heard before the pause is read again.
    if (state_ == State::Paused)
        file_.SeekFile(startSamples_, 3);
    return startDevice();
}

bool PlaybackSession::startDevice() {
    errorText_.clear();
    player_.StartDevice();
    if (player_.LastErrorNum() != 0) {
        errorText_ = deviceMessage(player_.LastErrorText());
        file_.CloseFile();
        state_ = State::Idle;
        return false;
    }
    state_ = State::Playing;
    loadBlock();
    loadBlock();
    return true;
}

void PlaybackSession::Pause() {
    if (state_ != State::Playing)
        return;
    const int played = player_.nSamplesCurrent();
    player_.StopDevice();
    startSamples_ += played;
    state_ = State::Paused;
}

bool PlaybackSession::Reposition(int sliderValue) {
    if (state_ != State::Playing)
        return true;
    player_.StopDevice();
    startSamples_ = file_.SeekFile(MulDiv(sliderValue, file_.nSamples(), 1000), 3);
    return startDevice();
}

void PlaybackSession::Stop() {
    player_.StopDevice();
    file_.CloseFile();
    state_ = State::Idle;
    startSamples_ = 0;
}

void PlaybackSession::CloseFile() {
    file_.CloseFile();
    state_ = State::Idle;
}

void PlaybackSession::loadBlock() {
    // An empty read tells the player the data ended.
    if (state_ == State::Playing)
        player_.SendArray(file_.ReadFile(bufferSize_));
}

void PlaybackSession::tick(int position, int leftLevel, int rightLevel) {
    if (state_ == State::Playing)
        Q_EMIT ticked(position + startSamples_, leftLevel, rightLevel);
}

void PlaybackSession::endOfData() {
    if (state_ == State::Playing)
        Q_EMIT ended();
}

void PlaybackSession::deviceFailed(const QString &reason) {
    if (state_ != State::Playing)
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
