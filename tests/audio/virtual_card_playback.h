// Plays a generated signal through a player on a fresh virtual card that writes everything it
// plays to a WAV file, block by block as the player asks: what a listener would hear.
#pragma once

#include "audio/audio_player2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

struct PlayedSound {
    std::vector<int16_t> sent;
    std::vector<int16_t> heard;
};

// `signal(t)` gives the sample at t seconds, the same on every channel.
inline PlayedSound playOnVirtualCard(int rate, int channels, int blocks,
                                     const std::function<void(TAudioPlayer2 &)> &setUp,
                                     const std::function<double(double)> &signal) {
    QTemporaryDir dir;
    const QString sinkPath = dir.filePath(QStringLiteral("heard.wav"));
    setenv("KORVANTA_VIRTUAL_SINK", QFile::encodeName(sinkPath).constData(), 1);
    PlayedSound sound;
    {
        VirtualBackend card;
        TAudioPlayer2 player(card);
        player.SetFormatArray(rate, channels);
        setUp(player);
        const int frames = player.SecToSamples(200);
        int next = 0, ends = 0;
        auto sendNext = [&] {
            if (next == blocks) {
                player.SendArray(SampleArray());
                return;
            }
            std::vector<int16_t> block;
            for (int i = 0; i < frames; ++i) {
                const double v = signal(double(int64_t(next) * frames + i) / rate);
                block.insert(block.end(), channels, static_cast<int16_t>(std::lround(v)));
            }
            sound.sent.insert(sound.sent.end(), block.begin(), block.end());
            player.SendArray(SampleArray(channels, block));
            ++next;
        };
        QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, &player, sendNext);
        QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ++ends; });
        player.StartDevice();
        EXPECT_EQ(player.LastErrorNum(), 0);
        sendNext();
        sendNext();
        EXPECT_TRUE(testsupport::waitUntil([&] { return ends > 0; }, 5000));
        player.StopDevice();
    }
    unsetenv("KORVANTA_VIRTUAL_SINK");

    QFile wav(sinkPath);
    if (wav.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = wav.readAll().mid(44);  // past the header
        sound.heard.resize(static_cast<size_t>(bytes.size()) / 2);
        std::memcpy(sound.heard.data(), bytes.constData(), sound.heard.size() * 2);
    }
    return sound;
}

// Amplitude of one frequency in channel `channel` of `s`, over `n` frames from `from`; n
// should hold a whole number of periods (a single DFT bin).
inline double amplitudeAt(const std::vector<int16_t> &s, int channels, int channel, double hz,
                          int rate, size_t from, size_t n) {
    double re = 0, im = 0;
    for (size_t i = 0; i < n; ++i) {
        const double phase = 2 * M_PI * hz * double(i) / rate;
        const double x = s[(from + i) * channels + channel];
        re += x * std::cos(phase);
        im += x * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / double(n);
}
