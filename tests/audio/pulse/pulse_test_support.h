// Helpers for the tests against the private sound server of scripts/with-pulseaudio.sh or
// scripts/with-pipewire.sh: pactl, finding devices by description, a steady sine input,
// tones and their analysis.
#pragma once

#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/pulse_backend.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace pulsetest {

inline const QString kSink = QStringLiteral("KorvantaTest");
inline const QString kMonitor = QStringLiteral("Monitor of KorvantaTest");

// The server is there: the wrapper exported its PID.
inline bool serverExpected() {
    return std::getenv("KORVANTA_TEST_PULSE_PID") != nullptr;
}

inline bool onPipeWire() {
    return qEnvironmentVariable("KORVANTA_TEST_SERVER") == QLatin1String("pipewire");
}

// A fresh connection to the test server for every test.
class PulseServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(serverExpected())
            << "These tests need the server of scripts/with-pulseaudio.sh; ctest runs them "
               "through it.";
        backend = std::make_unique<PulseBackend>();
        ASSERT_TRUE(testsupport::waitUntil([&] { return backend->unavailableReason().isEmpty(); }))
            << backend->unavailableReason().toStdString();
    }
    std::unique_ptr<PulseBackend> backend;
};

// Runs pactl with the arguments and returns what it printed; fails the test if pactl does.
inline QString pactl(const QStringList &arguments) {
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    const bool finished = process.waitForFinished(10000);
    EXPECT_TRUE(finished && process.exitCode() == 0)
        << "pactl " << arguments.join(QLatin1Char(' ')).toStdString() << ": "
        << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The block of `pactl list sinks` (or sources) for the device with this description.
inline QString pactlListEntry(const QString &kind, const QString &description) {
    const QString all = pactl({QStringLiteral("list"), kind});
    const QString marker = QStringLiteral("Description: ") + description + QLatin1Char('\n');
    const int at = all.indexOf(marker);
    if (at < 0)
        return {};
    const int start = all.lastIndexOf(QLatin1Char('#'), at);
    int end = all.indexOf(QStringLiteral("\n\n"), at);
    if (end < 0)
        end = all.size();
    return all.mid(start, end - start);
}

// Writes `samples` (mono, 16 bit) as a WAV file.
inline void writeMonoWav(const QString &path, int frequency, const std::vector<int16_t> &samples) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const auto u32 = [&](quint32 v) {
        v = qToLittleEndian(v);
        file.write(reinterpret_cast<const char *>(&v), 4);
    };
    const auto u16 = [&](quint16 v) {
        v = qToLittleEndian(v);
        file.write(reinterpret_cast<const char *>(&v), 2);
    };
    const auto bytes = static_cast<quint32>(samples.size() * 2);
    file.write("RIFF");
    u32(36 + bytes);
    file.write("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(static_cast<quint32>(frequency));
    u32(static_cast<quint32>(frequency) * 2);
    u16(2);
    u16(16);
    file.write("data");
    u32(bytes);
    for (int16_t sample : samples)
        u16(static_cast<quint16>(sample));
}

// An input that carries a steady 440 Hz sine at half full scale while this lives:
// PulseAudio's sine source, or on PipeWire (whose PulseAudio service has none) the monitor
// of a second null sink that paplay plays a long sine into.
class SineInput {
public:
    SineInput() {
        if (!onPipeWire()) {
            pactl({QStringLiteral("load-module"), QStringLiteral("module-sine-source"),
                   QStringLiteral("source_name=korvanta_sine"), QStringLiteral("frequency=440")});
            description_ = QStringLiteral("Sine source at 440 Hz");
            return;
        }
        pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
               QStringLiteral("sink_name=korvanta_sine"),
               QStringLiteral("sink_properties=device.description=Sine")});
        const QString wav = dir_.filePath(QStringLiteral("sine.wav"));
        std::vector<int16_t> samples(44100 * 30);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] =
                static_cast<int16_t>(std::lround(16384.0 * std::sin(2 * M_PI * 440 * i / 44100)));
        writeMonoWav(wav, 44100, samples);
        player_.start(QStringLiteral("paplay"),
                      {QStringLiteral("-d"), QStringLiteral("korvanta_sine"), wav});
        EXPECT_TRUE(player_.waitForStarted());
        description_ = QStringLiteral("Monitor of Sine");
    }
    ~SineInput() {
        player_.kill();
        player_.waitForFinished();
    }
    SineInput(const SineInput &) = delete;
    SineInput &operator=(const SineInput &) = delete;

    QString description() const { return description_; }

private:
    QTemporaryDir dir_;
    QProcess player_;
    QString description_;
};

// The device number with this name, or -1; the current device stays selected.
inline int findInput(TAudioRecord2 &r, const QString &name) {
    const int saved = r.devInput();
    int found = -1;
    for (int i = 0; i <= r.devInputCount() && found < 0; ++i) {
        r.setDevInput(i);
        if (r.devInputName() == name)
            found = i;
    }
    r.setDevInput(saved);
    return found;
}

inline int findOutput(TAudioPlayer2 &p, const QString &name) {
    const int saved = p.devOutput();
    int found = -1;
    for (int i = 0; i <= p.devOutputCount() && found < 0; ++i) {
        p.setDevOutput(i);
        if (p.devOutputName() == name)
            found = i;
    }
    p.setDevOutput(saved);
    return found;
}

// A sine of `hz` at half full scale, the same on every channel.
inline std::vector<int16_t> tone(double hz, int frequency, int channels, int64_t firstFrame,
                                 int frames) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(firstFrame + i) / frequency;
        const auto value = static_cast<int16_t>(std::lround(16384.0 * std::sin(2 * M_PI * hz * t)));
        for (int ch = 0; ch < channels; ++ch)
            samples[static_cast<size_t>(i) * channels + ch] = value;
    }
    return samples;
}

// The first channel of interleaved samples.
inline std::vector<double> firstChannel(const std::vector<int16_t> &samples, int channels) {
    std::vector<double> out(samples.size() / channels);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = samples[i * channels];
    return out;
}

// Frames from the first to the last sample louder than `threshold`; -1 when none is.
inline std::pair<long, long> loudSpan(const std::vector<double> &signal, double threshold) {
    long first = -1, last = -1;
    for (size_t i = 0; i < signal.size(); ++i) {
        if (std::abs(signal[i]) > threshold) {
            if (first < 0)
                first = static_cast<long>(i);
            last = static_cast<long>(i);
        }
    }
    return {first, last};
}

// The frequency (10 Hz steps, 50..5000 Hz) with the most energy in signal[from, from+count).
inline double dominantFrequency(const std::vector<double> &signal, size_t from, size_t count,
                                int frequency) {
    double best = 0, bestPower = -1;
    for (double hz = 50; hz <= 5000; hz += 10) {
        // Goertzel
        const double coefficient = 2 * std::cos(2 * M_PI * hz / frequency);
        double s1 = 0, s2 = 0;
        for (size_t i = from; i < from + count && i < signal.size(); ++i) {
            const double s0 = signal[i] + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = hz;
        }
    }
    return best;
}

}  // namespace pulsetest
