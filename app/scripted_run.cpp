#include "app/scripted_run.h"

#include "app/tform1.h"
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/codec/posix_file.h"
#include "settings/recording_settings.h"

#include "playback/playback_session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

constexpr int kStartPollMs = 20;
constexpr int kPlayPollMs = 1000;

[[noreturn]] void leave(const char *line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
    // Skips the window's teardown, which would write setup.ini beside the program.
    std::_Exit(0);
}

// A run that could not do what it was asked says why on stderr and ends with status 1, so
// that a benchmark never takes it for a measurement.
[[noreturn]] void fail(const QString &what, const QString &reason) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(what), qPrintable(reason));
    std::fflush(stderr);
    std::_Exit(1);
}

// Nobody is there to answer a modal box, which would hold the run forever: its text ends the
// run instead.
class ModalBoxGuard : public QObject {
public:
    ModalBoxGuard(QString what, QObject *parent) : QObject(parent), what_(std::move(what)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show) {
            const auto *box = qobject_cast<QMessageBox *>(watched);
            if (box && box->isModal())
                fail(what_, box->text());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString what_;
};

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

void record(TForm1 &window, RecordingSettings &s, int seconds) {
    new ModalBoxGuard(QStringLiteral("KORVANTA_RECORD_SECONDS=%1").arg(seconds), &window);
    s.ext = QStringLiteral(".mp3");
    s.MP3Bitrate = 128;
    s.MP3Freq = 44100;
    s.RecordTime = 0;
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

QString playDescription(const QString &file) {
    return QStringLiteral("KORVANTA_PLAY_FILE=") + file;
}

void play(TForm1 &window, const QString &file) {
    const QString what = playDescription(file);
    const QFileInfo info(file);
    if (!info.exists())
        fail(what, QStringLiteral("no such file"));
    if (!info.isFile() || !info.isReadable())
        fail(what, QStringLiteral("not a file that can be read"));
    new ModalBoxGuard(what, &window);
    auto *wait = new QTimer(&window);
    QObject::connect(wait, &QTimer::timeout, &window, [&window, wait, file, what] {
        if (window.AudioPlayer1->devOutputCount() < 0)
            return;
        wait->stop();
        window.setCurrentFileName(file);
        window.OpenFile();
        window.Play1Click();
        PlaybackSession &session = window.playbackSession();
        if (!window.flgPlay) {
            const QString reason = session.errorText();
            fail(what, reason.isEmpty() ? QStringLiteral("no sound in the file to play") : reason);
        }
        // The window has stopped its playback by the time these arrive.
        QObject::connect(&session, &PlaybackSession::ended, &window, [] { leave("played\n"); });
        QObject::connect(&session, &PlaybackSession::failed, &window, [what](const QString &why) {
            fail(what, QStringLiteral("the sound device failed while playing: ") + why);
        });
        QObject::connect(&session, &PlaybackSession::startFailed, &window,
                         [what](const QString &message) { fail(what, message); });
        // Stopped by anything else (the device gone with the sound server): not played through.
        // Checked now and then rather than on a quick poll, which would wake the window
        // thread during the run being measured.
        auto *poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [&window, what] {
            if (!window.flgPlay)
                fail(what, QStringLiteral("playback stopped before the end of the file"));
        });
        poll->start(kPlayPollMs);
    });
    wait->start(kStartPollMs);
}

}  // namespace

bool startScriptedRun(TForm1 &window, RecordingSettings &settings) {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("KORVANTA_RECORD_SECONDS", &ok);
    const QString file = qEnvironmentVariable("KORVANTA_PLAY_FILE");
    const bool reportList = qEnvironmentVariableIsSet("KORVANTA_REPORT_LIST");
    if (!(ok && seconds > 0) && file.isEmpty() && !reportList)
        return false;
    // A tip window would sit on top of the run.
    window.TimerTip->stop();
    showAsAsked(window);
    if (reportList)
        new ModalBoxGuard(QStringLiteral("KORVANTA_REPORT_LIST"), &window);
    else if (ok && seconds > 0)
        record(window, settings, seconds);
    else
        play(window, file);
    return true;
}

void reportListIfAsked(TForm1 &window) {
    if (!qEnvironmentVariableIsSet("KORVANTA_REPORT_LIST"))
        return;
    QByteArray report;
    const QTreeWidget *list = window.ListView1();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        report += "row " + korvanta::codec::nativePath(row->text(3) + row->text(0)) + '\n';
    }
    report += "current " + korvanta::codec::nativePath(window.currentFileName()) + '\n';
    leave(report.constData());
}
