// The recorder and player components on the virtual sound card: device and mixer
// conventions, gap-free capture across blocks and GUI stalls, and block-wise playback.
#include "audio/audio_player2.h"
#include "audio/audio_record2.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

struct Capture {
    std::vector<int16_t> samples;
    int blocks = 0;
    int shortBlocks = 0;
};

void collect(TAudioRecord2 &recorder, Capture &capture) {
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, &recorder, [&](int) {
        SampleArray block = recorder.ReceiveArray();
        ++capture.blocks;
        if (block.frames() != recorder.BufferSize())
            ++capture.shortBlocks;
        capture.samples.insert(capture.samples.end(), block.samples().begin(),
                               block.samples().end());
    });
}

// Index of the first sample that differs from the card's tones, or -1.
long firstMismatch(const std::vector<int16_t> &samples, int channels, int frequency, double gain) {
    for (size_t i = 0; i < samples.size(); ++i) {
        const int64_t frame = static_cast<int64_t>(i) / channels;
        const int ch = static_cast<int>(i % channels);
        if (samples[i] != VirtualBackend::toneSample(ch, channels, frame, frequency, gain))
            return static_cast<long>(i);
    }
    return -1;
}

// The virtual card plays into a WAV file of its own while this lives.
struct VirtualSink {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("heard.wav"));
    VirtualSink() { setenv("KORVANTA_VIRTUAL_SINK", QFile::encodeName(path).constData(), 1); }
    ~VirtualSink() { unsetenv("KORVANTA_VIRTUAL_SINK"); }
};

// Feeds a mono player `total` blocks of `frames` frames as a playback does: two to start
// with, one more at each block's end, then the end of the data. Keeps what it sent.
struct BlockFeeder {
    BlockFeeder(TAudioPlayer2 &p, int totalBlocks, int blockFrames)
        : player(p), total(totalBlocks), frames(blockFrames) {
        QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, &player, [this] {
            ++blockEnds;
            next();
        });
    }

    void start() {
        player.StartDevice();
        if (player.LastErrorNum() != 0)
            return;
        next();
        next();
    }

    TAudioPlayer2 &player;
    int total;
    int frames;
    std::vector<int16_t> sent;
    int blocks = 0;
    int blockEnds = 0;

    void next() {
        if (blocks == total) {
            player.SendArray(SampleArray());
            return;
        }
        std::vector<int16_t> block(static_cast<size_t>(frames));
        for (int i = 0; i < frames; ++i)
            block[static_cast<size_t>(i)] = static_cast<int16_t>(blocks * 1000 + i % 500);
        sent.insert(sent.end(), block.begin(), block.end());
        player.SendArray(SampleArray(1, std::move(block)));
        ++blocks;
    }
};

// Counts the queued calls that reach an object: each is a wake of the GUI thread by another.
struct WakeCounter : QObject {
    int wakes = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::MetaCall)
            ++wakes;
        return false;
    }
};

// The virtual card's sink file holds exactly `sent`, after its 44-byte header.
void expectSinkHeard(const QString &sinkPath, const std::vector<int16_t> &sent) {
    QFile heard(sinkPath);
    ASSERT_TRUE(heard.open(QIODevice::ReadOnly));
    const QByteArray wav = heard.readAll();
    ASSERT_EQ(wav.size(), 44 + static_cast<int>(sent.size() * 2));
    EXPECT_EQ(std::memcmp(wav.constData() + 44, sent.data(), sent.size() * 2), 0);
}

}  // namespace

