// The playback session without a window, on the virtual card: what the card heard
// (KORVANTA_VIRTUAL_SINK) against the file's own decoded samples, across seeks, pauses and
// stops, and how the end of the data and a file that breaks off are reported.
#include "playback/playback_session.h"
#include "audio/audio_file2.h"
#include "audio/audio_player2.h"
#include "tests/support/event_loop.h"
#include "tests/support/test_backend.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <vector>

using testsupport::waitUntil;

namespace {

constexpr int kRate = 44100;

// A ramp that never repeats within the file, so a misplaced block cannot match by chance.
std::vector<int16_t> ramp(int frames, int seed) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>((i * 7 + static_cast<size_t>(seed) * 1001) % 65536);
    return samples;
}

QString writeFile(const QString &path, bool flac, int frames, int seed = 0) {
    TAudioFile2 file;
    if (flac)
        file.SetFormatFLAC(kRate, 2);
    else
        file.SetFormatPCM(kRate, 2, 16);
    file.CreateFile(path, 0);
    file.WriteFile(SampleArray(2, ramp(frames, seed)));
    file.CloseFile();
    return path;
}

std::vector<int16_t> decoded(const QString &path) {
    TAudioFile2 file;
    file.OpenFile(path, 0, 1);
    std::vector<int16_t> samples;
    for (SampleArray block = file.ReadFile(8192); !block.isEmpty(); block = file.ReadFile(8192))
        samples.insert(samples.end(), block.samples().begin(), block.samples().end());
    return samples;
}

std::vector<int16_t> slice(const std::vector<int16_t> &all, size_t firstFrame, size_t frames) {
    return std::vector<int16_t>(all.begin() + firstFrame * 2,
                                all.begin() + (firstFrame + frames) * 2);
}

class PlaybackSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        useSink(dir_.filePath(QStringLiteral("heard.wav")));
        player_.setTimerInterval(80);
        player_.setTimerEnabled(true);
        QObject::connect(&session_, &PlaybackSession::ended, [this] { ++ended_; });
        QObject::connect(&session_, &PlaybackSession::readFailed,
                         [this](const QString &message) { failures_ << message; });
    }
    void TearDown() override {
        session_.Stop();
        unsetenv("KORVANTA_VIRTUAL_SINK");
    }

    // The card keeps writing to a sink file while its format stays: a fresh file, fresh name.
    void useSink(const QString &path) {
        sinkPath_ = path;
        setenv("KORVANTA_VIRTUAL_SINK", QFile::encodeName(sinkPath_).constData(), 1);
    }
    void start(const QString &path, int sliderValue = 0) {
        ASSERT_EQ(session_.Open(path, sliderValue), PlaybackSession::OpenResult::Opened);
        ASSERT_TRUE(session_.Start());
    }
    bool finished() {
        return waitUntil([this] { return session_.state() == PlaybackSession::State::Idle; },
                         10000);
    }
    std::vector<int16_t> heard() { return decoded(sinkPath_); }
    // Waits until the card has heard at least `frames` of the current run.
    bool heardAtLeast(int frames) {
        return waitUntil([&] { return player_.nSamplesCurrent() >= frames; }, 10000);
    }

    QTemporaryDir dir_;
    QString sinkPath_;
    TAudioPlayer2 player_{testBackend()};
    TAudioFile2 file_;
    PlaybackSession session_{player_, file_};
    int ended_ = 0;
    QStringList failures_;
};

TEST_F(PlaybackSessionTest, WholeFilesArriveSampleForSampleAndEndOnce) {
    for (const bool flac : {false, true}) {
        SCOPED_TRACE(flac ? "FLAC" : "WAV");
        ended_ = 0;
        const QString path =
            writeFile(dir_.filePath(flac ? QStringLiteral("a.flac") : QStringLiteral("a.wav")),
                      flac, kRate * 3 / 4 + 123);
        useSink(dir_.filePath(flac ? QStringLiteral("heard-flac.wav")
                                   : QStringLiteral("heard-wav.wav")));
        start(path);
        ASSERT_TRUE(finished());
        EXPECT_EQ(heard(), decoded(path));
        // The player keeps asking while it plays out; the end is still reported once.
        waitUntil([] { return false; }, 300);
        EXPECT_EQ(ended_, 1);
        EXPECT_TRUE(failures_.isEmpty());
    }
}

