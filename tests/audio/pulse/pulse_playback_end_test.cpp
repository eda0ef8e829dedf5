// Playback to its end on a real sound server: everything played comes back from the null
// sink's monitor, sample for sample, the end of play is raised when it has been heard, and
// the player plays again after the end and after running dry.
#include "pulse_test_support.h"
#include "tests/support/event_loop.h"

#include <QElapsedTimer>
#include <QEvent>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace pulsetest;
using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;
constexpr int kLeadIn = kRate * 3 / 4;  // frames

// Stereo noise with different channels, never zero, so that where it starts and ends in a
// recording is plain and any lost, doubled or altered frame shows.
std::vector<int16_t> noise(int frames, uint32_t seed) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    for (int16_t &sample : samples) {
        seed = seed * 1664525u + 1013904223u;
        const int value = static_cast<int>(seed >> 16) % 16000 - 8000;
        sample = static_cast<int16_t>(value == 0 ? 1 : value);
    }
    return samples;
}

// Where `signal` begins in `recording` (frames), found by its last 64 frames, or -1.
long findSignal(const std::vector<int16_t> &recording, const std::vector<int16_t> &signal,
                long from) {
    const auto at = std::search(recording.begin() + 2 * from, recording.end(), signal.end() - 128,
                                signal.end());
    if (at == recording.end())
        return -1;
    return static_cast<long>(at - recording.begin()) / 2 - static_cast<long>(signal.size() / 2) +
           64;
}

// Frames of `signal` found unchanged in `recording` from frame `start` on.
long matchingFrames(const std::vector<int16_t> &recording, long start,
                    const std::vector<int16_t> &signal) {
    long same = 0;
    for (size_t i = 0; i + 1 < signal.size(); i += 2) {
        const size_t r = 2 * static_cast<size_t>(start) + i;
        same += r + 1 < recording.size() && recording[r] == signal[i] &&
                recording[r + 1] == signal[i + 1];
    }
    return same;
}

class PlaybackEndTest : public PulseServerTest {
protected:
    void SetUp() override {
        PulseServerTest::SetUp();
        if (HasFatalFailure())
            return;
        recorder = std::make_unique<TAudioRecord2>(*backend);
        recorder->setDevInput(findInput(*recorder, kMonitor));
        ASSERT_GE(recorder->devInput(), 0);
        recorder->SetFormatArray(kRate, 2);
        recorder->setBufferSize(recorder->SecToSamples(20));
        QObject::connect(
            recorder.get(), &TAudioRecord2::OnEndArrayRecord, recorder.get(), [this](int) {
                const SampleArray block = recorder->ReceiveArray();
                recorded.insert(recorded.end(), block.samples().begin(), block.samples().end());
            });

        player = std::make_unique<TAudioPlayer2>(*backend);
        player->setDevOutput(findOutput(*player, kSink));
        ASSERT_GE(player->devOutput(), 0);
        player->SetFormatArray(kRate, 2);
        QObject::connect(player.get(), &TAudioPlayer2::OnEndPlay, player.get(), [this] {
            ++ends;
            endPlayMs = clock.elapsed();
            player->StopDevice();  // as the program does: anything not yet heard is lost
        });
        clock.start();
        recorder->StartDevice();
        ASSERT_EQ(recorder->LastErrorNum(), 0) << recorder->LastErrorText().toStdString();
        spin(300);  // the monitor is running
    }

    // Plays `signal` in blocks, marks the end, and waits for the end of play. Returns how
    // long after the last frame reached the monitor the end of play came (negative: before
    // the recorder saw it, which its own latency allows).
    long playToTheEnd(const std::vector<int16_t> &signal, int blockFrames) {
        const int endsBefore = ends;
        const long searchFrom = static_cast<long>(recorded.size() / 2);
        player->StartDevice();
        EXPECT_EQ(player->LastErrorNum(), 0) << player->LastErrorText().toStdString();
        sendLeadIn();
        for (size_t at = 0; at < signal.size(); at += 2 * static_cast<size_t>(blockFrames)) {
            const size_t end = std::min(signal.size(), at + 2 * static_cast<size_t>(blockFrames));
            player->SendArray(
                SampleArray(2, std::vector<int16_t>(signal.begin() + at, signal.begin() + end)));
        }
        player->SendArray(SampleArray());
        long lastFrameSeenMs = -1;
        const bool ended = waitUntil(
            [&] {
                if (lastFrameSeenMs < 0) {
                    const long start = findSignal(recorded, signal, searchFrom);
                    if (start >= 0 && recorded.size() / 2 >= start + signal.size() / 2)
                        lastFrameSeenMs = clock.elapsed();
                }
                return ends > endsBefore && lastFrameSeenMs >= 0;
            },
            5000);
        EXPECT_TRUE(ended) << "end of play raised: " << (ends > endsBefore)
                           << ", every frame at the monitor: " << (lastFrameSeenMs >= 0);
        EXPECT_EQ(ends, endsBefore + 1);
        EXPECT_FALSE(player->isRunning());
        return ended ? endPlayMs - lastFrameSeenMs : 100000;
    }

