#include "recording/recording_controller.h"

#include "audio/audio_file2.h"
#include "audio/audio_record2.h"
#include "recording/output_naming.h"
#include "recording/pre_record_buffer.h"
#include "recording/recording_format.h"
#include "recording/recording_session.h"
#include "recording/voice_trigger.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// A start reaches back to the Record press or the sound's first frame, which the take takes
// over a little later (a new file is made first); the buffer keeps this much beyond the
// pre-record length.
constexpr int kMarginSeconds = 2;
// Positions are 32-bit: a stream left listening for hours starts afresh long before they
// would run over (the buffer refills within its length).
constexpr int kRestartFrames = 1 << 30;

QString joined(const QString &first, const QString &second) {
    if (first.isEmpty())
        return second;
    if (second.isEmpty())
        return first;
    return first + QStringLiteral("\n\n") + second;
}

}  // namespace

RecordingController::RecordingController(TAudioRecord2 &recorder, TAudioFile2 &probeFile,
                                         TAudioFile2 &outputFile, TAudioFile2LameEnc &encoder,
                                         const RecordingSettings &settings,
                                         const CaptureSettings &capture, QObject *parent)
    : QObject(parent),
      recorder_(recorder),
      probeFile_(probeFile),
      outputFile_(outputFile),
      encoder_(encoder),
      settings_(settings),
      capture_(capture),
      preRecord_(std::make_unique<PreRecordBuffer>()),
      voice_(std::make_unique<VoiceTrigger>()),
      session_(std::make_unique<RecordingSession>(recorder, probeFile, outputFile)) {
    session_->setPreRecordBuffer(preRecord_.get());
    connect(session_.get(), &RecordingSession::clockTicked, this, &RecordingController::tick);
    connect(session_.get(), &RecordingSession::failed, this,
            [this](const QString &message) { finishTake(message); });
    connect(session_.get(), &RecordingSession::startFailed, this, &RecordingController::abandon);
    connect(&recorder_, &TAudioRecord2::OnCaptureFinished, this,
            &RecordingController::afterCaptureFinished);
    connect(&recorder_, &TAudioRecord2::OnTimer, this, &RecordingController::idleTick);
    connect(&recorder_, &TAudioRecord2::OnFrames, this, &RecordingController::frames);
    connect(&recorder_, &TAudioRecord2::OnDeviceError, this,
            &RecordingController::idleDeviceFailed);
}

RecordingController::~RecordingController() = default;

void RecordingController::setState(State state) {
    if (state_ == state)
        return;
    state_ = state;
    Q_EMIT stateChanged(state);
}

void RecordingController::record() {
    switch (state_) {
        case State::Idle:
            // The pre-record seconds count back from the press.
            pressFrame_ = recorder_.nSamplesCurrent();
            if (!arm())
                startTake(false);
            break;
        case State::Armed:
            pressFrame_ = recorder_.nSamplesCurrent();
            startTake(false);
            break;
        case State::Paused:
            resume();
            break;
        case State::Pausing:
        case State::Stopping:
            recordAfterwards_ = true;
            break;
        case State::Starting:
        case State::Recording:
        case State::Holding:
            break;
    }
}

// Stop and Pause of a running take let the device hand on what it captured up to the press
// first (a sound server delivers in fragments, the last still on its way); whatever ends the
// take meanwhile (a failure, shutDown) ends the wait.
void RecordingController::pause() {
    if (state_ != State::Recording && state_ != State::Holding)
        return;
    if (recorder_.FinishCapture())
        doPause();
    else
        setState(State::Pausing);
}

void RecordingController::stop() {
    switch (state_) {
        case State::Armed:
            disarm();
            break;
        case State::Starting:
            answerOverwrite(false);
            break;
        case State::Recording:
        case State::Holding:
            if (recorder_.FinishCapture())
                finishTake();
            else
                setState(State::Stopping);
            break;
        case State::Pausing:
            setState(State::Stopping);
            break;
        case State::Paused:
            finishTake();
            break;
        case State::Idle:
        case State::Stopping:
            break;
    }
}

void RecordingController::afterCaptureFinished() {
    if (state_ == State::Pausing)
        doPause();
    else if (state_ == State::Stopping)
        finishTake();
}

