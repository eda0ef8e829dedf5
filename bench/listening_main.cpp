// korvanta-bench-listening: what listening costs, through the whole main window on the
// virtual sound card in real time. Prints the process's CPU time as a share of one core
// while stopped with the input level shown (measure: under 1 %), and per recorded minute of
// WAV with a 30-second pre-record on and off (measure: within 10 % of each other).
//   korvanta-bench-listening [seconds per measurement, default 20]
#include "app/tform1.h"
#include "audio/devices/audio_backend.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

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

}  // namespace

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KORVANTA_AUDIO", "virtual", 0);
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    QTemporaryDir dir;
    setExecutableDirectoryForTesting(dir.path() + QLatin1Char('/'));
    QFile ini(dir.filePath(QStringLiteral("setup.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[options]\nsaveformat=.wav\n");
    ini.close();

    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    double idle = 0;
    double perMinute[2] = {0, 0};
    {
        TForm1 window(*backend);
        window.TimerTip->stop();
        window.show();
        runFor(500);
        const double closed = cpuShare(seconds * 1000);

        captureSettings().showLevelWhileStopped = true;
        window.captureSettingsChanged();
        runFor(500);
        idle = cpuShare(seconds * 1000) - closed;
        std::printf("idle, input closed:            %6.2f %% of one core\n", closed * 100);
        std::printf("idle, input level shown:       %6.2f %% of one core (+%.2f)\n",
                    (closed + idle) * 100, idle * 100);

        for (int preRecord : {0, 30}) {
            captureSettings() = CaptureSettings();
            captureSettings().preRecordSeconds = preRecord;
            window.captureSettingsChanged();
            runFor(1000);
            window.Record1Click();
            const double share = cpuShare(seconds * 1000);
            window.Stop1Click();
            perMinute[preRecord ? 1 : 0] = share * 60;
            std::printf("recording WAV, pre-record %2d s: %6.2f CPU s per recorded minute\n",
                        preRecord, share * 60);
        }
        window.close();
    }
    setExecutableDirectoryForTesting(QString());
    std::printf("pre-record on vs off:          %+6.1f %%\n",
                (perMinute[1] / perMinute[0] - 1) * 100);
    return 0;
}
