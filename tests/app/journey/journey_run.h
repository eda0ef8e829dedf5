// One journey: a fresh folder and program start on the virtual card, then the steps, each
// taken as a user's click or key reaches the window, each followed by a comparison of the
// window with the model. The first difference ends the journey and is its failure.
#pragma once

#include "tests/app/journey/journey_model.h"
#include "tests/app/journey/journey_steps.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioBackend;
class TForm1;
class TRenameForm;
class QWidget;

namespace journey {

struct Failure {
    int step = -1;  // index into the steps; -1 before the first
    QString what;
};

class JourneyRun {
public:
    explicit JourneyRun(AudioBackend &backend);
    ~JourneyRun();
    JourneyRun(const JourneyRun &) = delete;
    JourneyRun &operator=(const JourneyRun &) = delete;

    std::optional<Failure> run(const std::vector<Step> &steps);
    // Prints each step with the window's and the model's state after it.
    void setTrace(bool on) { trace_ = on; }

private:
    void startProgram();
    void closeProgram();

    // The steps; each leaves a failure text in failure_ when the window did wrong.
    void take(const Step &step);
    void record(const Step &step);
    void pause(const Step &step);
    void stop(const Step &step);
    void play(const Step &step);
    void moveSlider(const Step &step);
    // Clicks row `choice` modulo the rows there are; its index, or -1 with no rows.
    int clickRow(uint32_t choice);
    // The window finished a part or an auto-stopped take that the model has not followed.
    bool recordingMovedOn();
    void traceStep(const Step &step);
    void rename(const Step &step);
    void deleteFromDisk(const Step &step);
    void applyTitle(const Step &step);
    void open(const Step &step);
    void mute();
    void volume(const Step &step);
    void format(const Step &step);
    void autoStop(const Step &step);
    void autoSplit(const Step &step);
    void restart();

    // Transport commands as the bar, the menu or the keyboard give them.
    void transport(int barCode, uint32_t source);
    void showFileInfo();
    // Runs the event loop until `done` holds; a failure when it does not within `ms`.
    bool settle(const std::function<bool()> &done, const QString &what, int ms = 5000);
    // Follows what happens by itself: a playback's end, an auto stop, auto split parts.
    void followTheWindow();
    void followTheRecording();
    void finishRecordingInModel();
    // The window against the model.
    void compare();
    void compareTags();
    // What the card heard first of `file`, played from `startPermille` (-1: not known).
    void checkHeard(const QString &sinkPath, const QString &file, int startPermille);
    bool lineMuted() const;
    QString look() const;
    void fail(const QString &what);
    void answerModals();

    AudioBackend &backend_;
    QTemporaryDir dir_;
    QString preparedDir_;
    std::unique_ptr<TForm1> window_;
    std::unique_ptr<TRenameForm> renameForm_;
    Model model_;
    QString failure_;
    // Message boxes seen during the current step, and whether the step expects any.
    QStringList messages_;
    bool messagesExpected_ = false;
    bool loadedByStep_ = false;  // the step loaded the tag editor: its fields show the file
    bool trace_ = false;
    std::function<void(QWidget *)> onDialog_;
    QTimer modalPoll_;
    std::vector<QPointer<QWidget>> answered_;
    QElapsedTimer modalSince_;  // since the dialog now open was answered
    int sinkCount_ = 0;
    int stepIndex_ = 0;
};

}  // namespace journey