TEST(VirtualCard, ListsDevicesWithAndWithoutMixerLines) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    TAudioPlayer2 player(card);

    EXPECT_EQ(recorder.devInputCount(), 1);  // highest device number
    recorder.setDevInput(1);
    EXPECT_EQ(recorder.devInputName(), QStringLiteral("Virtual Line In"));
    EXPECT_FALSE(recorder.devSrcEnabled());
    EXPECT_EQ(recorder.srcInputCount(), -1);
    recorder.setDevInput(0);
    EXPECT_TRUE(recorder.devSrcEnabled());
    EXPECT_EQ(recorder.srcInputCount(), 2);

    player.setDevOutput(1);
    EXPECT_EQ(player.devOutputName(), QStringLiteral("Virtual Line Out"));
    EXPECT_FALSE(player.devSrcEnabled());
    player.setDevOutput(0);
    EXPECT_EQ(player.srcOutputCount(), 1);
    player.setSrcOutput(1);
    EXPECT_EQ(player.srcOutputName(), QStringLiteral("Wave"));
    EXPECT_TRUE(player.srcMuteEnabled());
    player.setSrcMute(true);
    EXPECT_TRUE(player.srcMute());
    player.setSrcOutput(0);
    EXPECT_FALSE(player.srcMute());
    EXPECT_EQ(player.srcAdvancedCount(), -1);
}

TEST(VirtualCard, RecordingLinesSelectOneSourceAndExposeAdvancedValues) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.setSrcInput(2);
    EXPECT_EQ(recorder.srcInputName(), QStringLiteral("Stereo Mix"));
    recorder.setSrcSelect(true);
    recorder.setSrcInput(0);
    EXPECT_FALSE(recorder.srcSelect());
    EXPECT_EQ(recorder.srcAdvancedCount(), 1);
    EXPECT_EQ(recorder.srcAdvancedName(0), QStringLiteral("Mic Boost"));
    EXPECT_EQ(recorder.srcAdvancedValue(0).typeId(), QMetaType::Bool);
    EXPECT_EQ(recorder.srcAdvancedValue(1).typeId(), QMetaType::Int);
    recorder.setSrcAdvancedValue(1, 70000);  // clamped to the 16-bit range
    EXPECT_EQ(recorder.srcAdvancedValue(1).toInt(), 65535);
    recorder.setSrcAdvancedValue(0, true);
    EXPECT_TRUE(recorder.srcAdvancedValue(0).toBool());
    // Out-of-range indices read as nothing and are ignored on write.
    EXPECT_FALSE(recorder.srcAdvancedValue(5).isValid());
    recorder.setSrcInput(9);
    recorder.setSrcVolume(100);
    EXPECT_EQ(recorder.srcInputName(), QString());
}

TEST(VirtualCard, CaptureIsContinuousAcrossBlocksAndAGuiStall) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.SetFormatArray(44100, 2);
    recorder.setBufferSize(recorder.SecToSamples(200));
    ASSERT_EQ(recorder.BufferSize(), 8820);
    Capture capture;
    collect(recorder, capture);

    recorder.StartDevice();
    ASSERT_EQ(recorder.LastErrorNum(), 0);
    spin(500);
    QThread::sleep(3);  // the GUI thread is blocked; the card keeps capturing
    spin(500);
    const int position = recorder.nSamplesCurrent();
    recorder.StopDevice();

    const int frames = static_cast<int>(capture.samples.size() / 2);
    EXPECT_GE(frames, 44100 * 3.8);
    EXPECT_GE(frames, position);  // StopDevice hands on everything, including the tail
    EXPECT_LE(capture.shortBlocks, 1);
    EXPECT_EQ(recorder.droppedFrames(), 0u);
    EXPECT_EQ(firstMismatch(capture.samples, 2, 44100, 1.0), -1);
}

TEST(VirtualCard, CaptureFollowsFormatAndLineVolume) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.setSrcInput(0);
    recorder.setSrcVolume(32768);
    recorder.SetFormatArray(22050, 1);
    recorder.setBufferSize(recorder.SecToSamples(200));
    EXPECT_EQ(recorder.BufferSize(), 4410);
    Capture capture;
    collect(recorder, capture);
    recorder.StartDevice();
    waitUntil([&] { return capture.blocks >= 2; });
    recorder.StopDevice();
    EXPECT_EQ(firstMismatch(capture.samples, 1, 22050, 32768 / 65535.0), -1);
}

