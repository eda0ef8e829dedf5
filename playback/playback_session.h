// One playback from its start to its stop: the file being played, the position offset at
// which the output device's current run began, and the 200 ms blocks read from the file and
// queued on the player, two ahead. The window starts, pauses, seeks and stops it, and shows
// what it reports.
#pragma once

#include <QObject>
#include <QString>

class TAudioFile2;
class TAudioPlayer2;

class PlaybackSession : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,     // no file open
        Playing,  // the device plays from the open file
        Paused,   // the file stays open, the device is stopped
    };
    enum class OpenResult { Opened, OpenFailed, NoSamples };

    PlaybackSession(TAudioPlayer2 &player, TAudioFile2 &file, QObject *parent = nullptr);

    State state() const { return state_; }
    // The file open for playing; empty when idle.
    QString fileName() const { return state_ == State::Idle ? QString() : fileName_; }
    // The file was renamed on disk while open: the open file keeps playing under its new name.
    void fileRenamed(const QString &from, const QString &to) {
        if (fileName_ == from)
            fileName_ = to;
    }

    // Fresh start: opens `fileName`, sets the player's format and block length, and seeks
    // to `sliderValue` thousandths of the length; StartSamples() is the position reached.
    // OpenFailed leaves the file component's reason in errorText().
    OpenResult Open(const QString &fileName, int sliderValue);
    // Starts the output (after Open, or on a paused playback at the paused position) and
    // queues two blocks. False when the device did not start: the file is closed, the session
    // idle and errorText() says why.
    bool Start();
    // Stops the output, keeping the file open; the offset advances by what was heard.
    void Pause();
    // Re-positions a running playback at `sliderValue` thousandths and restarts the output;
    // false when the device did not start again (then as for Start).
    bool Reposition(int sliderValue);
    // Stops the output and closes the file; the offset goes back to 0.
    void Stop();
    // Closes the file of a paused playback, keeping the offset (a press on the slider).
    void CloseFile();

    // The position in the file at which the device's current run began.
    int StartSamples() const { return startSamples_; }
    int BufferSize() const { return bufferSize_; }
    QString errorText() const { return errorText_; }

Q_SIGNALS:
    // Every tick of the player's timer while playing: the position in the file in samples
    // (offset included) and the levels.
    void ticked(int position, int leftLevel, int rightLevel);
    // Everything in the file has been heard.
    void ended();
    // The device failed while playing; it is stopped already.
    void failed(const QString &reason);
    // The device failed before anything was heard: the start failed after all (a sound
    // server opens streams in the background).
    void startFailed(const QString &message);

private:
    void loadBlock();
    void tick(int position, int leftLevel, int rightLevel);
    void endOfData();
    void deviceFailed(const QString &reason);
    bool startDevice();
    QString deviceMessage(const QString &reason) const;

    TAudioPlayer2 &player_;
    TAudioFile2 &file_;
    State state_ = State::Idle;
    QString fileName_;
    int startSamples_ = 0;
    int bufferSize_ = 0;
    bool heardSomething_ = false;
    QString errorText_;
};