TEST_F(PlaybackSessionTest, SeeksWhileStoppedAndWhilePlayingPlayFromThere) {
    const int frames = kRate * 2;
    const QString path = writeFile(dir_.filePath(QStringLiteral("a.flac")), true, frames);
    const std::vector<int16_t> all = decoded(path);

    start(path, 500);  // where the slider stood while stopped
    EXPECT_EQ(session_.StartSamples(), frames / 2);
    ASSERT_TRUE(heardAtLeast(kRate / 4));
    ASSERT_TRUE(session_.Reposition(250));
    EXPECT_EQ(session_.StartSamples(), frames / 4);
    ASSERT_TRUE(finished());

    const std::vector<int16_t> got = heard();
    const size_t tailFrames = frames - frames / 4;
    ASSERT_GT(got.size() / 2, tailFrames);
    const size_t headFrames = got.size() / 2 - tailFrames;
    EXPECT_GE(headFrames, size_t{kRate / 4});
    EXPECT_EQ(slice(got, 0, headFrames), slice(all, frames / 2, headFrames));
    EXPECT_EQ(slice(got, headFrames, tailFrames), slice(all, frames / 4, tailFrames));
    EXPECT_EQ(ended_, 1);
}

TEST_F(PlaybackSessionTest, PauseAndResumeLoseAndRepeatNothing) {
    const QString path = writeFile(dir_.filePath(QStringLiteral("a.flac")), true, kRate);
    start(path);
    for (const int at : {kRate / 5, kRate / 2}) {
        ASSERT_TRUE(waitUntil(
            [&] { return session_.StartSamples() + player_.nSamplesCurrent() >= at; }, 10000));
        session_.Pause();
        EXPECT_EQ(session_.state(), PlaybackSession::State::Paused);
        waitUntil([] { return false; }, 100);  // read-ahead of the paused run must not leak
        ASSERT_TRUE(session_.Start());
    }
    ASSERT_TRUE(finished());
    EXPECT_EQ(heard(), decoded(path));
    EXPECT_EQ(ended_, 1);
}

TEST_F(PlaybackSessionTest, BlocksReadAheadBeforeAStopAreNeverPlayedAfterIt) {
    const QString first = writeFile(dir_.filePath(QStringLiteral("a.wav")), false, kRate, 1);
    const QString second = writeFile(dir_.filePath(QStringLiteral("b.wav")), false, kRate, 2);
    start(first);
    // Once the first block is in, the reader has more of the first file decoded and queued.
    ASSERT_TRUE(
        waitUntil([&] { return session_.state() == PlaybackSession::State::Playing; }, 10000));
    session_.Stop();
    start(second);
    ASSERT_TRUE(finished());

    const std::vector<int16_t> got = heard();
    const std::vector<int16_t> b = decoded(second);
    ASSERT_GE(got.size(), b.size());
    const size_t headFrames = (got.size() - b.size()) / 2;
    EXPECT_EQ(slice(got, headFrames, b.size() / 2), b);
    EXPECT_EQ(slice(got, 0, headFrames), slice(decoded(first), 0, headFrames));
    EXPECT_EQ(ended_, 1);  // the first file's end never came
}

TEST_F(PlaybackSessionTest, AFileCutShortWhilePlayingIsReportedAfterWhatWasRead) {
    const QString path = writeFile(dir_.filePath(QStringLiteral("a.wav")), false, kRate * 4);
    const std::vector<int16_t> all = decoded(path);
    start(path);
    // The header still promises four seconds; the data now ends after one and a half, more
    // than the reader can have read ahead yet.
    QFile file(path);
    ASSERT_TRUE(file.resize(44 + kRate * 6));
    ASSERT_TRUE(finished());
    EXPECT_EQ(ended_, 0);
    ASSERT_EQ(failures_.size(), 1);
    EXPECT_TRUE(failures_.front().contains(path)) << failures_.front().toStdString();
    const std::vector<int16_t> got = heard();
    EXPECT_GT(got.size(), all.size() / 4);
    EXPECT_LT(got.size(), all.size() / 2);
    EXPECT_EQ(got, slice(all, 0, got.size() / 2));
}

}  // namespace