void RecordingController::shutDown() {
    listeningAllowed_ = false;
    recordAfterwards_ = false;
    if (state_ == State::Armed)
        setState(State::Idle);
    stopListening();
    if (hasOpenFile())
        finishTake();
}

bool RecordingController::arm() {
    if (!capture_.voiceStart)
        return false;
    state_ = State::Armed;
    updateListening();
    if (!listening_) {
        // No input to wait on: record as without voice start, which reports why.
        state_ = State::Idle;
        return false;
    }
    Q_EMIT stateChanged(state_);
    return true;
}

void RecordingController::disarm() {
    setState(State::Idle);
    updateListening(true);
}

void RecordingController::startTake(bool voiced) {
    setState(State::Starting);
    applyFormat();
    earlierPartsSeconds_ = 0;
    session_->setEarlierPartsSeconds(0);
    recorder_.setTimerEnabled(true);

    QString format, error;
    const QString name = createFile(&format, &error);
    if (name.isEmpty()) {
        setState(State::Idle);
        Q_EMIT startFailed(error);
        updateListening();
        return;
    }
    fileName_ = name;
    Q_EMIT partStarted(fileName_, format);
    if (!session_->ProbeIsFresh(fileName_)) {
        voicedStart_ = voiced;
        Q_EMIT overwriteAsked(fileName_);
        return;
    }
    Q_EMIT takeStarted();
    beginPart(false, voiced);
}

void RecordingController::answerOverwrite(bool overwrite) {
    if (state_ != State::Starting)
        return;
    if (!overwrite) {
        finishTake();  // the file stays as it was
        return;
    }
    Q_EMIT takeStarted();
    beginPart(false, std::exchange(voicedStart_, false));
}

// The first free name in the save folder, made as an empty file of the settings' format, so
// that a folder that takes no new files says so before anything is recorded into nothing.
QString RecordingController::createFile(QString *format, QString *error) {
    const QString name = FirstFreeOutputName(settings_.SavePath, settings_.ext);
    if (!CreateSaveDirectory(settings_.SavePath, error))
        return QString();
    probeFile_.setWmaFormatEnabled(true);
    probeFile_.CreateFile(name, 0);
    if (probeFile_.LastErrorNum() != 0) {
        *error = probeFile_.LastErrorText();
        probeFile_.CloseFile();
        // The name was free: whatever the failed creation left there is ours to remove.
        QFile::remove(name);
        return QString();
    }
    // What is being recorded, as the writer describes it: an empty file can't tell a bitrate
    // or a quality that only its sound would show.
    *format = probeFile_.FormatString();
    probeFile_.CloseFile();
    return name;
}

void RecordingController::beginPart(bool nextPart, bool voiced) {
    const int64_t preRoll = nextPart ? -1 : takePreRoll(voiced);
    if (!session_->Begin(fileName_, nextPart, preRoll)) {
        abandon(session_->errorText());
        return;
    }
    streamStarted();
    setState(State::Recording);
}

// The device did not start, or failed before anything reached the file: neither the empty
// file nor the take is left behind.
void RecordingController::abandon(const QString &message) {
    session_->Abandon();
    earlierPartsSeconds_ = 0;
    recordAfterwards_ = false;
    recorder_.setTimerEnabled(false);
    setState(State::Idle);
    Q_EMIT startFailed(message);
    updateListening();
}

void RecordingController::finishTake(const QString &message, int closedSamples) {
    int samples = closedSamples;
    if (session_->isActive())
        samples = session_->Finish();
    else if (!listening_)
        recorder_.StopDevice();  // a split's capture runs on between the parts
    QString lost;
    // The frames a full file left over go into parts of their own.
    while (session_->hasOverflow()) {
        QString format, error;
        const QString name = createFile(&format, &error);
        if (name.isEmpty()) {
            session_->dropOverflow();
            lost = tr("The end of the recording was lost because no file could be made "
                      "for it: %1")
                       .arg(error);
            break;
        }
        Q_EMIT partFinished(fileName_, samples);
        fileName_ = name;
        Q_EMIT partStarted(fileName_, format);
        samples = session_->writeOverflowPart(fileName_);
    }
    const QString failure = joined(joined(session_->takeFailureText(), message), lost);
    earlierPartsSeconds_ = 0;
    lastTakeEnd_ = !failure.isEmpty()                        ? TakeEnd::Failed
                   : std::exchange(timeLimitReached_, false) ? TakeEnd::TimeLimit
                                                             : TakeEnd::Stopped;
    setState(State::Idle);
    Q_EMIT takeFinished(fileName_, samples, failure);
    updateListening();
    if (std::exchange(recordAfterwards_, false))
        QTimer::singleShot(0, this, &RecordingController::record);
}

