// Playback and capture against a real sound server: a tone played through the player into
// the null sink comes back, whole, from the sink's monitor through the recorder.
#include "pulse_test_support.h"
#include "tests/support/event_loop.h"

#include <QElapsedTimer>
#include <QThread>

using namespace pulsetest;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

struct Recording {
    std::vector<int16_t> samples;
    int channels = 2;
};

void collect(TAudioRecord2 &recorder, Recording &recording) {
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        const SampleArray block = recorder.ReceiveArray();
        recording.channels = block.channels();
        recording.samples.insert(recording.samples.end(), block.samples().begin(),
                                 block.samples().end());
    });
}

}  // namespace

TEST_F(PulseServerTest, ATonePlayedIntoTheSinkIsRecordedWholeFromItsMonitor) {
    constexpr int kRate = 44100;
    constexpr int kLeadIn = 4;  // blocks of silence, more than the stream's first buffer
    constexpr int kBlocks = 10;
    constexpr double kToneHz = 1000.0;

    // Two recorders: one at the sink's own format, one the server has to convert for.
    TAudioRecord2 recorder(*backend), narrow(*backend);
    Recording recording, narrowRecording;
    for (auto [r, rec, rate, channels] : {std::tuple{&recorder, &recording, kRate, 2},
                                          std::tuple{&narrow, &narrowRecording, 22050, 1}}) {
        r->setDevInput(findInput(*r, kMonitor));
        ASSERT_GE(r->devInput(), 0);
        r->SetFormatArray(rate, channels);
        r->setBufferSize(r->SecToSamples(200));
        collect(*r, *rec);
    }

    TAudioPlayer2 player(*backend);
    player.setDevOutput(findOutput(player, kSink));
    player.SetFormatArray(kRate, 2);
    player.setTimerEnabled(true);
    const int blockFrames = player.SecToSamples(200);
    int sent = 0, blockEnds = 0, ends = 0, blockEndsAtEnd = -1, positionAtEnd = -1;
    bool endSent = false;
    // Silence first: it wakes the sink up, so the tone meets a device that is already
    // running (an idle null sink renders seconds ahead and would swallow the tone's start).
    auto sendNext = [&] {
        if (sent == kLeadIn + kBlocks) {
            if (!endSent)
                player.SendArray(SampleArray());
            endSent = true;
            return;
        }
        const int64_t toneFrame = static_cast<int64_t>(sent - kLeadIn) * blockFrames;
        player.SendArray(SampleArray(2, sent < kLeadIn
                                            ? std::vector<int16_t>(2 * blockFrames)
                                            : tone(kToneHz, kRate, 2, toneFrame, blockFrames)));
        ++sent;
    };
    QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, &player, [&] {
        ++blockEnds;
        sendNext();
    });
    QObject::connect(&player, &TAudioPlayer2::OnRequestOnLoadArray, &player, sendNext);
    QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] {
        ++ends;
        blockEndsAtEnd = blockEnds;
        positionAtEnd = player.nSamplesCurrent();
        player.StopDevice();  // as the program does: whatever is not yet heard is lost now
    });
    int lastPosition = 0;
    bool positionWentBack = false;
    QObject::connect(&player, &TAudioPlayer2::OnTimer, &player, [&](int position, int, int) {
        positionWentBack = positionWentBack || position < lastPosition;
        lastPosition = position;
    });

    recorder.StartDevice();
    narrow.StartDevice();
    ASSERT_EQ(recorder.LastErrorNum(), 0) << recorder.LastErrorText().toStdString();
    ASSERT_EQ(narrow.LastErrorNum(), 0) << narrow.LastErrorText().toStdString();
    spin(300);
    player.StartDevice();
    ASSERT_EQ(player.LastErrorNum(), 0) << player.LastErrorText().toStdString();
    sendNext();
    sendNext();
    ASSERT_TRUE(waitUntil([&] { return ends > 0; }, 10000));
    // The tone has been heard: stopping now must not lose its end, which the server hands
    // over a fragment later. A finish that came only by its time-out would not do either.
    int finished = 0;
    for (TAudioRecord2 *r : {&recorder, &narrow}) {
        QObject::connect(r, &TAudioRecord2::OnCaptureFinished, r, [&] { ++finished; });
        finished += r->FinishCapture();
    }
    QElapsedTimer finishing;
    finishing.start();
    ASSERT_TRUE(waitUntil([&] { return finished == 2; }, 3000));
    EXPECT_LT(finishing.elapsed(), 700);
    recorder.StopDevice();
    narrow.StopDevice();

    EXPECT_EQ(ends, 1);
    EXPECT_EQ(blockEndsAtEnd, kLeadIn + kBlocks) << "the end comes after the last block";
    EXPECT_EQ(blockEnds, kLeadIn + kBlocks);
    EXPECT_EQ(positionAtEnd, (kLeadIn + kBlocks) * blockFrames);
    EXPECT_FALSE(positionWentBack);
    EXPECT_GT(lastPosition, 0);
    EXPECT_EQ(recorder.droppedFrames(), 0u);

    const double seconds = kBlocks * 0.2;
    for (auto [rec, rate] : {std::pair{&recording, kRate}, std::pair{&narrowRecording, 22050}}) {
        SCOPED_TRACE(rate);
        const std::vector<double> signal = firstChannel(rec->samples, rec->channels);
        const auto [first, last] = loudSpan(signal, 4000);
        // Nothing cut off at either end: the loud span is the tone less at most a period.
        const double heard = static_cast<double>(last - first + 1) / rate;
        EXPECT_NEAR(heard, seconds, 0.002)
            << "loud from frame " << first << " to " << last << " of " << signal.size();
        EXPECT_EQ(dominantFrequency(signal, static_cast<size_t>(first) + rate / 2, rate / 2, rate),
                  kToneHz);
    }
}

