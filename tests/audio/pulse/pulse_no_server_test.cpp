// The sound-server backend when no server can be reached (ctest points PULSE_SERVER at a
// socket that does not exist): empty lists, failing starts with a reason, no hang.
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/pulse_backend.h"
#include "tests/support/test_backend.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

TEST(PulseWithoutServer, ListsNothingAndRefusesToStartQuickly) {
    QElapsedTimer clock;
    clock.start();
    PulseBackend backend;
    EXPECT_LT(clock.elapsed(), 2000) << "no waiting for a server that is not there";
    EXPECT_FALSE(backend.unavailableReason().isEmpty());

    TAudioRecord2 recorder(backend);
    EXPECT_EQ(recorder.devInputCount(), -1);
    EXPECT_EQ(recorder.devInputName(), QString());
    EXPECT_FALSE(recorder.devSrcEnabled());
    EXPECT_EQ(recorder.srcInputCount(), -1);
    recorder.setSrcVolume(1000);  // harmless
    recorder.setSrcSelect(true);
    recorder.SetFormatArray(44100, 2);
    recorder.StartDevice();
    EXPECT_NE(recorder.LastErrorNum(), 0);
    EXPECT_FALSE(recorder.LastErrorText().isEmpty());
    EXPECT_FALSE(recorder.isRunning());
    recorder.StopDevice();

    TAudioPlayer2 player(backend);
    EXPECT_EQ(player.devOutputCount(), -1);
    EXPECT_EQ(player.devVolume(), 0);
    player.setDevVolume(30000);
    player.setSrcMute(true);
    player.StartDevice();
    EXPECT_NE(player.LastErrorNum(), 0);
    EXPECT_FALSE(player.isRunning());
    player.SendArray(SampleArray(2, std::vector<int16_t>(400)));
    EXPECT_EQ(player.nSamplesCurrent(), 0);
}

TEST(PulseWithoutServer, TheDefaultBackendIsTheSoundServerOne) {
    // ctest runs this with KORVANTA_AUDIO=pulse.
    EXPECT_FALSE(testBackend().unavailableReason().isEmpty());
    EXPECT_TRUE(testBackend().devices(Direction::Input).empty());
}
