// Takes the user manual's pictures: the main window on each tab, while recording, and the
// dialogs, drawn offscreen on the virtual sound card and saved as PNG files. Run by the build
// as: korvanta-screenshots <output folder>. It works in a scratch home so that neither the
// developer's settings nor temporary paths show up in the pictures.
#include "app/tform1.h"
#include "audio/devices/audio_backend.h"
#include "extras/about_box.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/dialogs/main_window_hooks.h"
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "settings/recording_settings.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

void spin(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

bool save(QWidget *widget, const QString &folder, const QString &name) {
    widget->show();
    spin(150);
    const QString path = folder + u'/' + name;
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "korvanta-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvanta-screenshots <output folder>\n");
        return 2;
    }
    // A user's home as the pictures should show it, and a scratch config folder behind it.
    const QTemporaryDir scratch;
    qputenv("HOME", "/home/user");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path()));
    qunsetenv("XDG_MUSIC_DIR");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KORVANTA_AUDIO", "virtual");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanta Sound Recorder"));
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    setExecutableDirectoryForTesting(scratch.path());
    setExecutableDirectoryReadOnlyForTesting(true);
    // The About box as the package shows it.
    QFile supportIni(scratch.filePath(QStringLiteral("support.ini")));
    if (supportIni.open(QIODevice::WriteOnly)) {
        supportIni.write(
            "[about]\nhomepage=file:///usr/share/korvanta-recorder/manual/index.html\n"
            "email=\n");
        supportIni.close();
    }

    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    RecordingSettings recordingSettings;
    CaptureSettings captureSettings;
    TForm1 window(*backend, recordingSettings, captureSettings);
    window.TimerTip->stop();
    TfrmEQ eqForm(*window.AudioPlayer1, window.chEqualizer(), &window);
    window.setEqualizerForm(&eqForm);
    TfrmRecFlt recFltForm(*window.AudioRecord1, &window);
    window.setRecordingFilterForm(&recFltForm);
    window.show();
    spin(500);  // the device lists and mixer panels fill in the background

    bool ok = true;
    const MainWindowHooks hooks{[](bool, const QString &) {}, [] {}};
    TSettingForm options(recordingSettings, captureSettings, hooks, &window);
    ok &= save(&options, folder, QStringLiteral("options.png"));
    options.hide();
    TTimeLimitForm autoStop(recordingSettings, hooks, &window);
    ok &= save(&autoStop, folder, QStringLiteral("auto-stop.png"));
    autoStop.hide();
    ok &= save(&eqForm, folder, QStringLiteral("equalizer.png"));
    eqForm.hide();
    ok &= save(&recFltForm, folder, QStringLiteral("filters.png"));
    recFltForm.hide();
    TAboutBox about(&window);
    ok &= save(&about, folder, QStringLiteral("about.png"));
    about.hide();

    window.PageControl1->setCurrentWidget(window.TabSheet3);
    ok &= save(&window, folder, QStringLiteral("recording-controls.png"));
    window.PageControl1->setCurrentWidget(window.TabSheet4);
    ok &= save(&window, folder, QStringLiteral("playback-controls.png"));

    // A short recording on the virtual card's test tone, so that the levels and the spectrum
    // move, then the list and the tags it leaves behind.
    // A fixed folder rather than the scratch one, so the path shown reads well; emptied before
    // and after.
    QDir recordings(QDir::tempPath() + QStringLiteral("/korvanta-manual"));
    recordings.removeRecursively();
    recordingSettings.SavePath = recordings.path() + QStringLiteral("/Recordings/");
    window.PageControl1->setCurrentWidget(window.TabSheet1);
    window.Record1->trigger();
    spin(1500);
    ok &= save(&window, folder, QStringLiteral("main-window.png"));
    window.Stop1->trigger();
    spin(300);
    ok &= save(&window, folder, QStringLiteral("file-info.png"));

    window.hide();
    recordings.removeRecursively();
    return ok ? 0 : 1;
}
