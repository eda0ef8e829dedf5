// A device's mixer lines read as one value and written by line number, on the virtual card.
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"

#include <gtest/gtest.h>

namespace {

// What the input card's lines hold after another client (the desktop's volume control)
// wrote to them shows in the next snapshot; one taken before keeps what it read; and the
// snapshot agrees, line by line, with the selected-line properties.
TEST(DeviceMixerSnapshot, ShowsAnotherClientsWritesAndAgreesWithTheSelectedLine) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    const int device = recorder.devInput();
    const std::vector<MixerLine> before = recorder.mixerLines();
    ASSERT_EQ(before.size(), 3u);

    card.setLineVolume(Direction::Input, device, 1, 1234);
    card.setLineBalance(Direction::Input, device, 1, 80);
    card.setLineSelect(Direction::Input, device, 2, true);
    card.setLineAdvanced(Direction::Input, device, 0, 1, 40000);

    const std::vector<MixerLine> after = recorder.mixerLines();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1].volume, 1234);
    EXPECT_EQ(after[1].balance, 80);
    EXPECT_FALSE(after[0].select);  // one recording source at a time
    EXPECT_TRUE(after[2].select);
    EXPECT_EQ(after[0].advanced.at(1).value, 40000);
    EXPECT_EQ(before[1].volume, 65535);
    EXPECT_TRUE(before[0].select);

    for (int i = 0; i <= recorder.srcInputCount(); ++i) {
        recorder.setSrcInput(i);
        const MixerLine &line = after[static_cast<size_t>(i)];
        EXPECT_EQ(line.name, recorder.srcInputName());
        EXPECT_EQ(line.volume, recorder.srcVolume());
        EXPECT_EQ(line.balance, recorder.srcVolumeBalance());
        EXPECT_EQ(line.select, recorder.srcSelect());
        EXPECT_EQ(static_cast<int>(line.advanced.size()) - 1, recorder.srcAdvancedCount());
    }

    recorder.setDevInput(1);  // a device without lines
    EXPECT_TRUE(recorder.mixerLines().empty());
}

TEST(DeviceMixerSnapshot, WritesByNumberKeepTheSelectionClampAndIgnoreUnknownLines) {
    VirtualBackend card;
    TAudioPlayer2 player(card);
    player.setSrcOutput(1);
    const std::vector<MixerLine> before = player.mixerLines();
    ASSERT_EQ(before.size(), 2u);

    player.setMixerLineMute(0, true);
    player.setMixerLineVolume(0, 70000);
    player.setMixerLineBalance(0, -5);
    player.setMixerLineVolume(2, 100);     // no such line
    player.setMixerLineVolume(-1, 100);    // nor this
    player.setMixerLineAdvanced(0, 0, 1);  // the line has no advanced controls
    player.setMixerLineSelect(0, true);    // nor a recording switch

    EXPECT_EQ(player.srcOutput(), 1);
    const std::vector<MixerLine> after = player.mixerLines();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE(after[0].mute);
    EXPECT_EQ(after[0].volume, 65535);
    EXPECT_EQ(after[0].balance, 0);
    EXPECT_FALSE(after[0].select);
    EXPECT_EQ(after[1].volume, before[1].volume);
    EXPECT_EQ(after[1].mute, before[1].mute);
}

}  // namespace
