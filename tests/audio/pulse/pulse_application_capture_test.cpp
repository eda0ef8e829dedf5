// Recording one application against a real sound server: two paplay clients with their own
// application names play different tones into one null sink; recording one of them gives
// its tone alone, follows it to another sink, and goes on with silence once it is gone.
#include "pulse_test_support.h"
#include "tests/support/event_loop.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <mutex>

using namespace pulsetest;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;

// Collects what a capture delivers, from the backend's thread.
class Collector : public CaptureSink {
public:
    void captured(const int16_t *samples, int frames) override {
        std::lock_guard<std::mutex> lock(mutex_);
        samples_.insert(samples_.end(), samples, samples + 2 * frames);
    }
    void failed(const QString &reason) override {
        std::lock_guard<std::mutex> lock(mutex_);
        failure_ = reason;
    }
    void lostFrames(int frames) override { lost_ += frames; }
    int64_t lost() const { return lost_.load(); }
    std::vector<int16_t> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(samples_, {});
    }
    QString failure() {
        std::lock_guard<std::mutex> lock(mutex_);
        return failure_;
    }

private:
    std::mutex mutex_;
    std::vector<int16_t> samples_;
    QString failure_;
    std::atomic<int64_t> lost_{0};
};

// Frames of digital silence in a stretch where a tone plays throughout: what a capture
// delivered in place of sound it could not have.
int64_t silentFrames(const std::vector<int16_t> &samples) {
    int64_t silent = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2)
        silent += samples[i] == 0 && samples[i + 1] == 0;
    return silent;
}

double toneEnergy(const std::vector<int16_t> &samples, double hz) {
    const double coefficient = 2 * std::cos(2 * M_PI * hz / kRate);
    double s1 = 0, s2 = 0;
    for (size_t i = 0; i < samples.size(); i += 2) {
        const double s0 = samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

double separationDb(const std::vector<int16_t> &samples, double wanted, double other) {
    return 10 *
           std::log10(toneEnergy(samples, wanted) / std::max(toneEnergy(samples, other), 1e-9));
}

int peak(const std::vector<int16_t> &samples) {
    int loudest = 0;
    for (int16_t s : samples)
        loudest = std::max(loudest, std::abs(static_cast<int>(s)));
    return loudest;
}

// A paplay client with its own application name, playing a long tone made by sox.
class TonePlayer {
public:
    TonePlayer(const QString &name, int hz, const QString &sink,
               const QString &file = QStringLiteral("tone.wav"))
        : name_(name) {
        const QString wav = dir_.filePath(file);
        QProcess sox;
        sox.start(
            QStringLiteral("sox"),
            {QStringLiteral("-n"), QStringLiteral("-r"), QString::number(kRate),
             QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"),
             wav, QStringLiteral("synth"), QStringLiteral("60"), QStringLiteral("sine"),
             QString::number(hz), QStringLiteral("vol"), QStringLiteral("0.5")});
        EXPECT_TRUE(sox.waitForFinished(20000) && sox.exitCode() == 0)
            << sox.readAllStandardError().toStdString();
        player_.start(QStringLiteral("paplay"),
                      {QStringLiteral("-d"), sink, QStringLiteral("--client-name=") + name,
                       QStringLiteral("--property=application.name=") + name, wav});
        EXPECT_TRUE(player_.waitForStarted());
    }
    ~TonePlayer() { stop(); }
    void stop() {
        player_.kill();
        player_.waitForFinished();
    }
    // The server's index of its sink input.
    QString sinkInput() const {
        const QString all = pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")});
        const int at = all.indexOf(QStringLiteral("application.name = \"%1\"").arg(name_));
        const int start = all.lastIndexOf(QStringLiteral("Sink Input #"), at);
        if (at < 0 || start < 0)
            return {};
        const int from = start + 12;
        return all.mid(from, all.indexOf(QLatin1Char('\n'), from) - from);
    }

private:
    QString name_;
    QTemporaryDir dir_;
    QProcess player_;
};

// The entries playing whose names begin with `name`, in the backend's order.
std::vector<ApplicationInfo> playingEntries(AudioBackend &backend, const QString &name) {
    std::vector<ApplicationInfo> found;
    for (const ApplicationInfo &application : backend.applications()) {
        if (application.name.startsWith(name) && application.playing)
            found.push_back(application);
    }
    return found;
}

// What a capture of `device` delivers over a second and a half, after a second to settle.
std::vector<int16_t> recordFor(AudioBackend &backend, int device) {
    Collector collector;
    QString error;
    auto stream = backend.openCapture(device, StreamFormat{kRate, 2}, &collector, &error);
    EXPECT_TRUE(stream) << error.toStdString();
    spin(1000);
    collector.take();
    spin(1500);
    return collector.take();
}

int applicationDevice(AudioBackend &backend, const QString &name) {
    for (const ApplicationInfo &application : backend.applications()) {
        if (application.name == name && application.playing)
            return application.device;
    }
    return -1;
}

}  // namespace

TEST_F(PulseServerTest, RecordingOneApplicationGivesItsToneAloneWhereverItPlays) {
    pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
           QStringLiteral("sink_name=korvanta_other"),
           QStringLiteral("sink_properties=device.description=KorvantaOther")});
    TonePlayer low(QStringLiteral("Korvanta Low Tone"), 300, QStringLiteral("korvanta_test"));
    TonePlayer high(QStringLiteral("Korvanta High Tone"), 2000, QStringLiteral("korvanta_test"));
    ASSERT_TRUE(waitUntil(
        [&] {
            return applicationDevice(*backend, QStringLiteral("Korvanta Low Tone")) >= 0 &&
                   applicationDevice(*backend, QStringLiteral("Korvanta High Tone")) >= 0;
        },
        5000));
    const int device = applicationDevice(*backend, QStringLiteral("Korvanta Low Tone"));
    EXPECT_TRUE(isApplicationDevice(device));

    Collector collector;
    QString error;
    const StreamFormat format{kRate, 2};
    auto stream = backend->openCapture(device, format, &collector, &error);
    ASSERT_TRUE(stream) << error.toStdString();
    spin(1000);
    collector.take();  // the start
    spin(1500);
    const std::vector<int16_t> both = collector.take();
    ASSERT_GT(both.size(), static_cast<size_t>(kRate));
    const double separation = separationDb(both, 300, 2000);
    std::printf("tone separation (%s): %.1f dB\n", onPipeWire() ? "PipeWire" : "PulseAudio",
                separation);
    EXPECT_GE(separation, 40);
    EXPECT_GT(peak(both), 8000);

    // Moved to another sink, the capture follows it there. What it could not have meanwhile
    // (silence where the tone went on) is reported lost, to within a fragment.
    const QString input = low.sinkInput();
    ASSERT_FALSE(input.isEmpty());
    collector.take();
    const int64_t lostBefore = collector.lost();
    pactl({QStringLiteral("move-sink-input"), input, QStringLiteral("korvanta_other")});
    spin(1000);
    const std::vector<int16_t> switching = collector.take();
    const int64_t lostInMove = collector.lost() - lostBefore;
    const int64_t silentInMove = silentFrames(switching);
    std::printf("the move: %.3f s silent, %.3f s reported lost\n", silentInMove / double(kRate),
                lostInMove / double(kRate));
    EXPECT_LE(silentInMove, lostInMove + kRate / 25);
    spin(1500);
    const std::vector<int16_t> moved = collector.take();
    const double movedSeparation = separationDb(moved, 300, 2000);
    std::printf("after the move: %.1f dB\n", movedSeparation);
    EXPECT_GE(movedSeparation, 40);
    EXPECT_GT(peak(moved), 8000);

    // Gone: silence in real time, not a failure.
    low.stop();
    spin(800);
    collector.take();
    QElapsedTimer timer;
    timer.start();
    spin(1500);
    const std::vector<int16_t> silent = collector.take();
    const double seconds = static_cast<double>(silent.size() / 2) / kRate;
    EXPECT_NEAR(seconds, timer.elapsed() / 1000.0, 0.3);
    EXPECT_EQ(peak(silent), 0);
    EXPECT_TRUE(collector.failure().isEmpty()) << collector.failure().toStdString();
    EXPECT_TRUE(waitUntil(
        [&] { return applicationDevice(*backend, QStringLiteral("Korvanta Low Tone")) < 0; },
        2000));

    // A new stream of the same application is picked up again, under the same number.
    TonePlayer again(QStringLiteral("Korvanta Low Tone"), 300, QStringLiteral("korvanta_test"));
    ASSERT_TRUE(waitUntil(
        [&] { return applicationDevice(*backend, QStringLiteral("Korvanta Low Tone")) == device; },
        5000));
    spin(1500);
    collector.take();
    spin(1500);
    const std::vector<int16_t> back = collector.take();
    EXPECT_GE(separationDb(back, 300, 2000), 40);
    EXPECT_GT(peak(back), 8000);

    // A finish hands on, within a fragment or two, the tone up to its moment; nothing after.
    std::atomic<bool> finished{false};
    QElapsedTimer finishing;
    finishing.start();
    finished = stream->finish([&] { finished = true; });
    ASSERT_TRUE(waitUntil([&] { return finished.load(); }, 3000));
    EXPECT_LT(finishing.elapsed(), 500);
    const std::vector<int16_t> last = collector.take();
    const double lastSeconds = static_cast<double>(last.size() / 2) / kRate;
    EXPECT_NEAR(lastSeconds, finishing.elapsed() / 1000.0, 0.15);
    spin(300);
    EXPECT_TRUE(collector.take().empty());
}

