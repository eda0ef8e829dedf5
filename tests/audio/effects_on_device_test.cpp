// The recorder's filters and the player's equaliser measured on the virtual sound card: what
// the recorder hands on and what the card plays, not the filter formulas.
#include "audio/audio_record2.h"
#include "tests/audio/virtual_card_playback.h"

namespace {

constexpr int kRate = 44100;

double db(double ratio) {
    return 20 * std::log10(ratio);
}

// Records a second of the card's tones (440 Hz left, 1 kHz right) through the filters `setUp`
// switches on; returns both channels' levels against the unfiltered tones, in dB, measured
// after 300 ms of settling over a whole number of periods of both.
std::pair<double, double> recordedLevels(const std::function<void(TAudioRecord2 &)> &setUp) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.SetFormatArray(kRate, 2);
    recorder.setBufferSize(recorder.SecToSamples(200));
    setUp(recorder);
    std::vector<int16_t> samples;
    int blocks = 0;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        const SampleArray block = recorder.ReceiveArray();
        samples.insert(samples.end(), block.samples().begin(), block.samples().end());
        ++blocks;
    });
    recorder.StartDevice();
    EXPECT_TRUE(testsupport::waitUntil([&] { return blocks >= 5; }));
    recorder.StopDevice();
    const size_t from = kRate * 3 / 10, n = kRate / 2;
    return {db(amplitudeAt(samples, 2, 0, 440, kRate, from, n) / 16384),
            db(amplitudeAt(samples, 2, 1, 1000, kRate, from, n) / 16384)};
}

double oneKilohertz(double t) {
    return 4000 * std::sin(2 * M_PI * 1000 * t);
}

}  // namespace

TEST(RecorderFilters, NotchHighPassAndLowPassActOnTheRecordedSignal) {
    const auto [notchLeft, notchRight] = recordedLevels([](TAudioRecord2 &r) {
        r.setNotchFilterFrequency(1000);
        r.setNotchFilterEnabled(true);
    });
    EXPECT_LT(notchRight, -30.0);
    EXPECT_NEAR(notchLeft, 0.0, 1.0);  // narrow: 440 Hz passes

    const auto [lowLeft, lowRight] = recordedLevels([](TAudioRecord2 &r) {
        r.setLowPassFilterFrequency(4000);
        r.setLowPassFilterEnabled(true);
    });
    EXPECT_NEAR(lowLeft, 0.0, 1.0);
    EXPECT_NEAR(lowRight, 0.0, 1.0);

    const auto [highLeft, highRight] = recordedLevels([](TAudioRecord2 &r) {
        r.setHighPassFilterFrequency(2000);
        r.setHighPassFilterEnabled(true);
    });
    EXPECT_LT(highLeft, -20.0);
}

TEST(PlayerEqualizer, TwelveDecibelsOnTheOneKilohertzBandRaisesTheToneByTwelve) {
    std::array<float, 12> gains{};
    gains[5] = 12.0f;
    const PlayedSound sound = playOnVirtualCard(
        kRate, 2, 5,
        [&](TAudioPlayer2 &p) {
            p.SetEqualizerArray(gains);
            p.setEqualizerEnabled(true);
        },
        oneKilohertz);
    ASSERT_EQ(sound.heard.size(), sound.sent.size());
    const size_t from = kRate / 5, n = kRate / 2;
    EXPECT_NEAR(db(amplitudeAt(sound.heard, 2, 1, 1000, kRate, from, n) /
                   amplitudeAt(sound.sent, 2, 1, 1000, kRate, from, n)),
                12.0, 1.5);
}

TEST(PlayerEqualizer, FlatCurveIsBitExactAndASwitchedOffEqualiserDoesNothing) {
    const PlayedSound flat = playOnVirtualCard(
        kRate, 2, 3,
        [](TAudioPlayer2 &p) {
            p.SetEqualizerArray({});
            p.setEqualizerEnabled(true);
        },
        oneKilohertz);
    EXPECT_EQ(flat.heard, flat.sent);

    std::array<float, 12> gains{};
    gains[5] = 12.0f;
    const PlayedSound off = playOnVirtualCard(
        kRate, 2, 3, [&](TAudioPlayer2 &p) { p.SetEqualizerArray(gains); }, oneKilohertz);
    EXPECT_EQ(off.heard, off.sent);
}
