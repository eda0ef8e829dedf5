// Encoding on a thread of its own: the same files, byte for byte, as encoding in the caller's
// thread, the same lengths while writing, and failures that still reach the caller.
#include "audio/audio_file2.h"
#include "codec_test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

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
    // Longer than the queue, so the caller also waits for the writer now and then; not a
    // whole number of blocks.
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

}  // namespace
