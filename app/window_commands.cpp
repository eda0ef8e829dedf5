#include "app/window_commands.h"

#include "app/tform1.h"
#include "recording/recording_session.h"
#include "settings/recording_settings.h"
#include "widgets/nct_time_display2.h"

#include <QComboBox>

WindowCommands::WindowCommands(TForm1 &window, RecordingSettings &settings)
    : QObject(&window), window_(window), settings_(settings) {
    connect(&window_.recordingSession(), &RecordingSession::clockTicked, this,
            [this](int, int elapsedMs, int, int) { clockTicked(elapsedMs); });
}

WindowCommands::Outcome WindowCommands::run(const CommandLine &line) {
    if (!line.files.isEmpty())
        window_.openPaths(line.files);
    switch (line.action) {
        case CommandLine::Action::None:
            raiseWindow();
            return {};
        case CommandLine::Action::Record:
            return record(line);
        case CommandLine::Action::ToggleRecord:
            if (!takeUnderWay())
                return record(line);
            window_.Stop1Click();
            return status();
        case CommandLine::Action::Stop:
            window_.Stop1Click();
            return status();
        case CommandLine::Action::Pause:
            window_.Pause1Click();
            return status();
        case CommandLine::Action::Status:
            return status();
    }
    return {};
}

bool WindowCommands::takeUnderWay() const {
    return window_.flgRecord || window_.isWaitingForSound();
}

WindowCommands::Outcome WindowCommands::record(const CommandLine &line) {
    if (window_.flgRecord && !window_.flgPauseRecord) {
        Outcome outcome = status();
        outcome.output.prepend(QStringLiteral("A recording is already under way.\n"));
        return outcome;
    }
    if (!window_.flgPauseRecord) {
        QString error;
        if (!line.input.isEmpty() && !chooseInput(line.input, &error))
            return {1, error};
        // Kept for the rest of this run, so that the parts of a split take share the format;
        // not saved unless the Options dialog saves it.
        if (!line.format.isEmpty())
            settings_.ext = line.format;
    }
    window_.Record1Click();
    stopAfterMs_ = line.forSeconds * 1000;
    lastElapsedMs_ = 0;
    if (!takeUnderWay() && !window_.flgRecord)
        return {1, QStringLiteral("The recording did not start: %1\n").arg(window_.statusPanel(0))};
    return status();
}

// The input list holds the devices and the applications that play; a name given in full
// wins over one that only contains it.
bool WindowCommands::chooseInput(const QString &name, QString *error) {
    QComboBox *const inputs = window_.DeviceComboIn;
    int found = inputs->findText(name, Qt::MatchFixedString);
    if (found < 0)
        found = inputs->findText(name, Qt::MatchContains);
    if (found < 0) {
        QStringList names;
        for (int i = 0; i < inputs->count(); ++i)
            names << QStringLiteral("  ") + inputs->itemText(i);
        *error = QStringLiteral("No input is called \"%1\". The inputs are:\n%2\n")
                     .arg(name, names.join(QLatin1Char('\n')));
        return false;
    }
    inputs->setCurrentIndex(found);
    window_.DeviceComboInClick();
    return true;
}

void WindowCommands::clockTicked(int elapsedMs) {
    if (elapsedMs < lastElapsedMs_)
        stopAfterMs_ = 0;  // the timed take ended and the user started another
    lastElapsedMs_ = elapsedMs;
    if (stopAfterMs_ > 0 && elapsedMs >= stopAfterMs_ && window_.flgRecord) {
        stopAfterMs_ = 0;
        window_.Stop1Click();
    }
}

WindowCommands::Outcome WindowCommands::status() const {
    QString state = QStringLiteral("stopped");
    if (window_.flgRecord)
        state = window_.flgPauseRecord ? QStringLiteral("recording paused")
                                       : QStringLiteral("recording");
    else if (window_.isWaitingForSound())
        state = QStringLiteral("waiting for sound");
    else if (window_.flgPlay)
        state = window_.flgPause ? QStringLiteral("playback paused") : QStringLiteral("playing");
    QString text = QStringLiteral("state: %1\n").arg(state);
    const QString file = window_.flgPlay && !window_.flgRecord ? window_.CurrentPlayFile()
                                                               : window_.currentFileName();
    if (!file.isEmpty())
        text += QStringLiteral("file: %1\n").arg(file);
    if (window_.flgRecord || window_.flgPlay) {
        const TNCTTimeDisplay2 &clock = *window_.NCTTimeDisplay1;
        text += QStringLiteral("elapsed: %1:%2:%3\n")
                    .arg(clock.Hours())
                    .arg(clock.Minutes(), 2, 10, QLatin1Char('0'))
                    .arg(clock.Seconds(), 2, 10, QLatin1Char('0'));
    }
    return {window_.flgRecord ? 0 : 1, text};
}

void WindowCommands::raiseWindow() {
    if (window_.isMinimized())
        window_.showNormal();
    window_.show();
    window_.raise();
    window_.activateWindow();
}