TEST(VirtualCard, TimerReportsPositionAndPeaksWhileRunning) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.SetFormatArray(44100, 2);
    recorder.setTimerEnabled(true);
    int ticks = 0, lastPosition = 0, left = 0, right = 0;
    QObject::connect(&recorder, &TAudioRecord2::OnTimer, &recorder, [&](int p, int l, int r) {
        ++ticks;
        lastPosition = p;
        left = l;
        right = r;
    });
    recorder.StartDevice();
    spin(400);
    recorder.StopDevice();
    EXPECT_GE(ticks, 4);
    EXPECT_GT(lastPosition, 44100 / 10);
    EXPECT_NEAR(left, 16384, 2);
    EXPECT_NEAR(right, 16384, 2);
    const int before = ticks;
    spin(200);
    EXPECT_EQ(ticks, before);  // no ticks once stopped
}

TEST(VirtualCard, StartingAMissingDeviceFails) {
    VirtualBackend card;
    TAudioRecord2 recorder(card);
    recorder.setDevInput(7);
    recorder.StartDevice();
    EXPECT_NE(recorder.LastErrorNum(), 0);
    EXPECT_FALSE(recorder.isRunning());
    TAudioPlayer2 player(card);
    player.setDevOutput(-1);
    player.StartDevice();
    EXPECT_NE(player.LastErrorNum(), 0);
}

TEST(VirtualCard, PlaysQueuedBlocksThenReportsTheEnd) {
    const VirtualSink sink;
    VirtualBackend card;
    TAudioPlayer2 player(card);

    player.SetFormatArray(8000, 1);
    const int blockFrames = player.SecToSamples(200);
    ASSERT_EQ(blockFrames, 1600);
    BlockFeeder feeder(player, 3, blockFrames);
    int ends = 0;
    QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ++ends; });

    feeder.start();
    ASSERT_EQ(player.LastErrorNum(), 0);
    ASSERT_TRUE(waitUntil([&] { return ends > 0; }, 3000));
    EXPECT_EQ(feeder.blockEnds, 3);
    EXPECT_EQ(player.nSamplesCurrent(), 3 * blockFrames);
    spin(100);
    EXPECT_EQ(ends, 1);
    player.StopDevice();

    expectSinkHeard(sink.path, feeder.sent);
}

// A caller may queue far more than a block or two, in blocks of any length (here more blocks
// than the player passes to the device thread at once, of odd stereo lengths that never line
// up with the card's requests): every frame is heard once, in order, and what the displays
// read back while it plays is what the card played.
TEST(VirtualCard, ManyOddBlocksQueuedAtOncePlayInOrder) {
    const VirtualSink sink;
    VirtualBackend card;
    TAudioPlayer2 player(card);
    player.SetFormatArray(8000, 2);
    int ends = 0;
    QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ++ends; });

    player.StartDevice();
    ASSERT_EQ(player.LastErrorNum(), 0);
    std::vector<int16_t> sent;
    for (int block = 0; block < 400; ++block) {
        const int frames = 13 + block % 29;
        std::vector<int16_t> samples;
        for (int f = 0; f < frames; ++f) {
            const int64_t frame = static_cast<int64_t>(sent.size() / 2) + f;
            samples.push_back(static_cast<int16_t>(frame % 20000));
            samples.push_back(static_cast<int16_t>(-(frame % 20000)));
        }
        sent.insert(sent.end(), samples.begin(), samples.end());
        player.SendArray(SampleArray(2, std::move(samples)));
    }
    player.SendArray(SampleArray());
    const int64_t total = static_cast<int64_t>(sent.size() / 2);

    ASSERT_TRUE(waitUntil([&] { return player.nSamplesCurrent() >= total / 2; }, 3000));
    const SampleArray shown = player.GetCurrentArray(1000);
    const int64_t shownEnd = player.nSamplesCurrent();
    ASSERT_EQ(shown.frames(), 1000);
    // The frames up to at least the position when asked; the position may have moved on.
    const int64_t lastShown = shown.samples()[2 * 999];
    EXPECT_LE(lastShown, shownEnd % 20000);
    for (int f = 1; f < 1000; ++f)
        ASSERT_EQ(shown.samples()[2 * f], (lastShown - 999 + f + 20000) % 20000) << f;

    ASSERT_TRUE(waitUntil([&] { return ends > 0; }, 5000));
    EXPECT_EQ(player.nSamplesCurrent(), total);
    player.StopDevice();

    expectSinkHeard(sink.path, sent);
}