// Two paplay clients under one application name, playing different files: two entries, the
// first under the plain name, and each records its own stream.
TEST_F(PulseServerTest, TwoStreamsUnderOneApplicationNameAreRecordedEachOnItsOwn) {
    const QString name = QStringLiteral("Korvanta Twin");
    TonePlayer low(name, 300, QStringLiteral("korvanta_test"), QStringLiteral("low.wav"));
    ASSERT_TRUE(waitUntil([&] { return playingEntries(*backend, name).size() == 1; }, 5000));
    TonePlayer high(name, 2000, QStringLiteral("korvanta_test"), QStringLiteral("high.wav"));
    ASSERT_TRUE(waitUntil([&] { return playingEntries(*backend, name).size() == 2; }, 5000))
        << "one entry for both streams";
    const std::vector<ApplicationInfo> twins = playingEntries(*backend, name);
    EXPECT_EQ(twins[0].name, name);
    // paplay says which file it plays.
    EXPECT_EQ(twins[1].name, name + QStringLiteral(" \u2014 high.wav"));

    const std::vector<int16_t> first = recordFor(*backend, twins[0].device);
    EXPECT_GE(separationDb(first, 300, 2000), 40);
    EXPECT_GT(peak(first), 8000);
    const std::vector<int16_t> second = recordFor(*backend, twins[1].device);
    EXPECT_GE(separationDb(second, 2000, 300), 40);
    EXPECT_GT(peak(second), 8000);

    // The first stream ends: the second keeps its number and its name.
    low.stop();
    ASSERT_TRUE(waitUntil([&] { return playingEntries(*backend, name).size() == 1; }, 5000));
    EXPECT_EQ(playingEntries(*backend, name)[0].device, twins[1].device);
    EXPECT_EQ(playingEntries(*backend, name)[0].name, twins[1].name);
}
