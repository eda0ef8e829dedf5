// Devices and mixer lines against a real sound server: what the lists show, stable device
// numbers while devices come and go, and mixer changes in both directions, checked with
// pactl.
#include "audio/devices/pulse_mixer_map.h"
#include "pulse_test_support.h"
#include "tests/support/event_loop.h"

#include <QRegularExpression>

using namespace pulsetest;
using testsupport::waitUntil;

namespace {

// "front-left: 32768 /  50% / ..." -> the raw values of every channel in a pactl entry.
std::vector<int> pactlVolumes(const QString &entry) {
    std::vector<int> values;
    const QString line = entry.section(QStringLiteral("\tVolume: "), 1, 1).section('\n', 0, 0);
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
    auto it = channel.globalMatch(line);
    while (it.hasNext())
        values.push_back(it.next().captured(1).toInt());
    return values;
}

QString pactlBalance(const QString &entry) {
    return entry.section(QStringLiteral("balance "), 1, 1).section('\n', 0, 0).trimmed();
}

bool pactlMuted(const QString &entry) {
    return entry.contains(QStringLiteral("\tMute: yes"));
}

}  // namespace

TEST_F(PulseServerTest, ListsTheNullSinkAndItsMonitorAsDefaults) {
    TAudioPlayer2 player(*backend);
    TAudioRecord2 recorder(*backend);
    const int sink = findOutput(player, kSink);
    const int monitor = findInput(recorder, kMonitor);
    ASSERT_GE(sink, 0);
    ASSERT_GE(monitor, 0);
    EXPECT_EQ(player.devOutput(), sink) << "the server's default sink is preselected";
    EXPECT_EQ(recorder.devInput(), monitor) << "and its default source";

    EXPECT_TRUE(player.devSrcEnabled());
    EXPECT_EQ(player.srcOutputCount(), 0);  // "Master" only
    player.setSrcOutput(0);
    EXPECT_EQ(player.srcOutputName(), QStringLiteral("Master"));
    EXPECT_TRUE(player.srcMuteEnabled());
    EXPECT_EQ(player.srcAdvancedCount(), -1);

    EXPECT_TRUE(recorder.devSrcEnabled());
    EXPECT_EQ(recorder.srcInputCount(), 0);
    EXPECT_TRUE(recorder.srcVolumeEnabled());
    EXPECT_FALSE(recorder.srcSelectEnabled());
}

TEST_F(PulseServerTest, NewDevicesAreAppendedAndGoneOnesKeepTheirNumbers) {
    TAudioPlayer2 player(*backend);
    TAudioRecord2 recorder(*backend);
    const int outputsBefore = player.devOutputCount();
    const int inputsBefore = recorder.devInputCount();
    const int sink = findOutput(player, kSink);

    const QString module = pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                  QStringLiteral("sink_name=korvanta_second"),
                                  QStringLiteral("sink_properties=device.description=Second")})
                               .trimmed();
    ASSERT_TRUE(waitUntil([&] { return findOutput(player, QStringLiteral("Second")) >= 0; }));
    EXPECT_EQ(findOutput(player, QStringLiteral("Second")), outputsBefore + 1);
    ASSERT_TRUE(
        waitUntil([&] { return findInput(recorder, QStringLiteral("Monitor of Second")) >= 0; }));
    EXPECT_EQ(findInput(recorder, QStringLiteral("Monitor of Second")), inputsBefore + 1);
    EXPECT_EQ(findOutput(player, kSink), sink);

    pactl({QStringLiteral("unload-module"), module});
    player.setDevOutput(outputsBefore + 1);
    ASSERT_TRUE(waitUntil([&] { return !player.devSrcEnabled(); }));
    EXPECT_EQ(player.devOutputCount(), outputsBefore + 1) << "the entry stays, unusable";
    EXPECT_EQ(player.srcOutputCount(), -1);
    player.StartDevice();
    EXPECT_NE(player.LastErrorNum(), 0);

    pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
           QStringLiteral("sink_name=korvanta_second"),
           QStringLiteral("sink_properties=device.description=Second")});
    ASSERT_TRUE(waitUntil([&] { return player.devSrcEnabled(); }));
    EXPECT_EQ(player.devOutputName(), QStringLiteral("Second"));
    EXPECT_EQ(player.devOutputCount(), outputsBefore + 1) << "it came back under its number";
}