// The card asks for data every 10 ms; the GUI side hears of it only when a block has been
// handed out, more is wanted or the end is due, not at every ask.
TEST(VirtualCard, PlayerWakesTheGuiSideOnlyWhenSomethingIsDue) {
    VirtualBackend card;
    TAudioPlayer2 player(card);
    player.SetFormatArray(8000, 1);
    WakeCounter counter;
    player.installEventFilter(&counter);
    int sent = 0, ends = 0;
    auto sendNext = [&] {
        player.SendArray(sent < 5 ? SampleArray(1, std::vector<int16_t>(1600, 1000))
                                  : SampleArray());
        ++sent;
    };
    QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, &player, sendNext);
    QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ++ends; });
    player.StartDevice();
    sendNext();
    sendNext();
    ASSERT_TRUE(waitUntil([&] { return ends > 0; }, 3000));
    player.StopDevice();
    // Five blocks of 200 ms: a wake for each block's end and one or two for the end; the
    // card asked about a hundred times meanwhile.
    EXPECT_GE(counter.wakes, 5);
    EXPECT_LE(counter.wakes, 8);
}

// With the timer running, block ends wait for the next tick, which wakes the GUI thread anyway:
// the audio thread wakes it only for the end of the data. Every block is still answered in time
// (the queue never runs dry) and every frame is heard.
TEST(VirtualCard, TickingPlayerAnswersBlockEndsAtTheTicks) {
    const VirtualSink sink;
    VirtualBackend card;
    TAudioPlayer2 player(card);
    player.SetFormatArray(8000, 1);
    player.setTimerInterval(80);
    player.setTimerEnabled(true);
    WakeCounter counter;
    player.installEventFilter(&counter);
    BlockFeeder feeder(player, 8, 1600);
    int requests = 0, ends = 0;
    QObject::connect(&player, &TAudioPlayer2::OnRequestOnLoadArray, &player, [&] { ++requests; });
    QObject::connect(&player, &TAudioPlayer2::OnEndPlay, &player, [&] { ++ends; });

    feeder.start();
    ASSERT_EQ(player.LastErrorNum(), 0);
    ASSERT_TRUE(waitUntil([&] { return ends > 0; }, 4000));
    player.StopDevice();

    EXPECT_EQ(requests, 0) << "the queue ran dry";
    EXPECT_EQ(feeder.blockEnds, 8);
    // Eight block ends without a wake of their own; the end of the data wakes it once or twice.
    EXPECT_LE(counter.wakes, 3);
    expectSinkHeard(sink.path, feeder.sent);
}

