// Program entry: the application, the main window and its long-lived companions.
#include "app/after_first_paint.h"
#include "app/command_line.h"
#include "app/deferred_icon_style.h"
#include "app/scripted_run.h"
#include "app/single_instance.h"
#include "app/tform1.h"
#include "app/ui_language.h"
#include "app/window_commands.h"
#include "audio/devices/audio_backend.h"
#include "extras/desktop_notifier.h"
#include "extras/show_in_folder.h"
#include "extras/sleep_inhibitor.h"
#include "files/rename_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

namespace {

void print(std::FILE *stream, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// What can be answered before any window system is needed, so that it works in a terminal
// without a display: --help and --version, a command line that makes no sense, and anything
// for a copy of the program already running, which gets it over the session bus. Other
// arguments (Qt's own, such as -platform) are left to QApplication; an option nobody knows is
// ignored, as it always was. Gives the exit code when the program should stop here.
std::optional<int> answerCommandLine(int argc, char **argv) {
    const QCoreApplication probe(argc, argv);
    QCommandLineParser parser;
    describeCommandLine(parser);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.parse(QCoreApplication::arguments());
    // --help-all comes with the help option; Qt's own options are not listed here either.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    const CommandLine line = readCommandLine(QCoreApplication::arguments(), QDir::currentPath());
    if (!line.error.isEmpty()) {
        print(stderr, line.error + QLatin1Char('\n'));
        return 1;
    }
    if (line.newInstance)
        return std::nullopt;
    const QString probeBus = QStringLiteral("korvanta-probe");
    std::optional<int> exitCode;
    {
        const QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, probeBus);
        if (single_instance::isRunning(bus)) {
            if (const auto outcome = single_instance::handOver(bus, QCoreApplication::arguments(),
                                                               QDir::currentPath())) {
                print(stdout, outcome->output);
                exitCode = outcome->exitCode;
            } else if (single_instance::isRunning(bus)) {
                print(stderr, QStringLiteral("The running Korvanta Sound Recorder does not "
                                             "answer.\n"));
                exitCode = 1;
            }
        }
    }
    QDBusConnection::disconnectFromBus(probeBus);
    // Asked whether a recording runs where no copy runs at all.
    if (!exitCode && line.action == CommandLine::Action::Status) {
        print(stdout, QStringLiteral("state: not running\n"));
        exitCode = 2;
    }
    return exitCode;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication::setApplicationName(QStringLiteral("korvanta-recorder"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVANTA_VERSION));
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;

    std::thread soundLibrary = startLoadingAudioBackend();
    QApplication app(argc, argv);
    QApplication::setStyle(new DeferredIconStyle);
    InstallTranslations(app);
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanta Sound Recorder"));

    // The sound backend outlives the window and everything that plays or records through it.
    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    if (soundLibrary.joinable())
        soundLibrary.join();
    // Keeps the computer awake while a recording runs; the buses are opened at the first
    // recording, not at start.
    SleepInhibitor sleepInhibitor([] { return QDBusConnection::sessionBus(); },
                                  [] { return QDBusConnection::systemBus(); });
    // The recording-format and listening settings, read from setup.ini by the window and
    // shared by it with the recording and the dialogs.
    RecordingSettings recordingSettings;
    CaptureSettings captureSettings;
    TForm1 window(*backend, recordingSettings, captureSettings);
    WindowCommands commands(window, recordingSettings);
    // Read once QApplication has taken its own options (-platform offscreen) out of the
    // arguments, so that their values are not taken for files.
    const CommandLine line = readCommandLine(QCoreApplication::arguments(), QDir::currentPath());
    InstanceService instance(commands);
    if (!line.newInstance && !instance.publish(QDBusConnection::sessionBus())) {
        // Another copy took the name since the check at start: it gets this start's command.
        if (const auto outcome =
                single_instance::handOver(QDBusConnection::sessionBus(),
                                          QCoreApplication::arguments(), QDir::currentPath())) {
            print(stdout, outcome->output);
            return outcome->exitCode;
        }
    }
    window.setSleepInhibitor(&sleepInhibitor);
    // A take that ends by itself behind other windows is told to the desktop; files are shown
    // in the file manager.
    DesktopNotifier notifier([] { return QDBusConnection::sessionBus(); });
    FolderShower folders(
        [] { return QDBusConnection::sessionBus(); },
        [](const QString &folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    window.setDesktopServices(&notifier, &folders);
    // The equaliser, recording filter and rename dialogs are built once the window is on the
    // screen; until then the commands that open them do nothing.
    std::unique_ptr<TfrmEQ> eqForm;
    std::unique_ptr<TfrmRecFlt> recFltForm;
    std::unique_ptr<TRenameForm> renameForm;
    new AfterFirstPaint(&window, [&] {
        eqForm = std::make_unique<TfrmEQ>(*window.AudioPlayer1, window.chEqualizer(), &window);
        window.setEqualizerForm(eqForm.get());
        recFltForm = std::make_unique<TfrmRecFlt>(*window.AudioRecord1, &window);
        window.setRecordingFilterForm(recFltForm.get());
        renameForm = std::make_unique<TRenameForm>(&window);
        window.setRenameForm(renameForm.get());
    });
    // For tests and benchmarks that start the program: the takes go into this folder.
    if (const QString folder = qEnvironmentVariable("KORVANTA_RECORD_FOLDER"); !folder.isEmpty())
        recordingSettings.SavePath = QDir(folder).absolutePath() + QLatin1Char('/');
    if (!startScriptedRun(window, recordingSettings))
        window.show();
    // Files named on the command line open as File > Open opens them, in their order, and
    // its command runs, once the window is up; a message about one of them then has a window
    // to stand on.
    QTimer::singleShot(0, &window, [&window, &commands, line] {
        const WindowCommands::Outcome outcome = commands.run(line);
        if (line.action != CommandLine::Action::None)
            print(stdout, outcome.output);
        reportListIfAsked(window);
    });
    // For the start-up benchmark: leave at the first turn of the event loop after show().
    if (qEnvironmentVariableIsSet("KORVANTA_EXIT_AFTER_SHOW"))
        QTimer::singleShot(0, &app, [] { std::_Exit(0); });
    // For the installed-package test, which has no keyboard to press: set the auto-stop limit
    // to the given number of seconds, record, and close the window after that time as a user
    // would, which finishes the file and writes the limit, changed in this run, to setup.ini.
    // Unset, nothing changes.
    if (const int seconds = qEnvironmentVariableIntValue("KORVANTA_RECORD_AND_CLOSE");
        seconds > 0) {
        window.TimerTip->stop();
        recordingSettings.RecordTime = std::min(seconds, 86400);
        QTimer::singleShot(0, &window, [&window] { window.Record1->trigger(); });
        QTimer::singleShot(std::min(seconds, 86400) * 1000, &window, &QWidget::close);
    }
    return QApplication::exec();
}
