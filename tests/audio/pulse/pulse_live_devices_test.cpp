// Devices, defaults and mixer values that change on the server while the backend runs,
// announced through devicesChanged and mixerChanged: devices plugged in and out, a server
// that appears late or comes back, and volumes other programs move.
#include "audio/devices/pulse_mixer_map.h"
#include "pulse_test_support.h"
#include "tests/support/event_loop.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>

using namespace pulsetest;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

int deviceNumber(AudioBackend &backend, Direction direction, const QString &name) {
    const std::vector<DeviceInfo> devices = backend.devices(direction);
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

bool usable(AudioBackend &backend, Direction direction, const QString &name) {
    const int number = deviceNumber(backend, direction, name);
    return number >= 0 && backend.devices(direction)[number].hasMixer;
}

// The names of the default output and input, as the backend shows them.
QString defaultNames(AudioBackend &backend) {
    const auto name = [&](Direction direction) {
        const std::vector<DeviceInfo> devices = backend.devices(direction);
        const size_t number = static_cast<size_t>(backend.defaultDevice(direction));
        return number < devices.size() ? devices[number].name : QStringLiteral("none");
    };
    return name(Direction::Output) + QStringLiteral(", ") + name(Direction::Input);
}

// What the backend's connection heard and asked: tells a change the server never announced
// from an answer that went missing or was not taken.
std::string trafficOf(const PulseBackend &backend) {
    const PulseTraffic t = backend.traffic();
    return "device news " + std::to_string(t.deviceEvents) + ", server news " +
           std::to_string(t.serverEvents) + ", defaults asked " + std::to_string(t.defaultsAsked) +
           ", answered " + std::to_string(t.defaultsAnswered) + ", failed " +
           std::to_string(t.defaultsFailed) + ", last answer \"" + t.defaultSink + "\" \"" +
           t.defaultSource + "\"";
}

// Counts the signals of a backend.
struct Announcements {
    explicit Announcements(AudioBackend &backend) {
        QObject::connect(&backend, &AudioBackend::devicesChanged, &backend, [this] { ++devices; });
        QObject::connect(&backend, &AudioBackend::mixerChanged, &backend,
                         [this](Direction direction, int number) {
                             mixers.push_back({direction, number});
                         });
    }
    bool mixerOf(Direction direction, int number) const {
        return std::find(mixers.begin(), mixers.end(), std::pair{direction, number}) !=
               mixers.end();
    }
    int devices = 0;
    std::vector<std::pair<Direction, int>> mixers;
};

pid_t serverPid() {
    return static_cast<pid_t>(qEnvironmentVariableIntValue("KORVANTA_TEST_PULSE_PID"));
}

// Starts the wrapper's server again after a test killed it.
void startServer() {
    QProcess start;
    start.startCommand(qEnvironmentVariable("KORVANTA_TEST_SERVER_START"));
    ASSERT_TRUE(start.waitForFinished(15000));
    ASSERT_EQ(start.exitCode(), 0) << start.readAllStandardError().toStdString();
}

}  // namespace

TEST_F(PulseServerTest, ASinkPluggedInIsAnnouncedListedAndRecordableThenGone) {
    Announcements announced(*backend);
    QElapsedTimer clock;
    clock.start();
    const QString module = pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                  QStringLiteral("sink_name=korvanta_late"),
                                  QStringLiteral("sink_properties=device.description=Late")})
                               .trimmed();
    ASSERT_TRUE(waitUntil(
        [&] {
            return announced.devices > 0 && usable(*backend, Direction::Output, "Late") &&
                   usable(*backend, Direction::Input, "Monitor of Late");
        },
        1000))
        << "within a second: " << announced.devices << " announcements";
    std::printf("a new sink was announced and listed after %lld ms\n", clock.elapsed());

    // Its sound is recorded from its monitor.
    TAudioRecord2 recorder(*backend);
    recorder.setDevInput(deviceNumber(*backend, Direction::Input, "Monitor of Late"));
    recorder.SetFormatArray(44100, 1);
    recorder.setBufferSize(recorder.SecToSamples(50));
    std::vector<int16_t> captured;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        const SampleArray block = recorder.ReceiveArray();
        captured.insert(captured.end(), block.samples().begin(), block.samples().end());
    });
    TAudioPlayer2 player(*backend);
    player.setDevOutput(deviceNumber(*backend, Direction::Output, "Late"));
    player.SetFormatArray(44100, 1);
    recorder.StartDevice();
    player.StartDevice();
    ASSERT_EQ(player.LastErrorNum(), 0) << player.LastErrorText().toStdString();
    player.SendArray(SampleArray(1, std::vector<int16_t>(44100 / 4)));  // wakes the sink
    player.SendArray(SampleArray(1, tone(1000, 44100, 1, 0, 44100 / 2)));
    player.SendArray(SampleArray());
    bool ended = false;
    QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ended = true; });
    ASSERT_TRUE(waitUntil([&] { return ended; }, 3000));
    spin(100);
    player.StopDevice();
    recorder.StopDevice();
    const std::vector<double> signal = firstChannel(captured, 1);
    const auto [first, last] = loudSpan(signal, 4000);
    ASSERT_GE(first, 0) << "nothing loud recorded";
    EXPECT_NEAR(static_cast<double>(last - first + 1) / 44100, 0.5, 0.01);
    EXPECT_EQ(dominantFrequency(signal, static_cast<size_t>(first), 11025, 44100), 1000);

    // Unplugged: announced, and no longer usable (the number stays, see the devices test).
    const int before = announced.devices;
    pactl({QStringLiteral("unload-module"), module});
    ASSERT_TRUE(waitUntil(
        [&] {
            return announced.devices > before && !usable(*backend, Direction::Output, "Late") &&
                   !usable(*backend, Direction::Input, "Monitor of Late");
        },
        1000));
}

