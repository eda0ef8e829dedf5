// The commands that come from outside the window (a script, a desktop keyboard shortcut, a
// second start of the program) carried out on it through the same handlers its buttons use,
// and the state it answers --status with.
#pragma once

#include "app/command_line.h"

#include <QObject>
#include <QString>

class TForm1;
struct RecordingSettings;

class WindowCommands : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        int exitCode = 0;
        QString output;  // for the terminal the command came from; may be empty
    };

    WindowCommands(TForm1 &window, RecordingSettings &settings);

    // Opens the files, then carries out the action. A start without an action (or with
    // files) brings the window to the front.
    Outcome run(const CommandLine &line);

    // "state: …", "file: …" and, while a take runs, "elapsed: h:mm:ss"; exit code 0 while a
    // recording runs (paused too), 1 otherwise.
    Outcome status() const;

private:
    Outcome record(const CommandLine &line);
    bool chooseInput(const QString &name, QString *error);
    void raiseWindow();
    bool takeUnderWay() const;
    void clockTicked(int elapsedMs);

    TForm1 &window_;
    RecordingSettings &settings_;
    int stopAfterMs_ = 0;    // the take started by --record --for stops at this time; 0: never
    int lastElapsedMs_ = 0;  // a clock that goes back means another take began
};
