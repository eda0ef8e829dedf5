// How clean a capture was, on the virtual card: spans it is told to lose are counted as gaps
// of exactly their length (however many device chunks they cross) and reach the receiver as
// silence in their place; samples driven to full scale are counted exactly.
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdlib>

using testsupport::waitUntil;

namespace {

// Sets an environment variable for the life of the guard.
class EnvGuard {
public:
    EnvGuard(const char *name, const QByteArray &value) : name_(name) { qputenv(name, value); }
    ~EnvGuard() { qunsetenv(name_); }

private:
    const char *name_;
};

struct Take {
    std::vector<int16_t> samples;
    TAudioRecord2::Gaps gaps;
    int64_t clipped = 0;
};

// Captures stereo 44.1 kHz until at least `frames` frames arrived.
Take capture(VirtualBackend &card, int frames) {
    TAudioRecord2 recorder(card);
    recorder.SetFormatArray(44100, 2);
    recorder.setBufferSize(recorder.SecToSamples(200));
    Take take;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        const SampleArray block = recorder.ReceiveArray();
        take.samples.insert(take.samples.end(), block.samples().begin(), block.samples().end());
    });
    const TAudioRecord2::Gaps before = recorder.captureGaps();
    const int64_t clippedBefore = recorder.clippedSamples();
    recorder.StartDevice();
    EXPECT_EQ(recorder.LastErrorNum(), 0);
    EXPECT_TRUE(waitUntil([&] { return recorder.nSamplesCurrent() >= frames; }, 10000));
    recorder.StopDevice();
    take.gaps = recorder.captureGaps();
    take.gaps.count -= before.count;
    take.gaps.frames -= before.frames;
    take.clipped = recorder.clippedSamples() - clippedBefore;
    return take;
}

// Frames [from, to) hold silence; every other frame is the card's tone at `gain`.
void expectToneWithSilence(const std::vector<int16_t> &samples, int64_t from, int64_t to,
                           double gain) {
    long wrong = -1;
    for (size_t i = 0; i < samples.size() && wrong < 0; ++i) {
        const int64_t frame = static_cast<int64_t>(i / 2);
        const bool lost = frame >= from && frame < to;
        const int16_t expected =
            lost ? 0 : VirtualBackend::toneSample(static_cast<int>(i % 2), 2, frame, 44100, gain);
        if (samples[i] != expected)
            wrong = static_cast<long>(i);
    }
    EXPECT_EQ(wrong, -1) << "first wrong sample";
}

}  // namespace

TEST(CaptureQuality, AnInjectedDropIsOneGapOfItsExactLengthAndComesAsSilence) {
    // 305 ms in, 47 ms long: starts inside a 10 ms device chunk and spans several.
    const EnvGuard drop("KORVANTA_VIRTUAL_DROP", "305:47");
    VirtualBackend card;
    const Take take = capture(card, 44100 * 6 / 10);
    const int64_t start = 305 * 44100 / 1000;
    const int64_t length = 47 * 44100 / 1000;
    EXPECT_EQ(take.gaps.count, 1);
    EXPECT_EQ(take.gaps.frames, length);
    EXPECT_EQ(take.clipped, 0);
    // The timeline stays whole: the tone goes on after the gap where real time has it.
    expectToneWithSilence(take.samples, start, start + length, 1.0);
}

TEST(CaptureQuality, SeparateDropsCountSeparatelyAndACleanCaptureHasNone) {
    {
        const EnvGuard drop("KORVANTA_VIRTUAL_DROP", "100:20, 250:5,bogus,400:0");
        VirtualBackend card;
        const Take take = capture(card, 44100 / 2);
        EXPECT_EQ(take.gaps.count, 2) << "malformed and empty spans are ignored";
        EXPECT_EQ(take.gaps.frames, 882 + 220);  // 20 ms and 5 ms at 44.1 kHz, whole frames
    }
    VirtualBackend card;
    const Take take = capture(card, 44100 / 4);
    EXPECT_EQ(take.gaps.count, 0);
    EXPECT_EQ(take.gaps.frames, 0);
}

TEST(CaptureQuality, ClippedSamplesAreCountedExactly) {
    // Twice the card's level: peaks of 32768 clip on both channels for part of each period.
    const EnvGuard gain("KORVANTA_VIRTUAL_GAIN", "2");
    VirtualBackend card;
    const Take take = capture(card, 44100 / 2);
    int64_t inFile = 0;
    int64_t expected = 0;
    for (size_t i = 0; i < take.samples.size(); ++i) {
        inFile += take.samples[i] >= 32767 || take.samples[i] <= -32767;
        const int16_t generated = VirtualBackend::toneSample(
            static_cast<int>(i % 2), 2, static_cast<int64_t>(i / 2), 44100, 2.0);
        expected += generated >= 32767 || generated <= -32767;
    }
    EXPECT_GT(expected, 0);
    EXPECT_EQ(take.clipped, expected);
    EXPECT_EQ(take.clipped, inFile);
    EXPECT_EQ(take.gaps.count, 0);
}

// Taken in at the timer's ticks only (as the level bars need while nothing records): with no
// tick at all, a second's backlog is still taken in, whole and in order.
TEST(CaptureQuality, FramesLeftForTheTicksAreTakenInWholeOnceASecondHasPiledUp) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.SetFormatArray(44100, 2);
    recorder.setBufferSize(recorder.SecToSamples(200));
    recorder.setDrainOnDelivery(false);
    std::vector<int16_t> samples;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        const SampleArray block = recorder.ReceiveArray();
        samples.insert(samples.end(), block.samples().begin(), block.samples().end());
    });
    recorder.StartDevice();
    ASSERT_EQ(recorder.LastErrorNum(), 0);
    testsupport::spin(400);
    EXPECT_EQ(recorder.nSamplesCurrent(), 0) << "no tick has come to take anything in";
    EXPECT_TRUE(waitUntil([&] { return recorder.nSamplesCurrent() >= 44100; }, 5000));
    recorder.StopDevice();
    EXPECT_EQ(recorder.captureGaps().count, 0);
    expectToneWithSilence(samples, 0, 0, 1.0);
}

// What the displays read back is always the newest frames taken in, in order: after many
// rounds of the history, and after a backlog longer than the whole history came at once.
TEST(CaptureQuality, TheDisplaysReadTheNewestFramesInOrder) {
    for (const bool drainOnDelivery : {true, false}) {
        VirtualBackend card;
        TAudioRecord2 recorder(card);
        recorder.SetFormatArray(44100, 2);
        recorder.setDrainOnDelivery(drainOnDelivery);
        std::vector<int16_t> seen;
        QObject::connect(&recorder, &TAudioRecord2::OnFrames, &recorder,
                         [&](const int16_t *samples, int frames, qint64) {
                             seen.insert(seen.end(), samples, samples + 2 * frames);
                         });
        recorder.StartDevice();
        ASSERT_EQ(recorder.LastErrorNum(), 0);
        ASSERT_TRUE(waitUntil([&] { return recorder.nSamplesCurrent() >= 44100 * 3 / 2; }, 5000));
        for (const int frames : {1, 441, 16384}) {
            const SampleArray shown = recorder.GetCurrentArray(frames);
            ASSERT_EQ(shown.frames(), frames);
            const std::vector<int16_t> newest(seen.end() - 2 * frames, seen.end());
            EXPECT_EQ(shown.samples(), newest) << frames << " frames, drain " << drainOnDelivery;
        }
        recorder.StopDevice();
    }
}
