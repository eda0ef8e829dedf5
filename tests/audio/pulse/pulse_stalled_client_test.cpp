// A recorder whose whole process is stopped (kill -STOP) for longer than the sound server
// keeps a capture for it: the server drops what does not fit without marking a hole. The
// recording must count that loss as one gap, of its length, so that the frames received and
// the frames lost together make up the time that passed.
//
// The recorder runs in a child process: this test program again, on the child case below.
#include "pulse_test_support.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>

#include <sys/types.h>

using namespace pulsetest;

namespace {

constexpr char kChildSeconds[] = "KORVANTA_STALL_CHILD_SECONDS";
constexpr char kStartedMarker[] = "korvanta-stall-test: recording";
constexpr int kRate = 48000;
// Both servers keep 4 MB of a capture for a client that does not read (21.8 s at 48 kHz
// stereo). Past that, PipeWire drops what it held and PulseAudio goes on keeping what its
// memory pool holds. So on PipeWire the stop outlasts the 4 MB; on PulseAudio it is one the
// server rides out, whose backlog then comes all at once, and no gap may be counted for it.
int stopSeconds() {
    return onPipeWire() ? 24 : 8;
}
constexpr int kFragment = kRate / 25;  // 40 ms

}  // namespace

// The child's side: records the test sink's monitor for the time it is given, counting in
// wall time from the first block on, then finishes and prints what it got.
TEST_F(PulseServerTest, StalledChildRecords) {
    const int seconds = qEnvironmentVariableIntValue(kChildSeconds);
    if (seconds <= 0)
        GTEST_SKIP() << "runs only as the child process of the stall test";
    TAudioRecord2 recorder(*backend);
    recorder.setDevInput(findInput(recorder, kMonitor));
    ASSERT_GE(recorder.devInput(), 0);
    recorder.SetFormatArray(kRate, 2);
    recorder.setBufferSize(recorder.SecToSamples(200));
    int64_t gaps = 0, lost = 0, place = -1;
    QObject::connect(&recorder, &TAudioRecord2::OnGap, &recorder,
                     [&](qint64 at, qint64 frames, bool continues) {
                         gaps += continues ? 0 : 1;
                         lost += frames;
                         if (place < 0)
                             place = at;
                     });
    QElapsedTimer sinceFirst;
    int64_t firstFrames = -1;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        recorder.ReceiveArray();
        if (firstFrames < 0) {
            firstFrames = recorder.nSamplesCurrent();
            sinceFirst.start();
            std::printf("%s\n", kStartedMarker);
            std::fflush(stdout);
        }
    });
    recorder.StartDevice();
    ASSERT_EQ(recorder.LastErrorNum(), 0) << recorder.LastErrorText().toStdString();
    ASSERT_TRUE(testsupport::waitUntil([&] { return firstFrames >= 0; }, 10000));
    ASSERT_TRUE(testsupport::waitUntil([&] { return sinceFirst.elapsed() >= seconds * 1000; },
                                       (seconds + 30) * 1000));
    const int64_t expected = firstFrames + sinceFirst.elapsed() * kRate / 1000;
    bool finished = recorder.FinishCapture();
    QObject::connect(&recorder, &TAudioRecord2::OnCaptureFinished, &recorder,
                     [&] { finished = true; });
    testsupport::waitUntil([&] { return finished; }, 3000);
    recorder.StopDevice();
    std::printf("received %d expected %lld gaps %lld lost %lld at %lld\n",
                recorder.nSamplesCurrent(), static_cast<long long>(expected),
                static_cast<long long>(gaps), static_cast<long long>(lost),
                static_cast<long long>(place));
    std::fflush(stdout);
}

TEST(PulseStalledClient, FramesTheServerDroppedWhileTheRecorderWasStoppedAreOneGap) {
    ASSERT_TRUE(serverExpected()) << "ctest runs this through the server wrappers";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildSeconds), QString::number(stopSeconds() + 6));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=PulseServerTest.StalledChildRecords")});
    ASSERT_TRUE(child.waitForStarted(10000));
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (!output.contains(kStartedMarker) && waited.elapsed() < 20000 &&
           child.state() == QProcess::Running) {
        child.waitForReadyRead(100);
        output += child.readAllStandardOutput();
    }
    ASSERT_TRUE(output.contains(kStartedMarker)) << output.toStdString();

    // Two seconds of recording, the stop, and the rest once it goes on.
    EXPECT_FALSE(child.waitForFinished(2000));
    ::kill(static_cast<pid_t>(child.processId()), SIGSTOP);
    EXPECT_FALSE(child.waitForFinished(stopSeconds() * 1000))
        << "the stopped child ended: status " << child.exitStatus() << ", code " << child.exitCode()
        << ", " << child.errorString().toStdString();
    ::kill(static_cast<pid_t>(child.processId()), SIGCONT);
    ASSERT_TRUE(child.waitForFinished(60000));
    output += child.readAllStandardOutput();
    ASSERT_EQ(child.exitCode(), 0) << output.toStdString();

    const QRegularExpression report(
        QStringLiteral("received (\\d+) expected (\\d+) gaps (\\d+) lost (\\d+) at (-?\\d+)"));
    const QRegularExpressionMatch m = report.match(QString::fromUtf8(output));
    ASSERT_TRUE(m.hasMatch()) << output.toStdString();
    const int64_t received = m.captured(1).toLongLong();
    const int64_t expected = m.captured(2).toLongLong();
    const int64_t gaps = m.captured(3).toLongLong();
    const int64_t lost = m.captured(4).toLongLong();
    const int64_t at = m.captured(5).toLongLong();
    std::printf("stopped %d s: received %.2f s, lost %.2f s at %.2f s, wall time %.2f s\n",
                stopSeconds(), received / double(kRate), lost / double(kRate), at / double(kRate),
                expected / double(kRate));
    // The file's length and the gap make up the wall time, to a fragment or two.
    EXPECT_NEAR(received + lost, expected, 2 * kFragment);
    EXPECT_LE(gaps, 1);
    EXPECT_EQ(gaps > 0, lost > 0);
    if (onPipeWire()) {
        EXPECT_EQ(gaps, 1);
        EXPECT_GT(lost, kRate);
    }
}
