#include "app/command_line.h"

#include "app/files_in.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <limits>

namespace {

const QString kRecord = QStringLiteral("record");
const QString kFor = QStringLiteral("for");
const QString kFormat = QStringLiteral("format");
const QString kInput = QStringLiteral("input");
const QString kStop = QStringLiteral("stop");
const QString kPause = QStringLiteral("pause");
const QString kToggle = QStringLiteral("toggle-record");
const QString kStatus = QStringLiteral("status");
const QString kNewInstance = QStringLiteral("new-instance");

// The formats a recording can be made in, by the names users know them by.
std::optional<QString> extensionOfFormat(const QString &name) {
    const QString lower = name.toLower();
    for (const char *known : {"mp3", "wav", "wma", "flac", "opus", "ogg"})
        if (lower == QLatin1String(known))
            return QLatin1Char('.') + lower;
    if (lower == QLatin1String("vorbis"))
        return QStringLiteral(".ogg");
    return std::nullopt;
}

}  // namespace

void describeCommandLine(QCommandLineParser &parser) {
    parser.setApplicationDescription(
        QStringLiteral("Records and plays sound from any input of the sound server.\n\n"
                       "A second start hands its files and commands to the program already "
                       "running, and exits."));
    parser.addOptions({
        {kRecord, QStringLiteral("Starts a recording (or resumes a paused one).")},
        {kFor,
         QStringLiteral("With --record: stops the recording after DURATION, such as 90m, "
                        "1h30m or 45s."),
         QStringLiteral("DURATION")},
        {kFormat,
         QStringLiteral("With --record: records in FORMAT (mp3, wav, wma, flac, opus or ogg) "
                        "instead of the format set in Options, for this run."),
         QStringLiteral("FORMAT")},
        {kInput,
         QStringLiteral("With --record: records from the input device or application whose "
                        "name is or contains NAME."),
         QStringLiteral("NAME")},
        {kStop, QStringLiteral("Stops the recording or the playback.")},
        {kPause, QStringLiteral("Pauses the recording or the playback.")},
        {kToggle, QStringLiteral("Starts a recording, or stops the one under way (for a keyboard "
                                 "shortcut).")},
        {kStatus,
         QStringLiteral("Prints the state, the file and the elapsed time; exit code 0 while a "
                        "recording runs, 1 when none does, 2 when the program is not running.")},
        {kNewInstance, QStringLiteral("Runs a copy of its own, even when one is running.")},
    });
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Audio files to open, each listed as File > Open lists it; the last "
                       "one becomes the current file."),
        QStringLiteral("[FILE...]"));
}

CommandLine readCommandLine(const QStringList &arguments, const QString &workingDir) {
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.addHelpOption();
    parser.addVersionOption();
    // Qt's own options (-platform offscreen) are taken out before; anything else unknown is
    // left alone, as it always was.
    parser.parse(arguments);
    CommandLine line;
    line.files = commandLineFiles(parser.positionalArguments(), workingDir);
    line.newInstance = parser.isSet(kNewInstance);
    const std::pair<const QString &, CommandLine::Action> actions[] = {
        {kRecord, CommandLine::Action::Record}, {kStop, CommandLine::Action::Stop},
        {kPause, CommandLine::Action::Pause},   {kToggle, CommandLine::Action::ToggleRecord},
        {kStatus, CommandLine::Action::Status},
    };
    int given = 0;
    for (const auto &[name, action] : actions)
        if (parser.isSet(name)) {
            line.action = action;
            ++given;
        }
    if (given > 1) {
        line.error = QStringLiteral(
            "Give one of --record, --stop, --pause, --toggle-record and "
            "--status at a time.");
        return line;
    }
    const bool records = line.action == CommandLine::Action::Record ||
                         line.action == CommandLine::Action::ToggleRecord;
    for (const QString &option : {kFor, kFormat, kInput})
        if (parser.isSet(option) && !records) {
            line.error = QStringLiteral("--%1 goes with --record or --toggle-record.").arg(option);
            return line;
        }
    if (parser.isSet(kFor)) {
        const std::optional<int> seconds = parseDuration(parser.value(kFor));
        if (!seconds) {
            line.error = QStringLiteral("Not a duration: \"%1\" (try 90m, 1h30m or 45s).")
                             .arg(parser.value(kFor));
            return line;
        }
        line.forSeconds = *seconds;
    }
    if (parser.isSet(kFormat)) {
        const std::optional<QString> ext = extensionOfFormat(parser.value(kFormat));
        if (!ext) {
            line.error = QStringLiteral("Unknown format \"%1\" (mp3, wav, wma, flac, opus or ogg).")
                             .arg(parser.value(kFormat));
            return line;
        }
        line.format = *ext;
    }
    line.input = parser.value(kInput);
    return line;
}

std::optional<int> parseDuration(const QString &text) {
    static const QRegularExpression whole(
        QStringLiteral(
            "^\\s*(?:(\\d+)\\s*h)?\\s*(?:(\\d+)\\s*m(?:in)?)?\\s*(?:(\\d+)\\s*s?)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = whole.match(text);
    if (!match.hasMatch() || text.trimmed().isEmpty())
        return std::nullopt;
    // "90" is seconds; "1h30" is not a form users write, and reads as 1 h 30 s.
    qint64 seconds = 0;
    const int unitSeconds[] = {3600, 60, 1};
    for (int i = 0; i < 3; ++i) {
        const QString digits = match.captured(i + 1);
        if (digits.isEmpty())
            continue;
        if (digits.size() > 6)
            return std::nullopt;
        seconds += digits.toLongLong() * unitSeconds[i];
    }
    if (seconds <= 0 || seconds > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(seconds);
}
