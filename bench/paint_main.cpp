// korvanta-bench-paint: what the display widgets cost per playback tick. The whole main
// window is shown offscreen on the "Record Sound" tab with the spectrum in its default look,
// and fed as a playback feeds it every 80 ms (spectrum block, level bars, time readout,
// position slider) with a noisy signal. Each tick paints at once what it changed, and only
// that work is timed (the window thread's CPU time); 20 ms of idle event loop follow, so
// the widgets' code and data come back from memory as they do in a playback, not warm from
// the tick before. Prints the time per tick and what it comes to per played minute (750
// ticks), the best of the rounds.
//   korvanta-bench-paint [--ticks N (375, a 30 s file)] [--rounds N (3)] [--look N (2)]
//                        [--feed stlp (which widgets: spectrum, time, levels, position)]
#include "app/tform1.h"
#include "audio/devices/audio_backend.h"
#include "audio/sample_array.h"
#include "settings/app_paths.h"
#include "settings/capture_settings.h"
#include "settings/recording_settings.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int kTickMs = 80;
constexpr int kSampleRate = 44100;
constexpr int kIdleMs = 20;

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Options {
    int ticks = 375;
    int rounds = 3;
    int look = 2;
    std::string feed = "stlp";
};

Options parse(int argc, char **argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--ticks"))
            o.ticks = std::max(10, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--rounds"))
            o.rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--feed"))
            o.feed = argv[i + 1];
        else if (!std::strcmp(argv[i], "--look"))
            o.look = std::clamp(std::atoi(argv[i + 1]), 0, 5);
    }
    return o;
}

// Noise at about a third of full scale, as the playback benchmark's file holds.
class Noise {
public:
    SampleArray block(int frames) {
        std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
        for (int16_t &s : samples)
            s = static_cast<int16_t>(std::clamp(normal_(random_), -32767.0, 32767.0));
        return SampleArray(2, std::move(samples));
    }
    int peak() {
        return static_cast<int>(
            std::clamp(30000.0 + 1500.0 * normal_(random_) / 9800.0, 0.0, 32767.0));
    }

private:
    std::mt19937 random_{17};
    std::normal_distribution<double> normal_{0.0, 9800.0};
};

// One round: `ticks` ticks of a file `ticks` × 80 ms long, from its start. Returns the window
// thread's CPU seconds.
double round(TForm1 &window, const Options &o, Noise &noise) {
    const int ticks = o.ticks;
    auto fed = [&](char c) { return o.feed.find(c) != std::string::npos; };
    std::vector<SampleArray> blocks;
    blocks.reserve(16);
    for (int i = 0; i < 16; ++i)
        blocks.push_back(noise.block(2 * window.AudioVisualization1->WindowArraySize()));
    double spent = 0;
    for (int tick = 0; tick < ticks; ++tick) {
        const double before = threadCpuSeconds();
        if (fed('l')) {
            window.NCTAmpBar1->setValue(noise.peak());
            window.NCTAmpBar2->setValue(noise.peak());
        }
        if (fed('t'))
            window.NCTTimeDisplay1->setMilliseconds(tick * kTickMs);
        if (fed('s'))
            window.AudioVisualization1->SendArray(
                blocks[static_cast<size_t>(tick) % blocks.size()]);
        if (fed('p'))
            window.NCTSliderB1->setValue(tick * 1000 / ticks);
        // What the window's next frame would paint, painted now, so that only the widgets'
        // work and the toolkit's painting for them is timed.
        QEvent paint(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(&window, &paint);
        spent += threadCpuSeconds() - before;
        // The rest of the tick's time passes, as in a playback: what the widgets use comes
        // back from memory as it would then, not fresh in the caches.
        runFor(kIdleMs);
    }
    return spent;
}

}  // namespace

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KORVANTA_AUDIO", "virtual", 0);
    QApplication app(argc, argv);
    const Options o = parse(argc, argv);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/korvanta-XXXXXX"));
    setExecutableDirectoryForTesting(dir.path() + QLatin1Char('/'));
    QFile ini(dir.filePath(QStringLiteral("setup.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[tips]\nshowtip=0\n");
    ini.close();

    const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    {
        RecordingSettings recordingSettings;
        CaptureSettings captureSettings;
        TForm1 window(*backend, recordingSettings, captureSettings);
        window.TimerTip->stop();
        window.show();
        window.PageControl1->setCurrentIndex(0);  // "Record Sound", with the spectrum
        window.AudioVisualization1->setVisType(static_cast<TAudioVisualization2::TVisType>(o.look));
        window.AudioVisualization1->setSampleRate(kSampleRate);
        // The program's own reaction to a moved slider shows the slider's time while nothing
        // plays; here the ticks set the time themselves.
        QObject::disconnect(window.NCTSliderB1, nullptr, &window, nullptr);
        runFor(500);

        Noise noise;
        double best = 1e9;
        for (int r = 0; r < o.rounds; ++r) {
            window.NCTSliderB1->setValue(0);
            runFor(100);
            best = std::min(best, round(window, o, noise));
        }
        const double perTick = best / o.ticks;
        std::printf(
            "Display widgets %s, look %d, %d ticks: %.3f ms per tick, %.3f CPU s per "
            "played minute (best of %d)\n",
            o.feed.c_str(), o.look, o.ticks, perTick * 1000, perTick * (60000.0 / kTickMs),
            o.rounds);
        window.close();
    }
    setExecutableDirectoryForTesting(QString());
    return 0;
}
