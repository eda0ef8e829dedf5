// The sound-server backend's pure parts, without a server: how devices become mixer lines,
// the volume and balance scales, stable device numbers, and the heard-position clock.
#include "audio/devices/pulse_device_table.h"
#include "audio/devices/pulse_mixer_map.h"
#include "audio/devices/pulse_playback_clock.h"

#include <gtest/gtest.h>

namespace {

pa_channel_map stereoMap() {
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    return map;
}

pa_cvolume stereoVolume(pa_volume_t left, pa_volume_t right) {
    pa_cvolume volume;
    volume.channels = 2;
    volume.values[0] = left;
    volume.values[1] = right;
    return volume;
}

PulseDevice device(const std::string &name, std::vector<PulsePort> ports = {},
                   const std::string &active = {}) {
    PulseDevice d;
    d.name = name;
    d.description = QString::fromStdString(name);
    d.present = true;
    d.channelMap = stereoMap();
    d.volume = stereoVolume(PA_VOLUME_NORM / 2, PA_VOLUME_NORM / 2);
    d.ports = std::move(ports);
    d.activePort = active;
    return d;
}

}  // namespace

TEST(PulseMixerMap, KnobCoversTheServersZeroToHundredPercentExactly) {
    EXPECT_EQ(pulseFromKnob(0), PA_VOLUME_MUTED);
    EXPECT_EQ(pulseFromKnob(65535), PA_VOLUME_NORM);
    EXPECT_EQ(pulseFromKnob(-5), PA_VOLUME_MUTED);
    EXPECT_EQ(pulseFromKnob(70000), PA_VOLUME_NORM);
    EXPECT_EQ(knobFromPulse(PA_VOLUME_NORM), 65535);
    EXPECT_EQ(knobFromPulse(PA_VOLUME_NORM * 3 / 2), 65535);  // amplified reads as the top
    EXPECT_EQ(knobFromPulse(PA_VOLUME_INVALID), 0);
    for (int knob = 0; knob <= 65535; ++knob)
        ASSERT_EQ(knobFromPulse(pulseFromKnob(knob)), knob) << knob;
}

TEST(PulseMixerMap, BalanceFollowsTheChannelMap) {
    const pa_channel_map map = stereoMap();
    EXPECT_EQ(balanceFromPulse(stereoVolume(PA_VOLUME_NORM, PA_VOLUME_NORM), map), 50);
    EXPECT_EQ(balanceFromPulse(stereoVolume(PA_VOLUME_NORM, 0), map), 0);  // left only
    EXPECT_EQ(balanceFromPulse(stereoVolume(0, PA_VOLUME_NORM), map), 100);
    EXPECT_EQ(balanceFromPulse(stereoVolume(PA_VOLUME_NORM, PA_VOLUME_NORM / 2), map), 25);

    const pa_cvolume start = withKnobVolume(stereoVolume(PA_VOLUME_NORM, PA_VOLUME_NORM), 40000);
    for (int balance = 0; balance <= 100; ++balance) {
        const pa_cvolume v = withBalance(start, map, balance);
        EXPECT_EQ(balanceFromPulse(v, map), balance);
        EXPECT_EQ(pa_cvolume_max(&v), pulseFromKnob(40000)) << "balance keeps the volume";
    }
    const pa_cvolume leftish = withBalance(start, map, 20);
    const pa_cvolume louder = withKnobVolume(leftish, 65535);
    EXPECT_EQ(pa_cvolume_max(&louder), PA_VOLUME_NORM);
    EXPECT_EQ(balanceFromPulse(louder, map), 20) << "volume keeps the balance";
}

TEST(PulseMixerMap, MonoDevicesHaveNoBalance) {
    PulseDevice mono = device("mono");
    pa_channel_map_init_mono(&mono.channelMap);
    pa_cvolume_set(&mono.volume, 1, PA_VOLUME_NORM);
    const auto lines = mixerLinesFor(mono, Direction::Input);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].hasBalance);
    EXPECT_EQ(lines[0].balance, 50);
    EXPECT_EQ(lines[0].volume, 65535);
    const pa_cvolume unchanged = withBalance(mono.volume, mono.channelMap, 0);
    EXPECT_TRUE(pa_cvolume_equal(&unchanged, &mono.volume));
}

