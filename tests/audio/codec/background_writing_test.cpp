// Encoding on a thread of its own: the same files, byte for byte, as encoding in the caller's
// thread, the same lengths while writing, and failures that still reach the caller.
#include "audio/audio_file2.h"
#include "audio/codec/background_writer.h"
#include "codec_test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include <sys/resource.h>
#include <csignal>

using namespace codectest;

namespace {

enum class Format { Wav, Mp3, Wma };

void choose(TAudioFile2 &file, Format format) {
    switch (format) {
        case Format::Wav:
            file.SetFormatPCM(44100, 2, 16);
            break;
        case Format::Mp3:
            file.SetFormatMP3(44100, 128, 2);
            break;
        case Format::Wma:
            file.setWmaFormatEnabled(true);
            file.SetFormatWMA(38);
            break;
    }
}

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class BackgroundWriting : public ::testing::TestWithParam<Format> {
protected:
    // Writes the input in 200 ms blocks and reports the length seen after every block (or,
    // without `askEveryBlock`, at the end only).
    std::vector<int> write(const QString &name, bool background, const std::vector<int16_t> &input,
                           bool askEveryBlock) {
        TAudioFile2 file;
        file.setBackgroundWriting(background);
        choose(file, GetParam());
        file.CreateFile(dir.filePath(name), 0);
        EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
        const int channels = file.ArrayChannels();
        const size_t block = static_cast<size_t>(file.ArrayFrequency() / 5) * channels;
        std::vector<int> lengths;
        for (size_t at = 0; at < input.size(); at += block) {
            const size_t n = std::min(block, input.size() - at);
            file.WriteFile(SampleArray(
                channels, std::vector<int16_t>(input.begin() + at, input.begin() + at + n)));
            if (askEveryBlock)
                lengths.push_back(file.nSamples());
        }
        if (!askEveryBlock)
            lengths.push_back(file.nSamples());
        file.CloseFile();
        EXPECT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
        return lengths;
    }

    QTemporaryDir dir;
};

TEST_P(BackgroundWriting, GivesTheSameFileAndLengthsAsWritingInPlace) {
    // Well within the queue, so that nothing is dropped however slowly the encoder runs on a
    // loaded machine; not a whole number of blocks.
    const std::vector<int16_t> input = noise(2, 44100 * 12 + 17);
    const std::vector<int> inPlace = write(QStringLiteral("in_place"), false, input, true);
    const std::vector<int> asked = write(QStringLiteral("asked"), true, input, true);
    const std::vector<int> behind = write(QStringLiteral("background"), true, input, false);
    EXPECT_EQ(inPlace, asked);
    EXPECT_EQ(behind, std::vector<int>{inPlace.back()});
    const QByteArray a = contents(dir.filePath(QStringLiteral("in_place")));
    const QByteArray b = contents(dir.filePath(QStringLiteral("background")));
    ASSERT_FALSE(a.isEmpty());
    if (GetParam() == Format::Wma) {
        // The container carries a fresh file id and date: compare what it holds.
        TAudioFile2 x, y;
        x.OpenFile(dir.filePath(QStringLiteral("in_place")), 0, 1);
        y.OpenFile(dir.filePath(QStringLiteral("background")), 0, 1);
        EXPECT_EQ(x.nSamples(), y.nSamples());
        EXPECT_EQ(readToEnd(x), readToEnd(y));
    } else {
        EXPECT_EQ(a.size(), b.size());
        EXPECT_TRUE(a == b);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, BackgroundWriting,
                         ::testing::Values(Format::Wav, Format::Mp3, Format::Wma));

TEST(BackgroundWritingFailures, AFileDeletedWhileWrittenIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.wav"));
    TAudioFile2 file;
    file.setBackgroundWriting(true);
    file.SetFormatPCM(44100, 2, 16);
    file.CreateFile(path, 0);
    ASSERT_EQ(file.LastErrorNum(), 0);
    const std::vector<int16_t> block = noise(2, 8820);
    file.WriteFile(SampleArray(2, block));
    ASSERT_TRUE(QFile::remove(path));
    // The writer looks for its file about once a second, after a write.
    for (int i = 0; i < 15 && file.LastErrorNum() == 0; ++i) {
        QThread::msleep(100);
        file.WriteFile(SampleArray(2, block));
        file.FlushWrites();
    }
    EXPECT_NE(file.LastErrorNum(), 0);
    EXPECT_TRUE(file.LastErrorText().contains(QStringLiteral("deleted")))
        << file.LastErrorText().toStdString();
    file.CloseFile();
    EXPECT_NE(file.LastErrorNum(), 0);
}

// In a child process: the size limit makes the disk "full" after two whole blocks.
[[noreturn]] void fillTheDiskAfterTwoBlocks() {
    QTemporaryDir dir;
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t bytes = 44 + 2 * 8820 * 4;
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
    TAudioFile2 file;
    file.setBackgroundWriting(true);
    file.SetFormatPCM(44100, 2, 16);
    file.CreateFile(dir.filePath(QStringLiteral("full.wav")), 0);
    const std::vector<int16_t> block = noise(2, 8820);
    for (int i = 0; i < 3; ++i)
        file.WriteFile(SampleArray(2, block));
    file.FlushWrites();
    const bool failed = file.LastErrorNum() != 0;
    const bool kept = file.nSamples() == 2 * 8820;
    // Nothing is taken once the failure is known.
    file.WriteFile(SampleArray(2, block));
    const bool stillKept = file.nSamples() == 2 * 8820;
    file.CloseFile();
    std::_Exit(failed && kept && stillKept ? 0 : 1);
}

TEST(BackgroundWritingFailures, AFullDiskShowsAfterTheFlushWithWhatWentIn) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(fillTheDiskAfterTwoBlocks(), ::testing::ExitedWithCode(0), "");
}

// A disk that stalls: every write waits until the test opens the gate, and records what it got.
class StalledWriter : public korvanta::codec::AudioWriter {
public:
    StalledWriter() : AudioWriter(8000, 2) {}
    QString formatText() const override { return QStringLiteral("stalled"); }
    bool write(const int16_t *samples, int frames) override {
        std::unique_lock<std::mutex> lock(mutex_);
        entered_ = true;
        opened_.notify_all();
        opened_.wait(lock, [this] { return open_; });
        got_.insert(got_.end(), samples, samples + static_cast<size_t>(frames) * 2);
        addFrames(frames);
        return true;
    }
    bool finish() override { return true; }
    void waitUntilEntered() {
        std::unique_lock<std::mutex> lock(mutex_);
        opened_.wait(lock, [this] { return entered_; });
    }
    void openGate() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    std::vector<int16_t> got_;

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
    bool entered_ = false;
};

// Frame n carries n in both channels (mod 2^15), so a dropped run shows where it was.
std::vector<int16_t> numbered(int64_t from, int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
        out[2 * i] = out[2 * i + 1] = static_cast<int16_t>((from + i) % 32768);
    return out;
}

// The caller is never held up by a writer that fell behind: what finds no room is dropped,
// listed with its place and length to the frame, and the file goes on with the frames after
// it. A wait would hang here, since the writer is held until the end.
TEST(BackgroundWritingFailures, AStalledWriterDropsWhatFindsNoRoomInsteadOfWaiting) {
    StalledWriter writer;
    std::vector<korvanta::codec::BackgroundWriter::Loss> losses;
    int64_t taken = 0;
    {
        constexpr int kRoom = 8192 * 2;  // the queue's least capacity: two chunks of the worker
        korvanta::codec::BackgroundWriter background(writer, QString(), kRoom);
        // The worker takes the first block and stalls with it; then the queue's room is
        // filled and the rest overflows, in one run.
        EXPECT_TRUE(background.write(numbered(0, 1000).data(), 1000));
        writer.waitUntilEntered();
        int64_t offered = 1000;
        for (int block = 1; block < 50; ++block) {
            EXPECT_TRUE(background.write(numbered(offered, 1000).data(), 1000));
            offered += 1000;
        }
        taken = background.framesTaken();
        losses = background.losses();
        ASSERT_EQ(losses.size(), 1u);
        EXPECT_EQ(taken, 1000 + kRoom);
        EXPECT_EQ(losses[0].at, taken);
        EXPECT_EQ(losses[0].frames, offered - taken);

        // Room again once the writer has caught up: the next frames follow the taken ones.
        writer.openGate();
        background.drain();
        EXPECT_TRUE(background.write(numbered(offered, 500).data(), 500));
        background.drain();
        EXPECT_EQ(background.framesTaken(), taken + 500);
        EXPECT_EQ(background.losses().size(), 1u);
    }
    ASSERT_EQ(writer.got_.size(), static_cast<size_t>(taken + 500) * 2);
    for (int64_t f = 0; f < taken + 500; ++f) {
        const int64_t expected = f < taken ? f : 50000 + (f - taken);
        ASSERT_EQ(writer.got_[static_cast<size_t>(f) * 2], static_cast<int16_t>(expected % 32768))
            << "frame " << f;
    }
}

}  // namespace
