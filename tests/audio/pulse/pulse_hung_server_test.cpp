// A sound server that hangs (stopped with SIGSTOP) holds up nothing: opening and closing
// streams, mixer calls and a new connection return at once, a stream that cannot open
// fails through the device error, and everything recovers when the server goes on.
#include "pulse_test_support.h"
#include "tests/support/event_loop.h"

#include <QElapsedTimer>

#include <csignal>
#include <functional>

using namespace pulsetest;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

// Stops the server for its lifetime.
class StoppedServer {
public:
    StoppedServer() : pid_(qEnvironmentVariableIntValue("KORVANTA_TEST_PULSE_PID")) {
        stopped_ = pid_ > 0 && ::kill(pid_, SIGSTOP) == 0;
    }
    ~StoppedServer() { resume(); }
    StoppedServer(const StoppedServer &) = delete;
    StoppedServer &operator=(const StoppedServer &) = delete;

    bool stopped() const { return stopped_; }
    void resume() {
        if (stopped_)
            ::kill(pid_, SIGCONT);
        stopped_ = false;
    }

private:
    pid_t pid_;
    bool stopped_ = false;
};

// Milliseconds `call` took.
qint64 timed(const std::function<void()> &call) {
    QElapsedTimer clock;
    clock.start();
    call();
    return clock.elapsed();
}

// Our streams the server still has.
QString ourStreams() {
    return pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")}) +
           pactl(
               {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs")});
}

constexpr qint64 kQuickMs = 50;

}  // namespace

TEST_F(PulseServerTest, NothingWaitsForAStoppedServer) {
    TAudioRecord2 recorder(*backend);
    recorder.setDevInput(findInput(recorder, kMonitor));
    recorder.SetFormatArray(44100, 2);
    TAudioPlayer2 player(*backend);
    player.setDevOutput(findOutput(player, kSink));
    player.SetFormatArray(44100, 2);
    player.StartDevice();  // running when the server stops
    ASSERT_EQ(player.LastErrorNum(), 0) << player.LastErrorText().toStdString();
    player.SendArray(SampleArray(2, tone(440, 44100, 2, 0, 44100)));
    spin(300);

    StoppedServer server;
    ASSERT_TRUE(server.stopped());
    qint64 slowest = 0;
    auto expectQuick = [&](const char *what, const std::function<void()> &call) {
        const qint64 ms = timed(call);
        slowest = std::max(slowest, ms);
        EXPECT_LT(ms, kQuickMs) << what;
    };
    expectQuick("opening a capture", [&] { recorder.StartDevice(); });
    EXPECT_EQ(recorder.LastErrorNum(), 0) << "it opens in the background";
    expectQuick("mixer writes", [&] {
        recorder.setSrcVolume(30000);
        recorder.setSrcVolumeBalance(40);
        player.setSrcMute(true);
        player.setDevVolume(50000);
    });
    expectQuick("mixer reads", [&] {
        EXPECT_EQ(recorder.srcVolume(), 30000);
        EXPECT_TRUE(player.srcMute());
        EXPECT_EQ(player.devVolume(), 50000);
    });
    expectQuick("the position", [&] { player.nSamplesCurrent(); });
    expectQuick("closing a capture that is still opening", [&] { recorder.StopDevice(); });
    expectQuick("closing a running playback", [&] { player.StopDevice(); });
    expectQuick("opening a playback", [&] { player.StartDevice(); });
    expectQuick("closing it", [&] { player.StopDevice(); });
    std::unique_ptr<PulseBackend> late;
    expectQuick("connecting", [&] { late = std::make_unique<PulseBackend>(); });
    spin(200);
    EXPECT_EQ(late->unavailableReason(), QStringLiteral("Connecting to the sound server..."));
    std::printf("the slowest call took %lld ms while the server hung\n", slowest);

    // A stream the server never answers for fails as a device error, a few seconds on.
    QString error;
    QObject::connect(&recorder, &TAudioRecord2::OnDeviceError, &recorder,
                     [&](const QString &reason) { error = reason; });
    recorder.StartDevice();
    ASSERT_TRUE(waitUntil([&] { return !error.isEmpty(); }, 8000));
    EXPECT_TRUE(error.contains(QStringLiteral("did not answer"))) << error.toStdString();
    EXPECT_FALSE(recorder.isRunning());

    // The server goes on: the late connection is made and announced, everything works,
    // and the streams closed while it hung are gone from it.
    server.resume();
    int announced = 0;
    QObject::connect(late.get(), &AudioBackend::devicesChanged, late.get(), [&] { ++announced; });
    ASSERT_TRUE(
        waitUntil([&] { return late->unavailableReason().isEmpty() && announced > 0; }, 3000));
    EXPECT_FALSE(late->devices(Direction::Output).empty());
    recorder.StartDevice();
    ASSERT_EQ(recorder.LastErrorNum(), 0);
    EXPECT_TRUE(waitUntil([&] { return recorder.nSamplesCurrent() > 0; }, 3000));
    recorder.StopDevice();
    EXPECT_TRUE(waitUntil([&] { return ourStreams().trimmed().isEmpty(); }, 3000))
        << ourStreams().toStdString();
}

// A stop collects the frames the server still holds, but a server that hangs does not
// hold up the stop for more than about a second, and what came before stays.
TEST_F(PulseServerTest, AStopWaitsOnlyBrieflyForAStoppedServer) {
    SineInput sineInput;
    TAudioRecord2 recorder(*backend);
    ASSERT_TRUE(waitUntil([&] { return findInput(recorder, sineInput.description()) >= 0; }));
    recorder.setDevInput(findInput(recorder, sineInput.description()));
    recorder.SetFormatArray(44100, 1);
    recorder.setBufferSize(recorder.SecToSamples(200));
    int64_t handedOn = 0;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder,
                     [&](int) { handedOn += recorder.ReceiveArray().frames(); });
    bool finished = false;
    QObject::connect(&recorder, &TAudioRecord2::OnCaptureFinished, &recorder,
                     [&] { finished = true; });
    recorder.StartDevice();
    ASSERT_TRUE(waitUntil([&] { return recorder.nSamplesCurrent() > 44100 / 2; }, 5000));

    StoppedServer server;
    ASSERT_TRUE(server.stopped());
    spin(100);  // the fragment under way is held
    QElapsedTimer clock;
    clock.start();
    bool atOnce = true;
    EXPECT_LT(timed([&] { atOnce = recorder.FinishCapture(); }), kQuickMs);
    ASSERT_FALSE(atOnce) << "the frames captured since the hang are still expected";
    ASSERT_TRUE(waitUntil([&] { return finished; }, 3000));
    EXPECT_GT(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 1500);
    const int captured = recorder.nSamplesCurrent();
    EXPECT_LT(timed([&] { recorder.StopDevice(); }), kQuickMs);
    EXPECT_EQ(handedOn, captured);
    EXPECT_GT(handedOn, 44100 / 2);
}