TEST_F(PulseServerTest, OurMixerChangesAreWhatPactlReports) {
    TAudioPlayer2 player(*backend);
    player.setDevOutput(findOutput(player, kSink));
    player.setSrcOutput(0);
    player.setSrcVolume(32768);
    player.setSrcVolumeBalance(25);
    player.setSrcMute(true);

    const pa_volume_t loud = pulseFromKnob(32768);
    ASSERT_TRUE(waitUntil([&] {
        const QString entry = pactlListEntry(QStringLiteral("sinks"), kSink);
        return pactlVolumes(entry) == std::vector<int>{int(loud), int(loud / 2)} &&
               pactlMuted(entry);
    })) << pactlListEntry(QStringLiteral("sinks"), kSink).toStdString();
    EXPECT_EQ(pactlBalance(pactlListEntry(QStringLiteral("sinks"), kSink)),
              QStringLiteral("-0.50"));
    EXPECT_EQ(player.devVolume(), 32768) << "the knob is the same volume";

    player.setDevVolume(65535);
    player.setSrcMute(false);
    ASSERT_TRUE(waitUntil([&] {
        const QString entry = pactlListEntry(QStringLiteral("sinks"), kSink);
        const std::vector<int> volumes = pactlVolumes(entry);
        return volumes.size() == 2 && volumes[0] == int(PA_VOLUME_NORM) &&
               pactlBalance(entry) == QStringLiteral("-0.50") && !pactlMuted(entry);
    })) << pactlListEntry(QStringLiteral("sinks"), kSink).toStdString();

    TAudioRecord2 recorder(*backend);
    recorder.setDevInput(findInput(recorder, kMonitor));
    recorder.setSrcInput(0);
    recorder.setSrcVolume(13107);  // 20 %
    recorder.setSrcVolumeBalance(100);
    const pa_volume_t quiet = pulseFromKnob(13107);
    ASSERT_TRUE(waitUntil([&] {
        return pactlVolumes(pactlListEntry(QStringLiteral("sources"), kMonitor)) ==
               std::vector<int>{0, int(quiet)};
    })) << pactlListEntry(QStringLiteral("sources"), kMonitor).toStdString();
}

TEST_F(PulseServerTest, PactlChangesAreWhatOurLinesRead) {
    TAudioPlayer2 player(*backend);
    player.setDevOutput(findOutput(player, kSink));
    player.setSrcOutput(0);
    pactl({QStringLiteral("set-sink-volume"), QStringLiteral("korvanta_test"),
           QStringLiteral("40%"), QStringLiteral("20%")});
    pactl({QStringLiteral("set-sink-mute"), QStringLiteral("korvanta_test"), QStringLiteral("1")});
    const int expected = knobFromPulse(static_cast<pa_volume_t>(std::lround(0.4 * PA_VOLUME_NORM)));
    EXPECT_TRUE(waitUntil([&] {
        return player.srcVolume() == expected && player.srcVolumeBalance() == 25 &&
               player.srcMute();
    })) << player.srcVolume()
        << " " << player.srcVolumeBalance() << " " << player.srcMute();
    EXPECT_EQ(player.devVolume(), expected);

    pactl({QStringLiteral("set-sink-volume"), QStringLiteral("korvanta_test"),
           QStringLiteral("100%")});
    pactl({QStringLiteral("set-sink-mute"), QStringLiteral("korvanta_test"), QStringLiteral("0")});
    EXPECT_TRUE(waitUntil([&] {
        return player.srcVolume() == 65535 && player.srcVolumeBalance() == 50 && !player.srcMute();
    }));

    TAudioRecord2 recorder(*backend);
    recorder.setDevInput(findInput(recorder, kMonitor));
    pactl({QStringLiteral("set-source-volume"), QStringLiteral("korvanta_test.monitor"),
           QStringLiteral("50%")});
    EXPECT_TRUE(waitUntil([&] {
        return recorder.srcVolume() == knobFromPulse(PA_VOLUME_NORM / 2);
    })) << recorder.srcVolume();
}
