// Seeking a file straight after it was opened, as Play does when the slider was moved while
// stopped, and the seek sequences that follow. After every seek the first frame read must be
// the target's: WAV and FLAC are checked against a frame counter, sample for sample; the lossy
// codings against their own decode from the start, which reading straight on gives.
#include "audio/audio_file2.h"
#include "codec_test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <ostream>
#include <string>

using namespace codectest;

namespace {

constexpr int kSeconds = 6;
constexpr int kReadFrames = 600;

enum class Coding { Pcm, Flac, Vorbis, Opus, Mp3 };

struct Kind {
    const char *file;
    Coding coding;
    int rate;
};

const Kind kKinds[] = {
    {"counter.wav", Coding::Pcm, 44100},  {"counter.flac", Coding::Flac, 44100},
    {"sweep.ogg", Coding::Vorbis, 44100}, {"sweep.opus", Coding::Opus, 48000},
    {"sweep.mp3", Coding::Mp3, 44100},  // read by libmpg123, not FFmpeg: the control
};

void PrintTo(const Kind &k, std::ostream *os) {
    *os << k.file;
}

bool lossless(Coding c) {
    return c == Coding::Pcm || c == Coding::Flac;
}

// Every frame says where it stands: the left channel counts through 16 bits, the right counts
// how often the left wrapped. A lossless file gives each frame's number back.
std::vector<int16_t> counterFrames(int frames) {
    std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        s[2 * static_cast<size_t>(i)] = static_cast<int16_t>((i & 0xFFFF) - 32768);
        s[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(i >> 16);
    }
    return s;
}

int64_t counterAt(const std::vector<int16_t> &s, size_t frame) {
    return (int64_t{s[2 * frame + 1]} << 16) + (s[2 * frame] + 32768);
}

// A rising sweep: no stretch of it repeats, so a block read from the wrong place can't match,
// and it is smooth enough for the lossy coders.
std::vector<int16_t> sweep(int rate, int frames) {
    std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
    double phase = 0;
    for (int i = 0; i < frames; ++i) {
        phase += 2.0 * M_PI * (200.0 + 1500.0 * i / frames) / rate;
        const auto v = static_cast<int16_t>(std::lround(12000.0 * std::sin(phase)));
        s[2 * static_cast<size_t>(i)] = v;
        s[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(-v / 2);
    }
    return s;
}

class SeekAfterOpen : public ::testing::TestWithParam<Kind> {
protected:
    static void SetUpTestSuite() { dir_ = std::make_unique<QTemporaryDir>(); }
    static void TearDownTestSuite() { dir_.reset(); }

    void SetUp() override {
        const Kind &k = GetParam();
        path_ = dir_->filePath(QLatin1String(k.file));
        TAudioFile2 w;
        switch (k.coding) {
            case Coding::Pcm:
                w.SetFormatPCM(k.rate, 2, 16);
                break;
            case Coding::Flac:
                w.SetFormatFLAC(k.rate, 2);
                break;
            case Coding::Vorbis:
                w.SetFormatVorbis(4, k.rate, 2);
                break;
            case Coding::Opus:
                w.SetFormatOpus(96, 2);
                break;
            case Coding::Mp3:
                w.SetFormatMP3(k.rate, 128, 2);
                break;
        }
        w.CreateFile(path_, 0);
        ASSERT_EQ(w.LastErrorNum(), 0) << w.LastErrorText().toStdString();
        const int frames = k.rate * kSeconds;
        writeInBlocks(w, lossless(k.coding) ? counterFrames(frames) : sweep(k.rate, frames), 2,
                      k.rate);
        w.CloseFile();
        ASSERT_EQ(w.LastErrorNum(), 0) << w.LastErrorText().toStdString();

        // What reading from the start gives is what a seek must land in.
        TAudioFile2 r;
        r.OpenFile(path_, 0, 1);
        ASSERT_EQ(r.LastErrorNum(), 0) << r.LastErrorText().toStdString();
        ASSERT_EQ(r.ArrayChannels(), 2);
        length_ = r.nSamples();
        straight_ = readToEnd(r, 4410);
        ASSERT_EQ(static_cast<int>(straight_.size() / 2), length_);
        ASSERT_GT(length_, k.rate * (kSeconds - 1));
        if (lossless(k.coding)) {
            ASSERT_EQ(length_, frames);
            for (size_t i = 0; i < static_cast<size_t>(length_); ++i) {
                ASSERT_EQ(counterAt(straight_, i), static_cast<int64_t>(i));
            }
        }
    }

    void open(TAudioFile2 &file) const {
        file.OpenFile(path_, 0, 1);
        ASSERT_EQ(file.LastErrorNum(), 0) << file.LastErrorText().toStdString();
        ASSERT_EQ(file.nSamples(), length_);
    }

    // Where in the straight decode `block` is found best, for the failure message.
    int64_t foundAt(const std::vector<int16_t> &block) const {
        if (lossless(GetParam().coding)) {
            return block.empty() ? -1 : counterAt(block, 0);
        }
        const size_t probe = std::min<size_t>(block.size(), 128);
        int64_t best = -1;
        int64_t bestCost = std::numeric_limits<int64_t>::max();
        for (size_t at = 0; at + probe <= straight_.size(); at += 2) {
            int64_t cost = 0;
            for (size_t i = 0; i < probe && cost < bestCost; ++i) {
                cost += std::abs(straight_[at + i] - block[i]);
            }
            if (cost < bestCost) {
                bestCost = cost;
                best = static_cast<int64_t>(at / 2);
            }
        }
        return best;
    }

    // Seeks to `target` and reads a block: it must hold the frames that follow the target.
    void expectSeekLandsOn(TAudioFile2 &file, int target, const std::string &how) const {
        const int expected = std::clamp(target, 0, length_);
        ASSERT_EQ(file.SeekFile(target, 3), expected) << how;
        const SampleArray block = file.ReadFile(kReadFrames);
        ASSERT_EQ(block.frames(), std::min(kReadFrames, length_ - expected))
            << how << ": seek to " << target;
        const auto from = straight_.begin() + static_cast<std::ptrdiff_t>(expected) * 2;
        const bool same = std::equal(block.samples().begin(), block.samples().end(), from);
        EXPECT_TRUE(same) << how << ": seek to " << target << " read from frame "
                          << foundAt(block.samples());
        EXPECT_EQ(file.nSamples(), length_) << how << ": the length changed";
    }

    static std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    int length_ = 0;
    std::vector<int16_t> straight_;
};

std::unique_ptr<QTemporaryDir> SeekAfterOpen::dir_;

// Play after the slider moved while stopped: the file is opened and at once sought.
TEST_P(SeekAfterOpen, TheFirstSeekAfterOpeningLandsOnTheTarget) {
    const int n = length_;
    const int rate = GetParam().rate;
    for (const int target : {1, rate / 2, 2 * rate, n * 20 / 100, n * 46 / 100, n * 48 / 100,
                             n * 90 / 100, n - 700, n - 1, n, 0, n + 5000}) {
        TAudioFile2 file;
        open(file);
        expectSeekLandsOn(file, target, "straight after opening");
        if (target >= n) {
            EXPECT_TRUE(file.ReadFile(100).isEmpty());
        }
    }
}

TEST_P(SeekAfterOpen, SeeksAfterReadingTwiceInARowAndPastTheEndLandOnTheTarget) {
    const int n = length_;
    const int rate = GetParam().rate;
    TAudioFile2 file;
    open(file);
    ASSERT_EQ(file.ReadFile(5000).frames(), 5000);
    expectSeekLandsOn(file, 3 * rate + 17, "after reading");
    expectSeekLandsOn(file, 3 * rate - 311, "a little back");
    expectSeekLandsOn(file, 4 * rate + 5, "a little ahead");

    ASSERT_EQ(file.SeekFile(rate, 3), rate);
    expectSeekLandsOn(file, 5 * rate / 2, "second of two seeks in a row");
    ASSERT_EQ(file.SeekFile(n / 2, 3), n / 2);
    expectSeekLandsOn(file, 2 * rate, "second of two seeks in a row, backwards");

    expectSeekLandsOn(file, 0, "back to the start");
    expectSeekLandsOn(file, n - 10, "the last frames");
    EXPECT_TRUE(file.ReadFile(100).isEmpty()) << "reading on past the end";
    expectSeekLandsOn(file, n + 12345, "beyond the end");
    EXPECT_TRUE(file.ReadFile(100).isEmpty());
    expectSeekLandsOn(file, n / 3, "after the end was reached");
}

INSTANTIATE_TEST_SUITE_P(Kinds, SeekAfterOpen, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &tested) {
                             return QString::fromLatin1(tested.param.file)
                                 .replace(QLatin1Char('.'), QLatin1Char('_'))
                                 .toStdString();
                         });

}  // namespace
