// One playback from its start to its stop: the file being played, the position offset at
// which the output device's current run began, and the blocks of it queued on the player.
// The window starts, pauses, seeks and stops it, and shows what it reports.
//
// The window's thread never decodes: Open probes the file (its format and length) with the
// window's file component, and a reader thread (read_ahead.h) decodes the blocks a short time
// ahead. Each request of the player is answered with a decoded block at once when one waits,
// or as soon as the reader has one. Every command that makes what was read ahead useless
// (seek, pause, stop) starts a new generation, whose blocks alone are played.
//
// GUI thread only.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class ReadAhead;
class TAudioFile2;
class TAudioPlayer2;

class PlaybackSession : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,      // no file open
        Opening,   // the file is probed; the reader opens it and decodes the first block
        Playing,   // the device plays blocks from the reader
        Paused,    // the device is stopped; the reader keeps the file open
        Seeking,   // the device runs, waiting for the first block from a new position
        Draining,  // the reader reached the end; the device plays out what it was given
    };
    enum class OpenResult { Opened, OpenFailed, NoSamples };

    PlaybackSession(TAudioPlayer2 &player, TAudioFile2 &file, QObject *parent = nullptr);
    ~PlaybackSession() override;

    State state() const { return state_; }
    // The file open for playing; empty when idle.
    QString fileName() const { return state_ == State::Idle ? QString() : fileName_; }
    // The file was renamed on disk while open: the open file keeps playing under its new name.
    void fileRenamed(const QString &from, const QString &to) {
        if (fileName_ == from)
            fileName_ = to;
    }

    // Fresh start: probes `fileName`, sets the player's format and block length, and has the
    // reader open it at `sliderValue` thousandths of the length; StartSamples() is that
    // position. OpenFailed leaves the file component's reason in errorText().
    OpenResult Open(const QString &fileName, int sliderValue);
    // Starts the output (after Open, or on a paused playback at the paused position) and
    // asks for two blocks. False when the device did not start: the file is closed, the
    // session idle and errorText() says why.
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

    // The position in the file at which the device's current run began (the position the
    // reader reached once its first block of the run has arrived).
    int StartSamples() const { return startSamples_; }
    int BufferSize() const { return bufferSize_; }
    QString errorText() const { return errorText_; }

Q_SIGNALS:
    // Every tick of the player's timer while the device runs: the position in the file in
    // samples (offset included) and the levels.
    void ticked(int position, int leftLevel, int rightLevel);
    // Everything in the file has been heard; the session is idle again. Raised once.
    void ended();
    // Reading stopped before the end of the file (it vanished, is damaged or was cut short);
    // what was read has been heard and the session is idle again. Raised instead of ended().
    void readFailed(const QString &message);
    // The device failed while playing; it is stopped already.
    void failed(const QString &reason);
    // The device failed before anything was heard: the start failed after all (a sound
    // server opens streams in the background).
    void startFailed(const QString &message);

private:
    bool running() const;
    void newGeneration();
    void loadBlock();
    void serve();
    void tick(int position, int leftLevel, int rightLevel);
    void endOfData();
    void deviceFailed(const QString &reason);
    bool startDevice();
    void closeFile();
    int positionAt(int sliderValue) const;
    QString deviceMessage(const QString &reason) const;

    TAudioPlayer2 &player_;
    TAudioFile2 &file_;
    std::unique_ptr<ReadAhead> reader_;
    State state_ = State::Idle;
    QString fileName_;
    int startSamples_ = 0;
    int bufferSize_ = 0;
    int length_ = 0;
    int generation_ = 0;
    int owed_ = 0;  // blocks the player asked for that the reader had not decoded yet
    QString readError_;
    QString errorText_;
};
