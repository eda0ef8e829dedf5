// korvanta-bench-playback: what playing a file costs the GUI thread. Writes a 60-second
// FLAC and MP3 (a sweep, stereo, 44100 Hz), plays each to its end twice through the playback
// session on the sound backend (the virtual card unless KORVANTA_AUDIO says otherwise), with
// the window's 80 ms tick feeding a 2048-frame spectrum window, and prints per file:
// - the GUI thread's CPU time as a share of the whole process's and of one core
//   (/proc/self/task/<tid>/stat against /proc/self/stat);
// - the longest stall of the GUI thread: a 5 ms timer's latest wake-up and how many came
//   more than 10 ms late.
//   korvanta-bench-playback [--seconds N (60)] [--work DIR]
#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "audio/devices/audio_backend.h"
#include "playback/playback_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// utime + stime in clock ticks from a stat line (fields 14 and 15, after the command name).
long long cpuTicks(const QString &statPath) {
    QFile file(statPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = file.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // After the name: state is field 3, so utime (14) and stime (15) sit at 11 and 12.
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : 0;
}

QString writeSweep(const QString &path, bool mp3, int seconds) {
    TAudioFile2 file;
    if (mp3)
        file.SetFormatMP3(44100, 128, 2);
    else
        file.SetFormatFLAC(44100, 2);
    file.CreateFile(path, 0);
    if (file.LastErrorNum() != 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.LastErrorText()));
        std::exit(1);
    }
    const int rate = 44100;
    double phase = 0;
    for (int block = 0; block < seconds * 10; ++block) {
        std::vector<int16_t> samples(static_cast<size_t>(rate / 10) * 2);
        for (size_t i = 0; i < samples.size(); i += 2) {
            const double t = (block * (rate / 10) + static_cast<double>(i / 2)) / rate;
            phase += 2 * M_PI * (100 + 100 * t) / rate;
            samples[i] = samples[i + 1] = static_cast<int16_t>(12000 * std::sin(phase));
        }
        file.WriteFile(SampleArray(2, std::move(samples)));
    }
    file.CloseFile();
    return path;
}

struct Result {
    double guiShareOfProcess = 0;
    double guiShareOfCore = 0;
    double processShareOfCore = 0;
    qint64 longestStallMs = 0;
    int lateWakeups = 0;
    bool ended = false;
};

// Plays `path` to its end; with `probe`, a 5 ms timer looks for stalls (and costs the GUI
// thread CPU time of its own, so the CPU shares come from a run without it).
Result play(AudioBackend &backend, const QString &path, int seconds, bool withProbe) {
    TAudioPlayer2 player(backend);
    player.setTimerInterval(80);
    player.setTimerEnabled(true);
    TAudioFile2 file;
    PlaybackSession session(player, file);
    Result result;

    QEventLoop loop;
    QObject::connect(&session, &PlaybackSession::ticked, &loop, [&player] {
        const SampleArray window = player.GetCurrentArray(2048);
        (void)window;
    });
    QObject::connect(&session, &PlaybackSession::ended, &loop, [&] {
        result.ended = true;
        loop.quit();
    });
    QObject::connect(&session, &PlaybackSession::readFailed, &loop, [&] { loop.quit(); });
    QObject::connect(&session, &PlaybackSession::failed, &loop, [&] { loop.quit(); });

    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QElapsedTimer sinceWake;
    QObject::connect(&probe, &QTimer::timeout, &loop, [&] {
        const qint64 late = sinceWake.restart() - 5;
        result.longestStallMs = std::max(result.longestStallMs, late);
        if (late > 10)
            ++result.lateWakeups;
    });
    QTimer::singleShot(seconds * 1000 + 5000, &loop, &QEventLoop::quit);

    const QString self = QStringLiteral("/proc/self/stat");
    const QString gui = QStringLiteral("/proc/self/task/%1/stat").arg(syscall(SYS_gettid));
    const long long processBefore = cpuTicks(self);
    const long long guiBefore = cpuTicks(gui);
    QElapsedTimer wall;
    wall.start();

    if (session.Open(path, 0) != PlaybackSession::OpenResult::Opened || !session.Start()) {
        std::fprintf(stderr, "cannot play %s: %s\n", qPrintable(path),
                     qPrintable(session.errorText()));
        std::exit(1);
    }
    sinceWake.start();
    if (withProbe)
        probe.start();
    loop.exec();
    session.Stop();

    const double wallTicks = wall.elapsed() / 1000.0 * sysconf(_SC_CLK_TCK);
    const long long processTicks = cpuTicks(self) - processBefore;
    const long long guiTicks = cpuTicks(gui) - guiBefore;
    result.guiShareOfProcess = processTicks > 0 ? double(guiTicks) / processTicks : 0;
    result.guiShareOfCore = guiTicks / wallTicks;
    result.processShareOfCore = processTicks / wallTicks;
    return result;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    int seconds = 60;
    QString work;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--work") == 0)
            work = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir temporary;
    if (work.isEmpty())
        work = temporary.path();

    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    std::printf("%-5s %12s %12s %12s %10s %6s %6s\n", "file", "gui/process", "gui/core",
                "process/core", "stall ms", "late", "ended");
    for (const bool mp3 : {false, true}) {
        const QString path =
            writeSweep(work + (mp3 ? QStringLiteral("/sweep.mp3") : QStringLiteral("/sweep.flac")),
                       mp3, seconds);
        Result r = play(*backend, path, seconds, false);
        const Result stalls = play(*backend, path, seconds, true);
        r.longestStallMs = stalls.longestStallMs;
        r.lateWakeups = stalls.lateWakeups;
        r.ended = r.ended && stalls.ended;
        std::printf("%-5s %11.1f%% %11.2f%% %11.2f%% %10lld %6d %6s\n", mp3 ? "MP3" : "FLAC",
                    100 * r.guiShareOfProcess, 100 * r.guiShareOfCore, 100 * r.processShareOfCore,
                    static_cast<long long>(r.longestStallMs), r.lateWakeups,
                    r.ended ? "yes" : "no");
        std::fflush(stdout);
    }
    return 0;
}