TEST_F(PulseServerTest, CaptureLosesNothingWhileTheGuiThreadStalls) {
    SineInput sineInput;
    TAudioRecord2 recorder(*backend);
    const QString sine = sineInput.description();
    ASSERT_TRUE(waitUntil([&] { return findInput(recorder, sine) >= 0; }));
    spin(300);  // the sine is flowing
    recorder.setDevInput(findInput(recorder, sine));
    recorder.SetFormatArray(44100, 1);
    recorder.setBufferSize(recorder.SecToSamples(200));
    Recording recording;
    collect(recorder, recording);

    QElapsedTimer clock;
    clock.start();
    recorder.StartDevice();
    ASSERT_EQ(recorder.LastErrorNum(), 0) << recorder.LastErrorText().toStdString();
    spin(500);
    QThread::msleep(2500);  // the GUI thread is blocked; the server keeps delivering
    spin(500);
    recorder.StopDevice();
    const double elapsed = clock.elapsed() / 1000.0;

    EXPECT_EQ(recorder.droppedFrames(), 0u);
    const std::vector<double> signal = firstChannel(recording.samples, 1);
    // At least the time it ran (this source delivers its first buffer ahead, so it may be more).
    EXPECT_GE(static_cast<double>(signal.size()) / 44100, elapsed - 0.1);
    // A gap would show as a jump no sine of this pitch and loudness can make. (PipeWire
    // starts a capture with a period of silence before the first data: not a gap.)
    size_t start = 1;
    while (start < signal.size() && signal[start - 1] == 0)
        ++start;
    double peak = 0, steepest = 0;
    for (size_t i = start; i < signal.size(); ++i) {
        peak = std::max(peak, std::abs(signal[i]));
        steepest = std::max(steepest, std::abs(signal[i] - signal[i - 1]));
    }
    ASSERT_GT(peak, 1000);
    EXPECT_LE(steepest, 1.05 * peak * 2 * M_PI * 440 / 44100 + 2);
    EXPECT_EQ(dominantFrequency(signal, 0, 22050, 44100), 440);
}