TEST(PulseMixerMap, InputPortsBecomeSelectableLinesAfterMaster) {
    PulseDevice input = device("alsa_input",
                               {{"analog-input-mic", QStringLiteral("Microphone"), false},
                                {"analog-input-linein", QStringLiteral("Line In"), true},
                                {"analog-input-headset", QString(), false}},
                               "analog-input-linein");
    const auto lines = mixerLinesFor(input, Direction::Input);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].name, QStringLiteral("Master"));
    EXPECT_TRUE(lines[0].hasVolume);
    EXPECT_EQ(lines[0].volume, 32768);
    EXPECT_TRUE(lines[0].hasBalance);
    EXPECT_FALSE(lines[0].hasSelect);
    EXPECT_FALSE(lines[0].hasMute) << "inputs have no mute switch";
    EXPECT_EQ(lines[1].name, QStringLiteral("Microphone"));
    EXPECT_EQ(lines[2].name, QStringLiteral("Line In (unplugged)"));
    EXPECT_EQ(lines[3].name, QStringLiteral("analog-input-headset")) << "no description";
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].hasSelect);
        EXPECT_EQ(lines[i].select, i == 2);
        EXPECT_FALSE(lines[i].hasVolume);
        EXPECT_FALSE(lines[i].hasBalance);
        EXPECT_TRUE(lines[i].advanced.empty());
    }

    EXPECT_EQ(portOfLine(input, Direction::Input, 0), nullptr);
    ASSERT_NE(portOfLine(input, Direction::Input, 2), nullptr);
    EXPECT_EQ(portOfLine(input, Direction::Input, 2)->name, "analog-input-linein");
    EXPECT_EQ(portOfLine(input, Direction::Input, 4), nullptr);
    EXPECT_EQ(portOfLine(input, Direction::Input, -1), nullptr);
}

TEST(PulseMixerMap, OutputsMonitorsAndSinglePortInputsHaveOnlyMaster) {
    PulseDevice output = device("alsa_output",
                                {{"speaker", QStringLiteral("Speakers"), false},
                                 {"headphones", QStringLiteral("Headphones"), false}},
                                "speaker");
    output.mute = true;
    auto lines = mixerLinesFor(output, Direction::Output);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].hasMute);
    EXPECT_TRUE(lines[0].mute);
    EXPECT_EQ(portOfLine(output, Direction::Output, 1), nullptr);

    PulseDevice monitor = device("sink.monitor");
    monitor.isMonitor = true;
    EXPECT_EQ(mixerLinesFor(monitor, Direction::Input).size(), 1u);

    const PulseDevice single =
        device("usb_mic", {{"mic", QStringLiteral("Microphone"), false}}, "mic");
    EXPECT_EQ(mixerLinesFor(single, Direction::Input).size(), 1u);

    PulseDevice gone = device("gone");
    gone.present = false;
    EXPECT_TRUE(mixerLinesFor(gone, Direction::Output).empty());
}

TEST(PulseDeviceTable, NumbersStayWhileDevicesComeAndGo) {
    PulseDeviceTable table;
    PulseDevice a = device("a"), b = device("b"), c = device("c");
    a.serverIndex = 10;
    b.serverIndex = 11;
    EXPECT_EQ(table.update(a).number, 0);
    EXPECT_EQ(table.update(b).number, 1);

    EXPECT_EQ(table.remove(10), 0);  // "a" unplugged
    EXPECT_EQ(table.remove(10), -1) << "already gone";
    ASSERT_EQ(table.all().size(), 2u);
    EXPECT_FALSE(table.at(0)->present);
    EXPECT_TRUE(table.at(1)->present);

    c.serverIndex = 12;
    EXPECT_EQ(table.update(c).number, 2) << "a new device is appended, the gap stays";
    a.serverIndex = 13;  // plugged in again under a new server index
    a.description = QStringLiteral("A again");
    EXPECT_EQ(table.update(a).number, 0);
    EXPECT_TRUE(table.at(0)->present);
    EXPECT_EQ(table.at(0)->description, QStringLiteral("A again"));

    EXPECT_TRUE(table.removeAll());  // the server went away
    for (const PulseDevice &d : table.all())
        EXPECT_FALSE(d.present);
    EXPECT_FALSE(table.removeAll()) << "nothing more went away";
    b.serverIndex = 1;  // the new server numbers differently
    EXPECT_EQ(table.update(b).number, 1);
    EXPECT_EQ(table.remove(12), -1) << "c's old index means nothing now";
    EXPECT_TRUE(table.at(1)->present);
    EXPECT_EQ(table.find("c"), 2);
    EXPECT_EQ(table.find("missing"), -1);
    EXPECT_EQ(table.at(3), nullptr);
    EXPECT_EQ(table.at(-1), nullptr);
}

