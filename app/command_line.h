// What the program's command line asks for: files to open, and the commands that scripts and
// the desktop's keyboard shortcuts send (record, stop, pause, toggle, status). The same
// reading serves a start of the program and a command handed to the copy already running.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

struct CommandLine {
    enum class Action { None, Record, Stop, Pause, ToggleRecord, Status };

    QStringList files;  // full paths, in the order given
    Action action = Action::None;
    int forSeconds = 0;  // --for: the recording stops by itself after this long; 0: it does not
    QString format;      // --format, as a file extension with its dot (".flac"); empty: as set
    QString input;       // --input: the input device or application, by (part of) its name
    bool newInstance = false;
    QString error;  // what was wrong with the arguments; nothing else is then valid
};

// Declares the program's options and its FILE argument, for reading and for --help.
void describeCommandLine(QCommandLineParser &parser);

// Reads `arguments` (the program's name first) as describeCommandLine() declares them;
// relative file names are taken from `workingDir`.
CommandLine readCommandLine(const QStringList &arguments, const QString &workingDir);

// "90m", "1h30m", "45s", "2h", "1h 30m 10s" or a plain number of seconds; nothing for text
// that is none of these, or for no time at all.
std::optional<int> parseDuration(const QString &text);
