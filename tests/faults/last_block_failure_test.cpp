// The disk fills up exactly when a stop, a pause or a split hands on the last, shorter
// block: one failure must give one stop, one message and one row. The file size limit makes
// the disk "full" after a whole number of blocks; each case runs in a child process.
#include "audio/audio_record2.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <QThread>

#include <sys/resource.h>
#include <csignal>
#include <cstdio>

using testsupport::spin;
using testsupport::waitUntil;

namespace {

constexpr rlim_t kHeaderBytes = 44;
constexpr rlim_t kBlockBytes = 8820 * 4;  // 200 ms of 44100 Hz stereo 16-bit

enum class Transition { Stop, Pause, Split };

}  // namespace

class LastBlockFailureTest : public WindowFixture {
protected:
    [[noreturn]] void failTheLastBlockOf(Transition transition) {
        writeIni("[options]\nsaveformat=.wav\n");
        std::signal(SIGXFSZ, SIG_IGN);
        // A split every second ends the first part after five whole blocks.
        const rlim_t fullBlocks = transition == Transition::Split ? 5 : 3;
        const rlimit limit{kHeaderBytes + fullBlocks * kBlockBytes,
                           kHeaderBytes + fullBlocks * kBlockBytes};
        TForm1 &w = openWindow();
        answerMessageBoxes(QMessageBox::Ok);
        if (transition == Transition::Split) {
            testRecordingSettings().flgSplit = true;
            testRecordingSettings().SplitTime = 1;
        }
        int blocks = 0;
        QObject::connect(w.AudioRecord1, &TAudioRecord2::OnEndArrayRecord, &w, [&](int) {
            // Let some frames arrive past the last whole block, so the split's last block
            // is not empty.
            if (rlim_t(++blocks) == fullBlocks && transition == Transition::Split)
                QThread::msleep(30);
        });
        setrlimit(RLIMIT_FSIZE, &limit);
        w.Record1Click();
        waitUntil([&] { return rlim_t(blocks) == fullBlocks; }, 3000);
        if (transition == Transition::Stop) {
            spin(60);
            w.Stop1Click();
        } else if (transition == Transition::Pause) {
            spin(60);
            w.Pause1Click();
        }
        waitUntil([&] { return !w.flgRecord; }, 3000);
        spin(500);

        int channels = 0, frequency = 0;
        const size_t frames =
            readAll(recordingDir() + QStringLiteral("Untitled1.wav"), &channels, &frequency)
                .size() /
            2;
        const bool stopped =
            !w.flgRecord && !w.flgPauseRecord && w.statusPanel(0) == QStringLiteral("Stop");
        const bool told = messages_.size() == 1;
        const bool listedOnce = listedFiles() == QStringList{QStringLiteral("Untitled1.wav")};
        const bool noNextPart = recordedFilesOnDisk().size() == 1;
        const bool kept = frames == size_t(fullBlocks) * 8820 && w.mSamples == int(frames);
        std::fprintf(stderr, "stopped %d | messages %s | rows %s | files %s | frames %zu/%d\n",
                     stopped, qPrintable(messages_.join(u'|')),
                     qPrintable(listedFiles().join(u' ')),
                     qPrintable(recordedFilesOnDisk().join(u' ')), frames, w.mSamples);
        std::_Exit(stopped && told && listedOnce && noNextPart && kept ? 0 : 1);
    }
};

TEST_F(LastBlockFailureTest, InsideAStop) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(failTheLastBlockOf(Transition::Stop), ::testing::ExitedWithCode(0), "");
}

TEST_F(LastBlockFailureTest, InsideAPause) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(failTheLastBlockOf(Transition::Pause), ::testing::ExitedWithCode(0), "");
}

TEST_F(LastBlockFailureTest, InsideASplit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(failTheLastBlockOf(Transition::Split), ::testing::ExitedWithCode(0), "");
}