    // Silence first: it wakes PulseAudio's null sink up, so the signal meets a device that
    // is already running (an idle null sink renders ahead, and its monitor misses what the
    // sink then takes back for a new stream: up to the stream's whole first buffer, half a
    // second).
    void sendLeadIn() { player->SendArray(SampleArray(2, std::vector<int16_t>(2 * kLeadIn))); }

    // Every frame of `signal` is in the recording, unchanged, from `start` on; but for at
    // most `unheardStart` frames at its beginning.
    void expectWhole(const std::vector<int16_t> &signal, long start, long unheardStart = 0) {
        ASSERT_GE(start, 0) << "the signal is not in the recording";
        const long frames = static_cast<long>(signal.size() / 2);
        const long heard = matchingFrames(recorded, start, signal);
        if (unheardStart == 0) {
            EXPECT_EQ(heard, frames);
        }
        EXPECT_GE(heard, frames - unheardStart);
        EXPECT_EQ(
            matchingFrames(recorded, start + unheardStart,
                           std::vector<int16_t>(signal.begin() + 2 * unheardStart, signal.end())),
            frames - unheardStart)
            << "only its beginning may be missing";
    }

    QElapsedTimer clock;
    std::unique_ptr<TAudioRecord2> recorder;
    std::unique_ptr<TAudioPlayer2> player;
    std::vector<int16_t> recorded;
    int ends = 0;
    long endPlayMs = 0;
};

}  // namespace

TEST_F(PlaybackEndTest, PlaysEveryFrameToTheEndAndPlaysAgain) {
    // Not a whole number of any server period, so there is a partial one at the end.
    const std::vector<int16_t> first = noise(30011, 1), second = noise(17393, 2);
    const long firstLag = playToTheEnd(first, 8192);
    const long secondLag = playToTheEnd(second, 4096);
    spin(200);
    recorder->StopDevice();

    EXPECT_LE(firstLag, 300) << "ms from the last frame heard to the end of play";
    EXPECT_LE(secondLag, 300);
    const long firstAt = findSignal(recorded, first, 0);
    expectWhole(first, firstAt);
    expectWhole(second, findSignal(recorded, second, firstAt + 1));
    EXPECT_EQ(recorder->droppedFrames(), 0u);
    std::printf("end of play %ld ms and %ld ms after the last frame reached the monitor\n",
                firstLag, secondLag);
}

TEST_F(PlaybackEndTest, PlaysOnAfterRunningDry) {
    const std::vector<int16_t> first = noise(13001, 3), second = noise(9001, 4);
    int requests = 0;
    QObject::connect(player.get(), &TAudioPlayer2::OnRequestOnLoadArray, player.get(),
                     [&] { ++requests; });
    player->StartDevice();
    ASSERT_EQ(player->LastErrorNum(), 0) << player->LastErrorText().toStdString();
    sendLeadIn();
    player->SendArray(SampleArray(2, first));
    // No more data for now: what was sent is played out and counted as heard.
    ASSERT_TRUE(waitUntil([&] { return player->nSamplesCurrent() == kLeadIn + 13001; }, 3000))
        << player->nSamplesCurrent();
    EXPECT_EQ(requests, 1);
    spin(200);

    player->SendArray(SampleArray(2, second));
    player->SendArray(SampleArray());
    ASSERT_TRUE(waitUntil([&] { return ends == 1; }, 3000)) << player->nSamplesCurrent();
    spin(200);
    recorder->StopDevice();

    const long firstAt = findSignal(recorded, first, 0);
    expectWhole(first, firstAt);
    // PulseAudio's null sink has rendered silence ahead when the data comes back; it takes
    // that back for the device, but its monitor has already passed it on, so the monitor
    // misses up to what the sink rendered ahead, about a capture fragment (40 ms); PipeWire's
    // misses nothing.
    expectWhole(second, findSignal(recorded, second, firstAt + 1), onPipeWire() ? 0 : 2048);
}