// The displays look back into what the player sent. Its history is reused from one start to
// the next without being cleared, so a new playback must show silence where it has not sent
// anything yet, never the sound of the one before.
TEST(VirtualCard, DisplaysSeeOnlyWhatThisPlaybackSent) {
    VirtualBackend card;
    TAudioPlayer2 player(card);
    player.SetFormatArray(8000, 1);
    auto onlyHolds = [](const SampleArray &shown, std::initializer_list<int16_t> values) {
        for (int16_t v : shown.samples())
            if (std::find(values.begin(), values.end(), v) == values.end())
                return false;
        return true;
    };
    player.StartDevice();
    player.SendArray(SampleArray(1, std::vector<int16_t>(1600, 7000)));
    player.SendArray(SampleArray(1, std::vector<int16_t>(1600, 7000)));
    ASSERT_TRUE(waitUntil([&] { return player.nSamplesCurrent() >= 2400; }, 2000));
    EXPECT_TRUE(onlyHolds(player.GetCurrentArray(800), {7000}));
    player.StopDevice();

    player.StartDevice();
    EXPECT_TRUE(onlyHolds(player.GetCurrentArray(4000), {0}));
    player.SendArray(SampleArray(1, std::vector<int16_t>(1600, -3000)));
    ASSERT_TRUE(waitUntil([&] { return player.nSamplesCurrent() >= 800; }, 2000));
    const SampleArray shown = player.GetCurrentArray(4000);
    EXPECT_TRUE(onlyHolds(shown, {0, -3000}));
    EXPECT_EQ(shown.samples().back(), -3000);
    player.StopDevice();
}

TEST(VirtualCard, StarvingPlayerAsksForDataAndStopDropsStaleEvents) {
    VirtualBackend card;
    TAudioPlayer2 player(card);
    player.SetFormatArray(44100, 2);
    int requests = 0, blockEnds = 0;
    QObject::connect(&player, &TAudioPlayer2::OnRequestOnLoadArray, &player, [&] { ++requests; });
    QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, &player, [&] { ++blockEnds; });
    player.StartDevice();
    ASSERT_TRUE(waitUntil([&] { return requests > 0; }, 1000));

    player.SendArray(SampleArray(2, std::vector<int16_t>(2 * 441 * 30)));  // 300 ms
    spin(50);
    player.StopDevice();  // stops mid-block: its end must never be reported
    spin(400);
    EXPECT_EQ(blockEnds, 0);
    EXPECT_EQ(requests, 1);
}

TEST(VirtualCard, AFailureReportedWhileAStreamClosesNeverReachesTheGuiSide) {
    // The report is posted while the stop waits for the device thread: it belongs to the
    // stream being closed, whatever the generation is by the time it is delivered.
    VirtualBackend card;
    card.setStreamFault(Direction::Input, VirtualBackend::StreamFault::FailOnClose);
    card.setStreamFault(Direction::Output, VirtualBackend::StreamFault::FailOnClose);
    TAudioRecord2 recorder(card);
    TAudioPlayer2 player(card);
    int errors = 0;
    QObject::connect(&recorder, &TAudioRecord2::OnDeviceError, &recorder, [&] { ++errors; });
    QObject::connect(&player, &TAudioPlayer2::OnDeviceError, &player, [&] { ++errors; });
    recorder.StartDevice();
    player.StartDevice();
    spin(100);
    recorder.StopDevice();
    player.StopDevice();
    spin(200);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(recorder.LastErrorNum(), 0);
    EXPECT_EQ(player.LastErrorNum(), 0);
}

TEST(VirtualCard, AStreamThatFailsBeforeItsFirstFrameReportsItOnce) {
    VirtualBackend card;
    card.setStreamFault(Direction::Input, VirtualBackend::StreamFault::FailAtStart);
    TAudioRecord2 recorder(card);
    QStringList reasons;
    QObject::connect(&recorder, &TAudioRecord2::OnDeviceError, &recorder,
                     [&](const QString &reason) { reasons << reason; });
    recorder.StartDevice();
    EXPECT_EQ(recorder.LastErrorNum(), 0);  // the open itself looked fine
    ASSERT_TRUE(waitUntil([&] { return !reasons.isEmpty(); }, 1000));
    spin(100);
    EXPECT_EQ(reasons.size(), 1);
    EXPECT_FALSE(recorder.isRunning());
    EXPECT_EQ(recorder.nSamplesCurrent(), 0);
}