TEST(PulseDeviceTable, ReportsWhatAnUpdateChanged) {
    PulseDeviceTable table;
    PulseDevice a = device("a", {{"mic", QStringLiteral("Microphone"), false}}, "mic");
    PulseDeviceChange change = table.update(a);
    EXPECT_TRUE(change.listing) << "a new device";
    EXPECT_FALSE(table.update(a).listing || table.update(a).mixer) << "the same report again";

    PulseDevice louder = a;
    louder.volume = stereoVolume(PA_VOLUME_NORM, PA_VOLUME_NORM / 2);
    change = table.update(louder);
    EXPECT_FALSE(change.listing);
    EXPECT_TRUE(change.mixer);
    EXPECT_EQ(change.number, 0);

    PulseDevice muted = louder;
    muted.mute = true;
    EXPECT_TRUE(table.update(muted).mixer);
    PulseDevice unplugged = muted;
    unplugged.ports[0].unplugged = true;  // the line's name changes
    EXPECT_TRUE(table.update(unplugged).mixer);
    PulseDevice renamed = unplugged;
    renamed.description = QStringLiteral("Renamed");
    change = table.update(renamed);
    EXPECT_TRUE(change.listing);
    EXPECT_FALSE(change.mixer);

    table.remove(renamed.serverIndex);
    change = table.update(renamed);
    EXPECT_TRUE(change.listing) << "back after it went away";
    EXPECT_TRUE(change.mixer) << "its lines are back too";
}

TEST(PulsePlaybackClock, HeardFollowsTheServerAndWaitsForTheDeviceAtTheEnd) {
    PulsePlaybackClock clock(1000);  // 1 frame per millisecond keeps the numbers readable
    EXPECT_EQ(clock.update(0, 500, 80000, 0), 0);
    EXPECT_EQ(clock.update(300, 500, 80000, 300000), 220) << "read minus the device latency";
    EXPECT_EQ(clock.update(310, 500, 100000, 310000), 220) << "never goes backwards";

    // Everything was read at t = 500 ms; the device plays its last 80 ms after that.
    EXPECT_EQ(clock.update(500, 500, 80000, 500000), 420);
    EXPECT_EQ(clock.update(500, 500, 80000, 560000), 420) << "the device latency stays";
    EXPECT_EQ(clock.update(500, 500, 80000, 579999), 420);
    EXPECT_EQ(clock.update(500, 500, 80000, 580000), 500);

    // More data after an underrun: the new tail is waited for again.
    EXPECT_EQ(clock.update(500, 700, 80000, 600000), 500);
    EXPECT_EQ(clock.update(700, 700, 80000, 800000), 620);
    EXPECT_EQ(clock.update(700, 700, 80000, 880000), 700);
    EXPECT_EQ(clock.update(900, 700, 80000, 900000), 700) << "never past what was written";
}

TEST(PulsePlaybackClock, ADrainThatCompletesMeansEverythingBeforeItWasHeard) {
    PulsePlaybackClock clock(1000);
    // PipeWire: the read position stops a partial period short of the end.
    EXPECT_EQ(clock.update(480, 500, 20000, 500000), 460);
    clock.drainStarted(500, 500000);
    EXPECT_EQ(clock.update(480, 500, 20000, 600000), 460) << "not before the drain answers";
    EXPECT_EQ(clock.drainFinished(500), 500);
    EXPECT_EQ(clock.update(480, 500, 20000, 620000), 500) << "and it stays there";

    // Data written after the drain began is not covered by it.
    EXPECT_EQ(clock.update(500, 800, 20000, 700000), 500);
    clock.drainStarted(700, 700000);
    EXPECT_EQ(clock.drainFinished(700), 700);
    EXPECT_EQ(clock.update(700, 800, 20000, 710000), 700);
}

TEST(PulsePlaybackClock, ADrainThatNeverAnswersEndsByTheTimingReports) {
    PulsePlaybackClock clock(1000);
    EXPECT_EQ(clock.update(380, 500, 20000, 1000000), 360);
    clock.drainStarted(500, 1000000);
    // 120 ms unread, 20 ms latency, then the grace period.
    const int64_t deadline = 1000000 + 120000 + 20000 + PulsePlaybackClock::kDrainGraceUs;
    EXPECT_EQ(clock.update(480, 500, 20000, deadline - 1), 460);
    EXPECT_EQ(clock.heard(), 460) << "a server that sends no reports ends nothing";
    EXPECT_EQ(clock.update(480, 500, 20000, deadline), 500);
}
