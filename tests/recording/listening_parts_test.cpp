// The pre-record buffer and the voice trigger on their own: which frames a join gets, and
// where sound and silence are found.
#include "recording/pre_record_buffer.h"
#include "recording/voice_trigger.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A stereo block whose left samples are their own stream frame numbers.
SampleArray numbered(int64_t first, int frames) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(static_cast<int16_t>(first + i));
        samples.push_back(0);
    }
    return SampleArray(2, samples);
}

std::vector<int> leftOf(const SampleArray &a) {
    std::vector<int> out;
    for (int i = 0; i < a.frames(); ++i)
        out.push_back(a.data()[i * 2]);
    return out;
}

}  // namespace

TEST(PreRecordBuffer, GivesExactlyTheFramesFromTheAskedOneOnAsFarAsItHoldsThem) {
    PreRecordBuffer buffer;
    buffer.reset(10, 2);
    EXPECT_TRUE(buffer.since(0).isEmpty());
    buffer.push(numbered(0, 4), 4);
    buffer.push(numbered(4, 4), 8);
    EXPECT_EQ(leftOf(buffer.since(5)), (std::vector<int>{5, 6, 7}));
    EXPECT_TRUE(buffer.since(8).isEmpty());  // nothing after the newest frame
    EXPECT_TRUE(buffer.since(20).isEmpty());
    // Wrapping round: the oldest frames give way, a request further back gets what is left.
    buffer.push(numbered(8, 5), 13);
    EXPECT_EQ(buffer.frames(), 10);
    EXPECT_EQ(leftOf(buffer.since(0)), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    // A block longer than the buffer keeps its newest frames.
    buffer.push(numbered(13, 25), 38);
    EXPECT_EQ(leftOf(buffer.since(35)), (std::vector<int>{35, 36, 37}));
    EXPECT_EQ(buffer.since(0).frames(), 10);
    buffer.clear();
    EXPECT_TRUE(buffer.since(0).isEmpty());
}

TEST(PreRecordBuffer, WithoutRoomOrInAnotherFormatItHoldsNothing) {
    PreRecordBuffer buffer;
    buffer.reset(0, 2);
    buffer.push(numbered(0, 4), 4);
    EXPECT_TRUE(buffer.since(0).isEmpty());
    buffer.reset(10, 1);
    buffer.push(numbered(0, 4), 4);  // stereo into a mono buffer
    EXPECT_TRUE(buffer.since(0).isEmpty());
}

namespace {

struct Heard {
    std::vector<std::pair<VoiceTrigger::Event, int64_t>> events;
    VoiceTrigger::Listener listener() {
        return [this](VoiceTrigger::Event e, int64_t f) { events.emplace_back(e, f); };
    }
};

std::vector<int16_t> level(int frames, int16_t peak) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2, 0);
    for (int i = 0; i < frames; i += 2)
        samples[static_cast<size_t>(i) * 2 + 1] = peak;  // every other frame, right channel
    return samples;
}

}  // namespace

TEST(VoiceTrigger, LevelsAreTheMetersDbOfTheSamplePeak) {
    EXPECT_EQ(VoiceTrigger::peakForDb(0), 32767);
    EXPECT_EQ(VoiceTrigger::peakForDb(-6.0206), 16384);
    EXPECT_EQ(VoiceTrigger::peakForDb(-200), 1);
}

TEST(VoiceTrigger, SoundAtTheFirstFrameOverTheLevelSilenceAfterTheHangover) {
    VoiceTrigger trigger;
    trigger.configure(-20, 100);  // -20 dB: 3277; hold above -23 dB: 2320
    trigger.restart(false);
    Heard heard;
    auto quiet = level(50, 3000);  // under the start level
    trigger.feed(quiet.data(), 50, 2, 0, heard.listener());
    EXPECT_TRUE(heard.events.empty());
    std::vector<int16_t> loud(20, 0);
    loud[7 * 2] = -3277;  // frame 57, left channel, negative
    trigger.feed(loud.data(), 10, 2, 50, heard.listener());
    ASSERT_EQ(heard.events.size(), 1u);
    EXPECT_EQ(heard.events[0], std::make_pair(VoiceTrigger::Event::Sound, int64_t(57)));

    // Breaths between the hold and the start level keep it going; 100 frames below pause.
    auto breath = level(99, 2400);
    trigger.feed(breath.data(), 99, 2, 60, heard.listener());  // last loud frame: 158
    EXPECT_EQ(heard.events.size(), 1u);
    auto silence = level(200, 2000);
    trigger.feed(silence.data(), 200, 2, 159, heard.listener());
    ASSERT_EQ(heard.events.size(), 2u);
    EXPECT_EQ(heard.events[1], std::make_pair(VoiceTrigger::Event::Silence, int64_t(258)));
    // Sound again in the same stretch of frames as the silence would be heard in order.
    std::vector<int16_t> again(4, 0);
    again[2] = 4000;
    trigger.feed(again.data(), 2, 2, 359, heard.listener());
    ASSERT_EQ(heard.events.size(), 3u);
    EXPECT_EQ(heard.events[2], std::make_pair(VoiceTrigger::Event::Sound, int64_t(360)));
}

TEST(VoiceTrigger, NoSilenceTimeMeansNoPauseAndARestartCountsFromItsFrame) {
    VoiceTrigger trigger;
    trigger.configure(-20, 0);
    trigger.restart(true, 1000);
    Heard heard;
    auto silence = level(5000, 0);
    trigger.feed(silence.data(), 5000, 2, 1000, heard.listener());
    EXPECT_TRUE(heard.events.empty());
    trigger.configure(-20, 100);
    trigger.restart(true, 6000);
    trigger.feed(silence.data(), 150, 2, 6000, heard.listener());
    ASSERT_EQ(heard.events.size(), 1u);
    EXPECT_EQ(heard.events[0].second, 6100);
}