void RecordingController::doPause() {
    if (!session_->Pause()) {
        finishTake();  // the last block could not be written
        return;
    }
    recorder_.setTimerEnabled(false);
    setState(State::Paused);
    if (std::exchange(recordAfterwards_, false))
        QTimer::singleShot(0, this, &RecordingController::record);
}

void RecordingController::resume() {
    recorder_.setTimerEnabled(true);
    if (!session_->Resume()) {
        finishTake(session_->errorText());
        return;
    }
    streamStarted();
    setState(State::Recording);
}

void RecordingController::tick(int position, int elapsedMs, int leftLevel, int rightLevel) {
    Q_EMIT clockTicked(position, elapsedMs, leftLevel, rightLevel);
    if (state_ != State::Recording)
        return;  // a stop or pause is under way
    // The limits compare whole seconds as the time display shows them; a total below one
    // second shows as 0 h 0 m 0 s, whatever the display showed before.
    const int shown = std::max(elapsedMs, 0);
    const ClockLimits limits{settings_.RecordTime, settings_.flgSplit, settings_.SplitTime,
                             earlierPartsSeconds_};
    switch (EvaluateClock(limits, shown / 3600000, shown / 60000 % 60, shown / 1000 % 60)) {
        case ClockAction::AutoStop:
            timeLimitReached_ = true;
            finishTake();
            break;
        case ClockAction::Split:
            split(false);
            break;
        case ClockAction::None:
            // An auto stop or split also takes the frames a full file left over; only
            // without one does the full file call for a part of its own.
            if (session_->hasOverflow())
                split(true);
            break;
    }
}

// Closes the part and goes straight on in the next file; the capture runs on, so the parts
// join without a lost or repeated frame. After an auto split the clock counts the finished
// parts' time; after a full file the session's own offset carries it on.
void RecordingController::split(bool full) {
    const QString finished = fileName_;
    const int samples = session_->FinishPart(full ? RecordingSession::PartEnd::FileFull
                                                  : RecordingSession::PartEnd::SplitTime);
    if (!full)
        earlierPartsSeconds_ += settings_.SplitTime;
    const QString failure = session_->takeFailureText();
    if (!failure.isEmpty()) {
        // The part's last block could not be written: the take ends here, listed once.
        finishTake(failure, samples);
        return;
    }
    QString format, error;
    const QString next = createFile(&format, &error);
    if (next.isEmpty()) {
        finishTake(error, samples);
        return;
    }
    Q_EMIT partFinished(finished, samples);
    fileName_ = next;
    Q_EMIT partStarted(fileName_, format);
    session_->setEarlierPartsSeconds(earlierPartsSeconds_);
    beginPart(true, false);
    if (full && state_ == State::Recording)
        Q_EMIT fileFull(finished, fileName_);
}

void RecordingController::applyFormat() {
    ApplyRecordingFormat(settings_, outputFile_, encoder_);
    ApplyRecordingFormat(settings_, probeFile_, encoder_);
}

void RecordingController::setListeningAllowed(bool allowed) {
    listeningAllowed_ = allowed;
    updateListening();
}

void RecordingController::setPlaybackRunning(bool running) {
    if (std::exchange(playbackRunning_, running) != running)
        updateListening();
}

