// One take from Record to its last part: choosing and creating the output files, the session
// that writes them, the clock's auto stop and auto split with the time of the earlier parts,
// pre-record, voice start and voice pause, and the input captured while no take runs
// ("listening", for the pre-record buffer, voice start and the level shown while stopped).
//
// Commands come in (record, pause, stop, the answer to the overwrite question); the state and
// what happened go out as signals, which the window shows. Nothing here waits: a stop or
// pause that needs the device's last captured frames is a state of its own until they came,
// and the overwrite question is asked by a signal and answered by answerOverwrite().
#pragma once

#include "recording/recording_clock.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class PreRecordBuffer;
class RecordingSession;
class TAudioFile2;
class TAudioFile2LameEnc;
class TAudioRecord2;
class VoiceTrigger;
struct CaptureSettings;
struct RecordingSettings;

class RecordingController : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,       // no take; the input may be listened to all the same (isListening())
        Armed,      // voice start: Record waits for sound; the input is listened to
        Starting,   // the output file is being made, or holds sound already and
                    // overwriteAsked() waits for answerOverwrite()
        Recording,  // captured frames go into the output file
        Holding,    // voice pause: the take goes on, the silence stays out of the file
        Paused,     // the file stays open, the device is stopped
        Pausing,    // Pause waits for the device to hand on what it captured up to the press
        Stopping,   // Stop waits likewise; the take ends once the frames are in the file
    };
    Q_ENUM(State)

    // The settings are read at every start and tick; none of them is written here.
    RecordingController(TAudioRecord2 &recorder, TAudioFile2 &probeFile, TAudioFile2 &outputFile,
                        TAudioFile2LameEnc &encoder, const RecordingSettings &settings,
                        const CaptureSettings &capture, QObject *parent = nullptr);
    ~RecordingController() override;

    State state() const { return state_; }
    // From Record (or the sound of a voice start) to the end of the last part.
    bool takeRunning() const { return state_ != State::Idle && state_ != State::Armed; }
    // A take whose output file is confirmed and open (paused or not).
    bool hasOpenFile() const { return takeRunning() && state_ != State::Starting; }
    bool isListening() const { return listening_; }
    // The output file of the current or the last part.
    QString fileName() const { return fileName_; }
    // Whole seconds of the auto-split parts finished in this take.
    int earlierPartsSeconds() const { return earlierPartsSeconds_; }
    // How long after the sound crossed the start level the last voice start ran, in ms.
    int lastVoiceStartDelayMs() const { return voiceStartDelayMs_; }
    RecordingSession &session() const { return *session_; }

    // Idle: starts a take, or arms when voice start is on; Armed: starts at once; Paused:
    // resumes; Pausing/Stopping: runs once that has finished. Otherwise nothing.
    void record();
    void pause();
    // Ends the take (or disarms, or declines the overwrite question).
    void stop();
    // The window's answer to overwriteAsked().
    void answerOverwrite(bool overwrite);
    // The window closes: the take ends now, without waiting for the device's last frames,
    // and nothing is listened to any more.
    void shutDown();

    // Listening needs a shown window; a playback that runs takes the level display over.
    void setListeningAllowed(bool allowed);
    void setPlaybackRunning(bool running);
    // The capture options or the input format changed: listening starts afresh.
    void restartListening() { updateListening(true); }

    // How the last take ended: stopped by the user, by the time limit, or by a failure.
    enum class TakeEnd { Stopped, TimeLimit, Failed };
    TakeEnd lastTakeEnd() const { return lastTakeEnd_; }

Q_SIGNALS:
    void stateChanged(RecordingController::State state);
    // The input began or ceased to be captured while no take runs.
    void listeningChanged(bool listening);
    // A take's first file is about to receive sound (gaps and clipping count from here).
    void takeStarted();
    // A new output file was made: `format` describes what it will hold.
    void partStarted(const QString &path, const QString &format);
    // A part before the last one is complete: `samples` long.
    void partFinished(const QString &path, int samples);
    // A WAV file reached its size limit and the take went on without a gap in `next`.
    void fileFull(const QString &full, const QString &next);
    // The output file holds sound already: answerOverwrite() says whether to record over it.
    void overwriteAsked(const QString &path);
    // The take ended with its last part `path`, `samples` long (-1: nothing was recorded into
    // it). `failure`: why it ended early or lost something; empty when it did not.
    void takeFinished(const QString &path, int samples, const QString &failure);
    // The take ended before anything was recorded: `message` says why; a file made for it is
    // removed again.
    void startFailed(const QString &message);
    // Every recording tick: the position in samples within the part, the elapsed time of the
    // whole take in milliseconds and the levels.
    void clockTicked(int position, int elapsedMs, int leftLevel, int rightLevel);

private:
    void setState(State state);
    bool arm();
    void disarm();
    void startTake(bool voiced);
    QString createFile(QString *format, QString *error);
    void beginPart(bool nextPart, bool voiced);
    void abandon(const QString &message);
    void finishTake(const QString &message = QString(), int closedSamples = -1);
    void doPause();
    void resume();
    // `full`: the file could hold no more, rather than the auto split being due.
    void split(bool full);
    void afterCaptureFinished();
    void applyFormat();
    void tick(int position, int elapsedMs, int leftLevel, int rightLevel);
    void updateListening(bool restart = false);
    void stopListening();
    void idleTick();
    void idleDeviceFailed();
    int64_t takePreRoll(bool voiced);
    void streamStarted();
    void frames(const int16_t *samples, int frames, qint64 firstFrame);
    void voiceSound(int64_t frame);
    void voiceSilence();

    TAudioRecord2 &recorder_;
    TAudioFile2 &probeFile_;
    TAudioFile2 &outputFile_;
    TAudioFile2LameEnc &encoder_;
    const RecordingSettings &settings_;
    const CaptureSettings &capture_;
    std::unique_ptr<PreRecordBuffer> preRecord_;
    std::unique_ptr<VoiceTrigger> voice_;
    std::unique_ptr<RecordingSession> session_;
    State state_ = State::Idle;
    QString fileName_;
    int earlierPartsSeconds_ = 0;
    bool recordAfterwards_ = false;  // Record pressed while a pause or stop waited
    bool voicedStart_ = false;       // the take waiting in Starting began with sound
    bool listeningAllowed_ = false;
    bool playbackRunning_ = false;
    bool listening_ = false;
    int64_t pressFrame_ = 0;  // stream frame at the last Record press
    int64_t voiceFrame_ = 0;  // stream frame of the last voice event
    int voiceStartDelayMs_ = -1;
    TakeEnd lastTakeEnd_ = TakeEnd::Stopped;
    bool timeLimitReached_ = false;  // the take being finished reached the auto stop
};
