// korvanta-bench-listening: what listening costs, through the whole main window in real time,
// shown offscreen on the "Record Sound" tab with the spectrum in view (its default look). On
// the virtual card (the default) the input is the card's tones; with KORVANTA_AUDIO=pulse,
// inside scripts/with-pulseaudio.sh, it is the null sink's monitor while the benchmarks' test
// signal plays into the sink. Prints the process's CPU time as a share of one core while
// stopped (input closed, level shown, pre-record on; measure: under 1 %) and per recorded
// minute of WAV with a 30-second pre-record off and on, in turns, the best of the runs
// (measure: within 10 % of each other).
//   korvanta-bench-listening [--seconds N (20)] [--runs N (2)] [--work DIR]
#include "app/tform1.h"
#include "audio/devices/audio_backend.h"
#include "bench/child_process.h"
#include "bench/test_signal.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU seconds per wall second while `ms` pass.
double cpuShare(int ms) {
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    runFor(ms);
    return (cpuSeconds() - before) / (wall.elapsed() / 1000.0);
}

struct Options {
    int seconds = 20;
    int runs = 2;
    QString work;
};

Options parse(int argc, char **argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds"))
            o.seconds = std::max(2, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--runs"))
            o.runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--work"))
            o.work = QString::fromLocal8Bit(argv[i + 1]);
    }
    return o;
}

class Bench {
public:
    Bench(TForm1 &window, CaptureSettings &settings, const Options &o)
        : window_(window), settings_(settings), ms_(o.seconds * 1000) {}

    // Stopped, with the capture settings `c`: the best share of `runs` measurements.
    double idle(const CaptureSettings &c, int runs) {
        apply(c);
        double best = 1e9;
        for (int run = 0; run < runs; ++run)
            best = std::min(best, cpuShare(ms_));
        return best;
    }

    // CPU seconds per recorded minute of WAV with `preRecord` seconds kept before Record.
    double recording(int preRecord) {
        CaptureSettings c;
        c.preRecordSeconds = preRecord;
        apply(c);
        window_.Record1Click();
        const double share = cpuShare(ms_);
        window_.Stop1Click();
        return share * 60;
    }

private:
    void apply(const CaptureSettings &c) {
        settings_ = c;
        window_.captureSettingsChanged();
        runFor(1500);  // the stream settles, the pre-record buffer is allocated
    }

    TForm1 &window_;
    CaptureSettings &settings_;
    int ms_;
};

}  // namespace

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KORVANTA_AUDIO", "virtual", 0);
    const bool server = std::strcmp(std::getenv("KORVANTA_AUDIO"), "pulse") == 0;
    QApplication app(argc, argv);
    const Options o = parse(argc, argv);
    QTemporaryDir dir(o.work.isEmpty() ? QDir::tempPath() + QStringLiteral("/korvanta-XXXXXX")
                                       : o.work + QStringLiteral("/listening-XXXXXX"));
    setExecutableDirectoryForTesting(dir.path() + QLatin1Char('/'));
    QFile ini(dir.filePath(QStringLiteral("setup.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[options]\nsaveformat=.wav\n[tips]\nshowtip=0\n");
    ini.close();

    int player = -1;
    if (server) {
        const std::string wav = dir.filePath(QStringLiteral("signal.wav")).toStdString();
        std::string error;
        if (!bench::writeTestWav(wav, 60, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        player = bench::spawnBackground({"sh", "-c", "while paplay \"$0\"; do :; done", wav});
    }

    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    int status = 0;
    {
        RecordingSettings recordingSettings;
        CaptureSettings captureSettings;
        TForm1 window(*backend, recordingSettings, captureSettings);
        window.TimerTip->stop();
        window.show();
        window.PageControl1->setCurrentIndex(0);  // "Record Sound", with the spectrum
        QElapsedTimer wait;
        wait.start();
        while (window.DeviceComboIn->count() == 0 && wait.elapsed() < 10000)
            runFor(100);
        runFor(1000);
        Bench bench(window, captureSettings, o);

        CaptureSettings monitor;
        monitor.showLevelWhileStopped = true;
        CaptureSettings preRecord;
        preRecord.preRecordSeconds = 30;
        const double closed = bench.idle(CaptureSettings(), o.runs);
        const double shown = bench.idle(monitor, o.runs);
        const double kept = bench.idle(preRecord, o.runs);
        if (!window.isListening()) {
            std::fprintf(stderr, "the input did not open\n");
            status = 1;
        }
        double off = 1e9, on = 1e9;
        for (int run = 0; run < o.runs; ++run) {
            off = std::min(off, bench.recording(0));
            on = std::min(on, bench.recording(30));
        }
        window.close();

        const char *where = server ? "PulseAudio" : "virtual card";
        std::printf("Idle, %-12s  input closed             %6.2f %% of one core\n", where,
                    closed * 100);
        std::printf("Idle, %-12s  input level shown        %6.2f %% of one core%s\n", where,
                    shown * 100, shown < 0.01 ? "" : "  (target < 1 %)");
        std::printf("Idle, %-12s  pre-record 30 s          %6.2f %% of one core%s\n", where,
                    kept * 100, kept < 0.01 ? "" : "  (target < 1 %)");
        std::printf("Recording WAV, %-12s  pre-record off  %6.3f CPU s per minute\n", where, off);
        std::printf("Recording WAV, %-12s  pre-record 30 s %6.3f CPU s per minute  (%+.1f %%%s)\n",
                    where, on, (on / off - 1) * 100, on <= off * 1.1 ? "" : ", target within 10 %");
    }
    if (player > 0)
        bench::stopBackground(player);
    setExecutableDirectoryForTesting(QString());
    return status;
}