TEST_F(PulseServerTest, DefaultDeviceChangesAreAnnounced) {
    pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
           QStringLiteral("sink_name=korvanta_other"),
           QStringLiteral("sink_properties=device.description=Other")});
    ASSERT_TRUE(waitUntil([&] { return usable(*backend, Direction::Output, "Other"); }));
    Announcements announced(*backend);
    const auto serverDefaults = [] {
        return pactl({QStringLiteral("get-default-sink")}).trimmed() + QLatin1Char(' ') +
               pactl({QStringLiteral("get-default-source")}).trimmed();
    };
    const QString wanted = QStringLiteral("korvanta_other korvanta_other.monitor");
    const QString wantedNames = QStringLiteral("Other, Monitor of Other");
    // PipeWire's session manager decides the default, and may overrule a request, even a
    // moment after the server reported it; so ask again whenever the server reports something
    // else. What is tested is that the backend ends up where the server is, and announces it.
    QStringList history;  // what server and backend reported, as it changed
    QElapsedTimer asking;
    asking.start();
    bool followed = false;
    for (int poll = 0; asking.elapsed() < 20000 && !followed; ++poll) {
        const QString now = serverDefaults() + QStringLiteral(" / ") + defaultNames(*backend);
        if (history.isEmpty() || !history.back().endsWith(now))
            history << QStringLiteral("%1 ms: %2").arg(asking.elapsed()).arg(now);
        if (!now.startsWith(wanted + QLatin1Char(' '))) {
            if (poll % 10 == 0) {  // about once a second
                pactl({QStringLiteral("set-default-sink"), QStringLiteral("korvanta_other")});
                pactl({QStringLiteral("set-default-source"),
                       QStringLiteral("korvanta_other.monitor")});
            }
        } else {
            followed = announced.devices > 0 && defaultNames(*backend) == wantedNames;
        }
        if (!followed)
            spin(100);
    }
    if (followed)
        return;
    // Whether a new connection sees the change tells a lost update of this connection from a
    // server that has not made the change yet.
    PulseBackend fresh;
    waitUntil([&] { return fresh.unavailableReason().isEmpty(); });
    spin(200);
    ADD_FAILURE() << "the backend should show " << wantedNames.toStdString()
                  << " once the server reports " << wanted.toStdString()
                  << "; server / backend seen: " << history.join("; ").toStdString()
                  << "; announcements " << announced.devices << "; " << trafficOf(*backend)
                  << "; a new connection shows " << defaultNames(fresh).toStdString() << " ("
                  << trafficOf(fresh) << ")";
}

TEST_F(PulseServerTest, MixerChangesMadeElsewhereAreAnnouncedAndReadBack) {
    const int sink = deviceNumber(*backend, Direction::Output, kSink);
    const int monitor = deviceNumber(*backend, Direction::Input, kMonitor);
    ASSERT_GE(sink, 0);
    ASSERT_GE(monitor, 0);
    Announcements announced(*backend);
    pactl({QStringLiteral("set-sink-volume"), QStringLiteral("korvanta_test"),
           QStringLiteral("50%")});
    pactl({QStringLiteral("set-sink-mute"), QStringLiteral("korvanta_test"), QStringLiteral("1")});
    const int expected = knobFromPulse(PA_VOLUME_NORM / 2);
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto lines = backend->mixerLines(Direction::Output, sink);
            return announced.mixerOf(Direction::Output, sink) && !lines.empty() &&
                   lines[0].volume == expected && lines[0].mute;
        },
        1000));

    pactl({QStringLiteral("set-source-mute"), QStringLiteral("korvanta_test.monitor"),
           QStringLiteral("1")});
    pactl({QStringLiteral("set-source-volume"), QStringLiteral("korvanta_test.monitor"),
           QStringLiteral("25%")});
    EXPECT_TRUE(waitUntil(
        [&] {
            return announced.mixerOf(Direction::Input, monitor) &&
                   backend->deviceVolume(Direction::Input, monitor) ==
                       knobFromPulse(PA_VOLUME_NORM / 4);
        },
        1000));
    EXPECT_EQ(announced.devices, 0) << "the device lists did not change";
}

