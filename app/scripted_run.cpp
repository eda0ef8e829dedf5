#include "app/scripted_run.h"

#include "app/tform1.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "settings/recording_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kPollMs = 100;
constexpr int kStartPollMs = 20;

[[noreturn]] void leave(const char *line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
    // Skips the window's teardown, which would write setup.ini beside the program.
    std::_Exit(0);
}

void showAsAsked(TForm1 &window) {
    const QString view = qEnvironmentVariable("KORVANTA_VIEW");
    if (view == QLatin1String("minimised")) {
        window.showMinimized();
        return;
    }
    window.show();
    if (view == QLatin1String("hidden"))
        window.PageControl1->setCurrentWidget(window.TabSheet2);
}

void record(TForm1 &window, int seconds) {
    RecordingSettings &s = recordingSettings();
    s.ext = QStringLiteral(".mp3");
    s.MP3Bitrate = 128;
    s.MP3Freq = 44100;
    s.RecordTime = 0;
    const QString folder = qEnvironmentVariable("KORVANTA_RECORD_FOLDER");
    if (!folder.isEmpty())
        s.SavePath = QDir(folder).absolutePath() + QLatin1Char('/');
    // The sound server's devices are listed in the background: start once an input is there.
    auto *poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, seconds] {
        if (window.AudioRecord1->devInputCount() < 0)
            return;
        poll->stop();
        window.Record1Click();
        QTimer::singleShot(seconds * 1000, &window, [&window] {
            window.Stop1Click();
            char line[96];
            std::snprintf(line, sizeof line, "frames %d dropped %llu\n", window.mSamples,
                          static_cast<unsigned long long>(window.AudioRecord1->droppedFrames()));
            leave(line);
        });
    });
    poll->start(kStartPollMs);
}

void play(TForm1 &window, const QString &file) {
    auto *wait = new QTimer(&window);
    QObject::connect(wait, &QTimer::timeout, &window, [&window, wait, file] {
        if (window.AudioPlayer1->devOutputCount() < 0)
            return;
        wait->stop();
        window.setCurrentFileName(file);
        window.OpenFile();
        window.Play1Click();
        auto *poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [&window] {
            if (!window.flgPlay)
                leave("played\n");
        });
        poll->start(kPollMs);
    });
    wait->start(kStartPollMs);
}

}  // namespace

bool startScriptedRun(TForm1 &window) {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("KORVANTA_RECORD_SECONDS", &ok);
    const QString file = qEnvironmentVariable("KORVANTA_PLAY_FILE");
    if (!(ok && seconds > 0) && file.isEmpty())
        return false;
    // A tip window would sit on top of the run.
    window.TimerTip->stop();
    showAsAsked(window);
    if (ok && seconds > 0)
        record(window, seconds);
    else
        play(window, file);
    return true;
}
