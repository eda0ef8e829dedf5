#include "app/scripted_run.h"

#include "app/tform1.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "settings/recording_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kStartPollMs = 20;
constexpr int kPlayPollMs = 1000;

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
        // From the first tick with sound on, the wall clock says how many frames should
        // reach the file; fewer means some were lost on the way (a fragment's worth of
        // difference is timing).
        auto *firstTick = new QElapsedTimer;
        auto *firstPosition = new int(-1);
        QObject::connect(window.AudioRecord1, &TAudioRecord2::OnTimer, &window,
                         [firstTick, firstPosition](int position, int, int) {
                             if (*firstPosition < 0 && position > 0) {
                                 *firstPosition = position;
                                 firstTick->start();
                             }
                         });
        window.Record1Click();
        const auto stop = [&window, firstTick, firstPosition] {
            const double rate = window.AudioRecord1->SecToSamples(1000);
            const long long expected =
                *firstPosition < 0
                    ? 0
                    : *firstPosition + static_cast<long long>(firstTick->elapsed() * rate / 1000);
            window.Stop1Click();
            // On a sound server the stop completes once the capture has handed on its last
            // fragment, which a busy machine may deliver a while later: the frame count is
            // read when it has.
            auto *stopped = new QTimer(&window);
            QObject::connect(stopped, &QTimer::timeout, &window, [&window, stopped, expected] {
                if (window.flgRecord)
                    return;
                stopped->stop();
                char line[128];
                std::snprintf(line, sizeof line, "frames %d dropped %llu missing %lld\n",
                              window.mSamples,
                              static_cast<unsigned long long>(window.AudioRecord1->droppedFrames()),
                              expected - window.mSamples);
                leave(line);
            });
            stopped->start(kStartPollMs);
        };
        // A precise timer: a coarse one may fire up to 5 % early, which cut the benchmark's
        // minute-long recordings by two seconds.
        QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &window, stop);
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
        // Checked when the player ends or fails, and now and then besides, rather than on a
        // quick poll that would wake the window thread during the run being measured.
        const auto check = [&window] {
            if (!window.flgPlay)
                leave("played\n");
        };
        QObject::connect(window.AudioPlayer1, &TAudioPlayer2::OnEndPlay, &window, check,
                         Qt::QueuedConnection);
        QObject::connect(window.AudioPlayer1, &TAudioPlayer2::OnDeviceError, &window, check,
                         Qt::QueuedConnection);
        auto *poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, check);
        poll->start(kPlayPollMs);
        check();
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