TEST_F(PulseServerTest, OurOwnMixerChangesDoNotComeBackDifferent) {
    const int sink = deviceNumber(*backend, Direction::Output, kSink);
    ASSERT_GE(sink, 0);
    // A control that writes back whatever it is told, as a careless window would: any
    // announcement that read back a value other than ours would start a loop.
    std::vector<int> readBack;
    QObject::connect(backend.get(), &AudioBackend::mixerChanged, backend.get(),
                     [&](Direction direction, int number) {
                         const int volume = backend->deviceVolume(direction, number);
                         readBack.push_back(volume);
                         backend->setDeviceVolume(direction, number, volume);
                     });
    // A slider dragged: many writes in quick succession, the server's news of the earlier
    // ones arriving in between. What reads back is always the latest value written.
    int reverted = 0;
    for (int volume = 10000; volume <= 60000; volume += 250) {
        backend->setDeviceVolume(Direction::Output, sink, volume);
        QThread::usleep(300);
        QCoreApplication::processEvents();
        reverted += backend->deviceVolume(Direction::Output, sink) != volume;
    }
    EXPECT_EQ(reverted, 0);
    spin(600);
    const size_t settled = readBack.size();
    spin(400);
    EXPECT_EQ(readBack.size(), settled) << "announcements keep coming";
    EXPECT_EQ(backend->deviceVolume(Direction::Output, sink), 60000);
    if (!readBack.empty()) {
        EXPECT_EQ(readBack.back(), 60000);
    }
}

TEST_F(PulseServerTest, ServerLossAndReturnAndALateServerFillTheLists) {
    Announcements announced(*backend);
    ASSERT_EQ(::kill(serverPid(), SIGKILL), 0);
    ASSERT_TRUE(waitUntil(
        [&] { return announced.devices > 0 && !backend->unavailableReason().isEmpty(); }, 2000))
        << "the loss is announced";
    EXPECT_FALSE(usable(*backend, Direction::Output, kSink));

    // A backend made while there is no server: empty lists and a reason, at once.
    QElapsedTimer clock;
    clock.start();
    PulseBackend late;
    EXPECT_LT(clock.elapsed(), 100);
    Announcements lateAnnounced(late);
    ASSERT_TRUE(waitUntil([&] { return lateAnnounced.devices > 0; }, 1000));
    EXPECT_EQ(late.unavailableReason(),
              QStringLiteral("No sound server was found (PulseAudio or PipeWire)."));
    EXPECT_TRUE(late.devices(Direction::Output).empty());

    // The server starts: both fill their lists within the retry period.
    const int lossAnnouncements = announced.devices;
    startServer();
    ASSERT_TRUE(waitUntil(
        [&] {
            return late.unavailableReason().isEmpty() && usable(late, Direction::Output, kSink) &&
                   backend->unavailableReason().isEmpty() &&
                   usable(*backend, Direction::Output, kSink);
        },
        4000));
    spin(50);
    EXPECT_GT(announced.devices, lossAnnouncements) << "the return is announced";
    EXPECT_GT(lateAnnounced.devices, 1);
    TAudioRecord2 recorder(late);
    recorder.setDevInput(deviceNumber(late, Direction::Input, kMonitor));
    recorder.StartDevice();
    EXPECT_EQ(recorder.LastErrorNum(), 0) << recorder.LastErrorText().toStdString();
    // A server that has just started may take a while for its first fragment on a busy
    // machine; what counts is that the recording runs.
    EXPECT_TRUE(waitUntil([&] { return recorder.nSamplesCurrent() > 0; }, 10000))
        << trafficOf(late);
}

// With every device gone the server names no default, or one that is no longer there; the
// backend must not point at a device that is not present (the first number, once).
TEST_F(PulseServerTest, ADefaultThatIsNotPresentIsNone) {
    const int sink = deviceNumber(*backend, Direction::Output, kSink);
    ASSERT_GE(sink, 0);
    ASSERT_EQ(backend->defaultDevice(Direction::Output), sink) << trafficOf(*backend);
    pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")});
    const auto present = [&](Direction direction, int number) {
        const std::vector<DeviceInfo> devices = backend->devices(direction);
        return number >= 0 && number < static_cast<int>(devices.size()) &&
               devices[static_cast<size_t>(number)].hasMixer;
    };
    const bool gone = waitUntil([&] {
        return !present(Direction::Output, sink) &&
               !present(Direction::Input, deviceNumber(*backend, Direction::Input, kMonitor));
    });
    EXPECT_TRUE(gone);
    for (const Direction direction : {Direction::Output, Direction::Input}) {
        const int number = backend->defaultDevice(direction);
        EXPECT_TRUE(number == -1 || present(direction, number))
            << "default " << number << " is not a present device; " << trafficOf(*backend);
    }
    // The wrapper's sink back for the tests after this one; it keeps its number.
    pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
           QStringLiteral("sink_name=korvanta_test"),
           QStringLiteral("sink_properties=device.description=KorvantaTest")});
    EXPECT_TRUE(waitUntil([&] { return backend->defaultDevice(Direction::Output) == sink; }))
        << trafficOf(*backend);
}