// Fed as a playback feeds it (200 ms blocks, two queued, one more at each block's end) with
// the timer ticking: the server takes a quarter second at a time and plays on from its own
// buffer, so the block ends wait for the ticks and the audio thread does not wake the GUI
// side for them; yet the queue never runs dry and every frame is heard.
TEST_F(PlaybackEndTest, TickingPlaybackAnswersBlockEndsAtTheTicksAndLosesNothing) {
    const std::vector<int16_t> signal = noise(kRate * 3, 5);
    const size_t blockSamples = 2 * static_cast<size_t>(player->SecToSamples(200));
    size_t sent = 0;
    int requests = 0, wakes = 0;
    bool counting = true;
    struct WakeCounter : QObject {
        std::function<void()> woke;
        bool eventFilter(QObject *, QEvent *event) override {
            if (event->type() == QEvent::MetaCall)
                woke();
            return false;
        }
    } counter;
    counter.woke = [&] { wakes += counting ? 1 : 0; };
    player->installEventFilter(&counter);
    auto sendNext = [&] {
        if (sent >= signal.size()) {
            counting = false;  // the end of the data is waited for by the audio thread
            player->SendArray(SampleArray());
            return;
        }
        const size_t end = std::min(signal.size(), sent + blockSamples);
        player->SendArray(
            SampleArray(2, std::vector<int16_t>(signal.begin() + sent, signal.begin() + end)));
        sent = end;
    };
    QObject::connect(player.get(), &TAudioPlayer2::OnEndArrayPlay, player.get(), sendNext);
    QObject::connect(player.get(), &TAudioPlayer2::OnRequestOnLoadArray, player.get(),
                     [&] { ++requests; });
    player->setTimerInterval(80);
    player->setTimerEnabled(true);
    player->StartDevice();
    ASSERT_EQ(player->LastErrorNum(), 0) << player->LastErrorText().toStdString();
    sendLeadIn();
    sendNext();
    sendNext();
    ASSERT_TRUE(waitUntil([&] { return ends == 1; }, 8000)) << player->nSamplesCurrent();
    spin(200);
    recorder->StopDevice();

    EXPECT_EQ(requests, 0) << "the queue ran dry";
    // Fifteen block ends; a wake or two may come while the server's first requests are
    // larger than what is queued.
    EXPECT_LE(wakes, 3);
    expectWhole(signal, findSignal(recorded, signal, 0));
    std::printf("%d wakes of the GUI side for 15 block ends\n", wakes);
}

// The server keeps a large buffer and reports its timing only when it asks for data, so the
// position runs on by the clock in between: it follows the wall clock smoothly, and a new
// run after a stop (as a seek or a resume makes) counts from zero again.
TEST_F(PlaybackEndTest, PositionFollowsTheClockBetweenTimingReports) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        player->StartDevice();
        ASSERT_EQ(player->LastErrorNum(), 0) << player->LastErrorText().toStdString();
        EXPECT_EQ(player->nSamplesCurrent(), 0);
        sendLeadIn();
        player->SendArray(SampleArray(2, noise(3 * kRate, 5 + run)));
        ASSERT_TRUE(waitUntil([&] { return player->nSamplesCurrent() > kRate / 2; }, 3000))
            << player->nSamplesCurrent();
        QElapsedTimer wall;
        wall.start();
        const int from = player->nSamplesCurrent();
        int last = from;
        long lastMs = 0;
        double worstStepError = 0;
        while (wall.elapsed() < 1500) {
            spin(40);
            const int now = player->nSamplesCurrent();
            const long nowMs = wall.elapsed();
            EXPECT_GE(now, last) << "the position went back";
            const double stepError = std::abs(static_cast<double>(now - last) / kRate -
                                              static_cast<double>(nowMs - lastMs) / 1000.0);
            worstStepError = std::max(worstStepError, stepError);
            last = now;
            lastMs = nowMs;
        }
        EXPECT_NEAR(static_cast<double>(last - from) / kRate, lastMs / 1000.0, 0.08);
        EXPECT_LT(worstStepError, 0.06) << "s: the position moves in jumps";
        player->StopDevice();
        const int atStop = player->nSamplesCurrent();
        EXPECT_GE(atStop, last);
        spin(100);
        EXPECT_EQ(player->nSamplesCurrent(), atStop) << "a stopped player keeps its position";
    }
}

// Fed as the program feeds it (two 200 ms blocks, then one for every block played or request),
// the player first hears less than the server wants before it starts. The position has to run
// from the moment the server starts, not jump there at the first report after it.
TEST_F(PlaybackEndTest, PositionRunsFromTheStartWithoutAJump) {
    const int blockFrames = player->SecToSamples(200);
    int sent = 0;
    auto sendNext = [&] {
        player->SendArray(sent < 10 ? SampleArray(2, noise(blockFrames, 11 + sent))
                                    : SampleArray());
        ++sent;
    };
    QObject::connect(player.get(), &TAudioPlayer2::OnEndArrayPlay, player.get(), sendNext);
    QObject::connect(player.get(), &TAudioPlayer2::OnRequestOnLoadArray, player.get(), sendNext);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        sent = 0;
        player->StartDevice();
        ASSERT_EQ(player->LastErrorNum(), 0) << player->LastErrorText().toStdString();
        sendNext();
        sendNext();
        int first = 0;
        ASSERT_TRUE(waitUntil([&] { return (first = player->nSamplesCurrent()) > 0; }, 3000));
        EXPECT_LT(first, kRate / 10) << "frames: the position jumped when the sound started";
        player->StopDevice();
        spin(100);
    }
}
