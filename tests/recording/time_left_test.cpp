// The time left on the disk: the byte rate of each recording format, the status text at its
// unit boundaries, and the free-space question asked away from the GUI thread.
#include "recording/time_left.h"
#include "recording/free_space_probe.h"
#include "settings/recording_settings.h"
#include "tests/support/event_loop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>

using testsupport::waitUntil;

TEST(TimeLeft, ByteRateIsTheFormatsOwnAndAnUnknownFormatIsAnEstimate) {
    RecordingSettings s;
    s.ext = QStringLiteral(".WAV");  // as a hand-edited setup.ini may spell it
    s.WAVFreq = 44100;
    s.WAVCh = 2;
    s.WAVBPS = 16;
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 176400.0);
    EXPECT_FALSE(RecordingByteRate(s).estimated);
    s.WAVFreq = 8000;
    s.WAVCh = 1;
    s.WAVBPS = 8;
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 8000.0);

    s.ext = QStringLiteral(".mp3");
    s.MP3Bitrate = 128;
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 16000.0);
    s.ext = QStringLiteral(".wma");
    s.WMAProfile = 38;  // 44100 Hz stereo, 128 kbps
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 16000.0);
    s.WMAProfile = 999;  // outside the table: the encoder falls back to profile 38 as well
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 16000.0);

    // Rates that follow the sound are fair guesses, never exact.
    s.ext = QStringLiteral(".opus");
    s.OpusBitrate = 96;
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 12000.0);
    EXPECT_TRUE(RecordingByteRate(s).estimated);
    s.ext = QStringLiteral(".ogg");
    s.VorbisQuality = 5;
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 20000.0);
    s.VorbisQuality = 42;  // out of range in a hand-edited file: the top of the table
    EXPECT_DOUBLE_EQ(RecordingByteRate(s).bytesPerSecond, 62500.0);
    s.ext = QStringLiteral(".flac");
    s.FLACFreq = 44100;
    s.FLACCh = 2;
    EXPECT_TRUE(RecordingByteRate(s).estimated);
    EXPECT_LT(RecordingByteRate(s).bytesPerSecond, 176400.0);

    s.ext = QStringLiteral(".xyz");
    const ByteRate guess = RecordingByteRate(s);
    EXPECT_TRUE(guess.estimated);
    EXPECT_DOUBLE_EQ(guess.bytesPerSecond, 176400.0) << "errs on the short side";
    s.ext = QStringLiteral(".wav");
    s.WAVBPS = 0;  // nonsense from a hand-edited file: no division by zero, a fair guess
    EXPECT_TRUE(RecordingByteRate(s).estimated);
}

TEST(TimeLeft, TextRoundsDownToWholeMinutesAndHours) {
    EXPECT_EQ(TimeLeftText(0, false), QStringLiteral("< 1 min left"));
    EXPECT_EQ(TimeLeftText(59, false), QStringLiteral("< 1 min left"));
    EXPECT_EQ(TimeLeftText(60, false), QStringLiteral("1 min left"));
    EXPECT_EQ(TimeLeftText(45 * 60 + 59, false), QStringLiteral("45 min left"));
    EXPECT_EQ(TimeLeftText(3599, false), QStringLiteral("59 min left"));
    EXPECT_EQ(TimeLeftText(3600, false), QStringLiteral("1 h 0 min left"));
    EXPECT_EQ(TimeLeftText(3 * 3600 + 12 * 60 + 30, false), QStringLiteral("3 h 12 min left"));
    EXPECT_EQ(TimeLeftText(400 * 3600, false), QStringLiteral("400 h 0 min left"));
    EXPECT_EQ(TimeLeftText(45 * 60, true), QStringLiteral("about 45 min left"));
    EXPECT_EQ(TimeLeftText(2 * 3600 + 60, true), QStringLiteral("about 2 h 1 min left"));

    const ByteRate mp3{16000.0, false};
    EXPECT_EQ(SecondsThatFit(16000LL * 3600 * 1000, mp3), 3600 * 1000) << "no 32-bit overflow";
    EXPECT_EQ(SecondsThatFit(15999, mp3), 0);
    EXPECT_EQ(SecondsThatFit(-1, mp3), -1) << "unknown free space";
    EXPECT_EQ(SecondsThatFit(1000, ByteRate{}), -1);
}

TEST(FreeSpaceProbe, MeasuresTheNearestExistingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const int64_t here = FreeSpaceProbe::FreeBytes(dir.path());
    EXPECT_GT(here, 0);
    // The recording folder is only made at the first recording; its disk is its parent's.
    const int64_t later = FreeSpaceProbe::FreeBytes(dir.filePath(QStringLiteral("a/b/Recording/")));
    EXPECT_GT(later, 0);
    EXPECT_LT(std::abs(later - here), int64_t(64) << 20);
    EXPECT_EQ(FreeSpaceProbe::FreeBytes(QString()), -1);
}

TEST(FreeSpaceProbe, AnswersOffTheCallersThreadAndKeepsOnlyTheLatestQuestion) {
    FreeSpaceProbe probe;
    std::atomic<int> asked{0};
    std::atomic<bool> onCaller{false};
    QThread *caller = QThread::currentThread();
    probe.setQuery([&](const QString &folder) -> int64_t {
        ++asked;
        if (QThread::currentThread() == caller)
            onCaller = true;
        return folder.size();
    });
    QStringList answered;
    QObject::connect(&probe, &FreeSpaceProbe::measured, &probe,
                     [&](const QString &folder, qint64 bytes) {
                         EXPECT_EQ(bytes, folder.size());
                         answered << folder;
                     });
    // The later questions come while the first is out: only the latest is asked next.
    probe.request(QStringLiteral("/a"));
    probe.request(QStringLiteral("/bb"));
    probe.request(QStringLiteral("/ccc"));
    ASSERT_TRUE(waitUntil([&] { return answered.size() == 2; }));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(answered, (QStringList{QStringLiteral("/a"), QStringLiteral("/ccc")}));
    EXPECT_EQ(asked.load(), 2);
    EXPECT_FALSE(onCaller.load());
}

TEST(FreeSpaceProbe, AnAnswerAfterTheProbeWentAwayReachesNobody) {
    std::promise<void> gate;
    const std::shared_future<void> opened = gate.get_future().share();
    int delivered = 0;
    {
        FreeSpaceProbe probe;
        QObject::connect(&probe, &FreeSpaceProbe::measured, [&] { ++delivered; });
        probe.setQuery([opened](const QString &) -> int64_t {
            opened.wait();  // answers only once the probe is gone
            return 1;
        });
        probe.request(QStringLiteral("/slow"));
    }
    gate.set_value();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();  // what the worker posted, if anything
    EXPECT_EQ(delivered, 0);
}
