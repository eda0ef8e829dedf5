// The sound server dies in the middle of a recording and a playback: both components stop
// and report it, and the recorder still hands on everything it captured.
#include "pulse_test_support.h"
#include "tests/support/event_loop.h"

#include <sys/types.h>
#include <csignal>

using namespace pulsetest;
using testsupport::spin;
using testsupport::waitUntil;

TEST_F(PulseServerTest, KillingTheServerStopsRecordingAndPlaybackCleanly) {
    SineInput sine;
    TAudioRecord2 recorder(*backend);
    ASSERT_TRUE(waitUntil([&] { return findInput(recorder, sine.description()) >= 0; }));
    spin(300);  // the sine is flowing
    recorder.setDevInput(findInput(recorder, sine.description()));
    recorder.SetFormatArray(44100, 2);
    recorder.setBufferSize(recorder.SecToSamples(200));
    std::vector<int16_t> captured;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        const SampleArray block = recorder.ReceiveArray();
        captured.insert(captured.end(), block.samples().begin(), block.samples().end());
    });
    QStringList recorderErrors, playerErrors;
    QObject::connect(&recorder, &TAudioRecord2::OnDeviceError, &recorder,
                     [&](const QString &reason) { recorderErrors << reason; });

    TAudioPlayer2 player(*backend);
    player.setDevOutput(findOutput(player, kSink));
    player.SetFormatArray(44100, 2);
    QObject::connect(&player, &TAudioPlayer2::OnDeviceError, &player,
                     [&](const QString &reason) { playerErrors << reason; });

    recorder.StartDevice();
    ASSERT_EQ(recorder.LastErrorNum(), 0) << recorder.LastErrorText().toStdString();
    player.StartDevice();
    ASSERT_EQ(player.LastErrorNum(), 0) << player.LastErrorText().toStdString();
    player.SendArray(SampleArray(2, tone(1000, 44100, 2, 0, 44100 * 5)));
    spin(1000);

    ASSERT_EQ(
        ::kill(static_cast<pid_t>(std::atoi(std::getenv("KORVANTA_TEST_PULSE_PID"))), SIGKILL), 0);
    ASSERT_TRUE(waitUntil([&] { return !recorderErrors.isEmpty() && !playerErrors.isEmpty(); }));
    spin(200);

    EXPECT_EQ(recorderErrors.size(), 1);
    EXPECT_TRUE(recorderErrors.value(0).contains(QStringLiteral("sound server")))
        << recorderErrors.value(0).toStdString();
    EXPECT_FALSE(recorder.isRunning());
    EXPECT_NE(recorder.LastErrorNum(), 0);
    const int frames = static_cast<int>(captured.size() / 2);
    EXPECT_EQ(frames, recorder.nSamplesCurrent()) << "every captured frame was handed on";
    EXPECT_GT(frames, 44100 * 8 / 10);
    EXPECT_EQ(dominantFrequency(firstChannel(captured, 2), 4410, 22050, 44100), 440);

    EXPECT_EQ(playerErrors.size(), 1);
    EXPECT_FALSE(player.isRunning());
    EXPECT_NE(player.LastErrorNum(), 0);

    // Without a server nothing starts, and nothing is listed as usable.
    EXPECT_FALSE(backend->unavailableReason().isEmpty());
    recorder.StartDevice();
    EXPECT_NE(recorder.LastErrorNum(), 0);
    EXPECT_FALSE(recorder.isRunning());
    EXPECT_FALSE(recorder.devSrcEnabled());
    player.StartDevice();
    EXPECT_NE(player.LastErrorNum(), 0);
}