void RecordingController::updateListening(bool restart) {
    const bool armed = state_ == State::Armed;
    // The level bars and the spectrum belong to a playback while it runs.
    const bool wanted = listeningAllowed_ && !takeRunning() &&
                        (armed || (capture_.listensWhileIdle() && !playbackRunning_));
    if (listening_ && (!wanted || restart))
        stopListening();
    // Level bars and spectrum take the input in at their ticks; an armed voice start decides
    // on every delivery as it comes.
    recorder_.setDrainOnDelivery(!listening_ || armed);
    if (!wanted || listening_)
        return;

    applyFormat();
    recorder_.SetFormatArray(outputFile_.ArrayFrequency(), outputFile_.ArrayChannels());
    const StreamFormat format = recorder_.captureFormat();
    recorder_.setBufferSize(recorder_.SecToSamples(200));
    preRecord_->reset((capture_.preRecordSeconds + kMarginSeconds) * format.frequency,
                      format.channels);
    voice_->configure(capture_.voiceLevelDb, int64_t(capture_.silenceSeconds) * format.frequency);
    voice_->restart(false);
    recorder_.StartDevice();
    if (recorder_.LastErrorNum() != 0)
        return;  // no input to listen to; Record reports the reason when pressed
    recorder_.setTimerEnabled(true);
    recorder_.setDrainOnDelivery(armed);
    listening_ = true;
    Q_EMIT listeningChanged(true);
}

void RecordingController::stopListening() {
    if (!listening_)
        return;
    listening_ = false;
    recorder_.StopDevice();
    recorder_.setDrainOnDelivery(true);
    preRecord_->clear();
    Q_EMIT listeningChanged(false);
}

void RecordingController::idleTick() {
    if (listening_ && state_ != State::Armed && recorder_.nSamplesCurrent() > kRestartFrames)
        updateListening(true);
}

void RecordingController::idleDeviceFailed() {
    // The idle stream failed: stay quiet until the options or the device change.
    if (!listening_)
        return;
    listening_ = false;
    Q_EMIT listeningChanged(false);
    if (state_ == State::Armed)
        disarm();
}

// The take takes the listening stream over (or closes it); the frame it is to start from,
// -1 for a stream of its own.
int64_t RecordingController::takePreRoll(bool voiced) {
    if (!listening_)
        return -1;
    listening_ = false;
    recorder_.setDrainOnDelivery(true);
    // Everything captured so far goes to the buffer, so it ends where the next block starts.
    recorder_.FlushBlock();
    const int64_t keep = int64_t(capture_.preRecordSeconds) * recorder_.captureFormat().frequency;
    if (voiced)
        return std::max<int64_t>(0, voiceFrame_ - keep);
    if (keep == 0)
        return -1;  // only the level was shown: the take starts at the press, as ever
    return std::max<int64_t>(0, pressFrame_ - keep);
}

// A take's stream (re)started or was taken over: silence is counted from here on.
void RecordingController::streamStarted() {
    voice_->configure(capture_.voiceLevelDb,
                      int64_t(capture_.silenceSeconds) * recorder_.captureFormat().frequency);
    voice_->restart(true, recorder_.nSamplesCurrent());
}

void RecordingController::frames(const int16_t *samples, int count, qint64 firstFrame) {
    const bool armed = state_ == State::Armed && listening_;
    const bool pausing =
        capture_.voicePause && (state_ == State::Recording || state_ == State::Holding);
    if (!armed && !pausing)
        return;
    voice_->feed(samples, count, recorder_.captureFormat().channels, firstFrame,
                 [this](VoiceTrigger::Event event, int64_t frame) {
                     // Not inside the recorder's delivery: a start creates files.
                     QTimer::singleShot(0, this, [this, event, frame] {
                         if (event == VoiceTrigger::Event::Sound)
                             voiceSound(frame);
                         else
                             voiceSilence();
                     });
                 });
}

void RecordingController::voiceSound(int64_t frame) {
    voiceFrame_ = frame;
    if (state_ == State::Armed && listening_) {
        // The start reaches back to the crossing itself; this is how late it was decided.
        voiceStartDelayMs_ =
            recorder_.SamplesToSec(static_cast<int>(recorder_.nSamplesCurrent() - frame));
        startTake(true);
        return;
    }
    if (state_ != State::Holding)
        return;
    const int64_t keep = int64_t(capture_.preRecordSeconds) * recorder_.captureFormat().frequency;
    recorder_.FlushBlock();
    if (!session_->Release(std::max<int64_t>(0, frame - keep))) {
        finishTake();
        return;
    }
    setState(State::Recording);
}

void RecordingController::voiceSilence() {
    if (state_ != State::Recording)
        return;
    // What came before the decision stays in the file: the silence time is the hangover.
    recorder_.FlushBlock();
    session_->Hold();
    setState(State::Holding);
}
