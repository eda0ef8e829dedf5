// The recording pipeline with the encoder on its own thread: each block is handed on as its
// event arrives, in order, and a stop or a pause still puts every captured frame into the
// finished file, without a gap or a repeat.
#include "audio/audio_record2.h"
#include "recording/recording_session.h"
#include "tests/support/window_fixture.h"

#include <cstdlib>
#include <string>
#include <vector>

using testsupport::spin;

namespace {

// The virtual card's left channel is a phase-continuous 440 Hz sine at half full scale
// (times the line volume): from one frame to the next it moves by at most this much.
constexpr int kMaxStep = 1100;

// The largest jump between neighbouring left-channel samples.
int largestJump(const std::vector<int16_t> &samples, int channels) {
    int jump = 0;
    for (size_t i = channels; i < samples.size(); i += channels)
        jump = std::max(jump, std::abs(int(samples[i]) - int(samples[i - channels])));
    return jump;
}

}  // namespace

class RecordingPipelineTest : public WindowFixture {};

TEST_F(RecordingPipelineTest, EveryBlockIsWrittenInOrderAndTheStopKeepsEveryFrame) {
    writeIni("[options]\nsaveformat=.wav\n");
    TForm1 &w = openWindow();
    // Each block is written while its event is handled, before the next block comes. (The
    // session handles the event before this test's observer, so "written" comes first.)
    std::vector<std::string> events;
    QObject::connect(w.AudioRecord1, &TAudioRecord2::OnEndArrayRecord, &w,
                     [&](int n) { events.push_back("block " + std::to_string(n)); });
    QObject::connect(&w.recordingSession(), &RecordingSession::blockWritten, &w,
                     [&](int n) { events.push_back("written " + std::to_string(n)); });
    w.Record1Click();
    spin(1100);
    w.Stop1Click();
    ASSERT_FALSE(w.flgRecord);

    ASSERT_GE(events.size(), 10u);
    for (size_t i = 0; i + 1 < events.size(); i += 2) {
        EXPECT_EQ(events[i], "written " + std::to_string(i / 2 + 1));
        EXPECT_EQ(events[i + 1], "block " + std::to_string(i / 2 + 1));
    }
    int channels = 0, frequency = 0;
    const std::vector<int16_t> samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    ASSERT_EQ(channels, 2);
    const int frames = static_cast<int>(samples.size()) / channels;
    // The last, shorter block that the stop handed on is in the file, and so is everything
    // captured before it.
    EXPECT_EQ(frames, w.AudioRecord1->nSamplesCurrent());
    EXPECT_EQ(frames, w.mSamples);
    EXPECT_GT(frames % w.recordingSession().BufferSize(), 0);
    EXPECT_LE(largestJump(samples, channels), kMaxStep);
}

TEST_F(RecordingPipelineTest, PauseAndResumeJoinTheRunsWithNothingLost) {
    writeIni("[options]\nsaveformat=.wav\n");
    TForm1 &w = openWindow();
    w.Record1Click();
    spin(500);
    w.Pause1Click();
    ASSERT_TRUE(w.flgPauseRecord);
    const int firstRun = w.AudioRecord1->nSamplesCurrent();
    spin(300);
    w.Record1Click();
    spin(500);
    w.Stop1Click();
    const int secondRun = w.AudioRecord1->nSamplesCurrent();

    int channels = 0, frequency = 0;
    const std::vector<int16_t> samples =
        readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency);
    ASSERT_EQ(channels, 2);
    EXPECT_EQ(static_cast<int>(samples.size()) / channels, firstRun + secondRun);
    EXPECT_EQ(w.mSamples, firstRun + secondRun);
}
