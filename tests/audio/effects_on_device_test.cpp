// The recorder's filters and the player's equaliser measured on the virtual sound card: what
// the recorder hands on and what the player sends to the device, not the filter formulas.
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;

double channelRms(const std::vector<int16_t> &s, int channel, size_t fromFrame) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = fromFrame * 2 + channel; i < s.size(); i += 2, ++n)
        sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / n) : 0;
}

double db(double ratio) {
    return 20 * std::log10(ratio);
}

// Records at least `blocks` 200 ms blocks of the card's tones (440 Hz left, 1 kHz right) with
// the filters `setUp` switches on; returns the levels of both channels relative to the card's
// unfiltered tone, in dB, measured after the first 300 ms.
std::pair<double, double> recordedLevels(const std::function<void(TAudioRecord2 &)> &setUp,
                                         int blocks = 5) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.SetFormatArray(kRate, 2);
    recorder.setBufferSize(recorder.SecToSamples(200));
    setUp(recorder);
    std::vector<int16_t> samples;
    int received = 0;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        const SampleArray block = recorder.ReceiveArray();
        samples.insert(samples.end(), block.samples().begin(), block.samples().end());
        ++received;
    });
    recorder.StartDevice();
    EXPECT_EQ(recorder.LastErrorNum(), 0);
    EXPECT_TRUE(waitUntil([&] { return received >= blocks; }));
    recorder.StopDevice();
    const double unfiltered = 16384.0 / std::sqrt(2.0);
    const size_t settled = kRate * 3 / 10;
    return {db(channelRms(samples, 0, settled) / unfiltered),
            db(channelRms(samples, 1, settled) / unfiltered)};
}

std::vector<int16_t> stereoTone(double hz, int frames, double amplitude, int64_t start) {
    std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * M_PI * hz * double(start + i) / kRate)));
        s[2 * static_cast<size_t>(i)] = s[2 * static_cast<size_t>(i) + 1] = v;
    }
    return s;
}

// Plays `blocks` 200 ms blocks of a 1 kHz tone through a player set up by `setUp`, block by
// block as the player asks; returns what was sent and what the card played.
struct Played {
    std::vector<int16_t> sent;
    std::vector<int16_t> heard;
};

Played playTone(const std::function<void(TAudioPlayer2 &)> &setUp, int blocks = 5) {
    QTemporaryDir dir;
    const QString sinkPath = dir.filePath(QStringLiteral("heard.wav"));
    setenv("KORVANTA_VIRTUAL_SINK", QFile::encodeName(sinkPath).constData(), 1);
    Played played;
    {
        VirtualBackend card;
        TAudioPlayer2 player(card);
        player.SetFormatArray(kRate, 2);
        setUp(player);
        const int frames = player.SecToSamples(200);
        int next = 0, ends = 0;
        auto sendNext = [&] {
            if (next == blocks) {
                player.SendArray(SampleArray());
                return;
            }
            std::vector<int16_t> block = stereoTone(1000, frames, 4000, int64_t(next) * frames);
            played.sent.insert(played.sent.end(), block.begin(), block.end());
            player.SendArray(SampleArray(2, block));
            ++next;
        };
        QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, &player, sendNext);
        QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ++ends; });
        player.StartDevice();
        EXPECT_EQ(player.LastErrorNum(), 0);
        sendNext();
        sendNext();
        EXPECT_TRUE(waitUntil([&] { return ends > 0; }, 5000));
        player.StopDevice();
    }
    unsetenv("KORVANTA_VIRTUAL_SINK");

    QFile wav(sinkPath);
    EXPECT_TRUE(wav.open(QIODevice::ReadOnly));
    const QByteArray bytes = wav.readAll();
    if (bytes.size() > 44) {
        played.heard.resize(static_cast<size_t>(bytes.size() - 44) / 2);
        std::memcpy(played.heard.data(), bytes.constData() + 44, played.heard.size() * 2);
    }
    return played;
}

std::array<float, 12> oneBand(int band, float gain) {
    std::array<float, 12> gains{};
    gains[band] = gain;
    return gains;
}

}  // namespace

TEST(RecorderFilters, NotchAt1kHzRemovesTheOneKilohertzTone) {
    const auto [left, right] = recordedLevels([](TAudioRecord2 &r) {
        r.setNotchFilterFrequency(1000);
        r.setNotchFilterEnabled(true);
    });
    EXPECT_LT(right, -30.0);
    EXPECT_NEAR(left, 0.0, 1.0);  // the notch is narrow: 440 Hz passes
}

TEST(RecorderFilters, LowPassAt4kHzLeaves440HzAlone) {
    const auto [left, right] = recordedLevels([](TAudioRecord2 &r) {
        r.setLowPassFilterFrequency(4000);
        r.setLowPassFilterEnabled(true);
    });
    EXPECT_NEAR(left, 0.0, 1.0);
    EXPECT_NEAR(right, 0.0, 1.0);
}

TEST(RecorderFilters, HighPassAt2kHzCuts440Hz) {
    const auto [left, right] = recordedLevels([](TAudioRecord2 &r) {
        r.setHighPassFilterFrequency(2000);
        r.setHighPassFilterEnabled(true);
    });
    EXPECT_LT(left, -20.0);
    EXPECT_LT(right, -3.0);  // 1 kHz lies below the corner too
}

TEST(RecorderFilters, SwitchedOffByDefaultSoTheToneArrivesUnchanged) {
    const auto [left, right] = recordedLevels([](TAudioRecord2 &) {}, 2);
    EXPECT_NEAR(left, 0.0, 0.01);
    EXPECT_NEAR(right, 0.0, 0.01);
}

TEST(PlayerEqualizer, TwelveDecibelsOnTheOneKilohertzBandRaisesTheToneByTwelve) {
    const Played played = playTone([](TAudioPlayer2 &p) {
        p.SetEqualizerArray(oneBand(5, 12.0f));
        p.setEqualizerEnabled(true);
    });
    ASSERT_EQ(played.heard.size(), played.sent.size());
    const size_t settled = kRate / 5;
    const double gain =
        db(channelRms(played.heard, 0, settled) / channelRms(played.sent, 0, settled));
    EXPECT_NEAR(gain, 12.0, 1.5);
}

TEST(PlayerEqualizer, FlatCurveIsBitExactAndASwitchedOffEqualiserDoesNothing) {
    const Played flat = playTone(
        [](TAudioPlayer2 &p) {
            p.SetEqualizerArray({});
            p.setEqualizerEnabled(true);
        },
        3);
    EXPECT_EQ(flat.heard, flat.sent);

    const Played off =
        playTone([](TAudioPlayer2 &p) { p.SetEqualizerArray(oneBand(5, 12.0f)); }, 3);
    EXPECT_EQ(off.heard, off.sent);
}
