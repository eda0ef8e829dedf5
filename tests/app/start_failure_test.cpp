// Record and Play that cannot start: a device that is gone, a stream that fails before its
// first frame (as an asynchronous open on a sound server does), a file that cannot be made.
// Each says why once, leaves no empty file or row behind and returns to the idle look.
#include "audio/devices/virtual_backend.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_play_button_b2.h"

#include <QAction>
#include <QToolButton>

#include <sys/resource.h>
#include <csignal>
#include <cstdio>

using testsupport::spin;
using testsupport::waitUntil;
using Fault = VirtualBackend::StreamFault;

class StartFailureTest : public WindowFixture {
protected:
    void expectIdleLook(const TForm1 &w) {
        EXPECT_FALSE(w.flgRecord);
        EXPECT_FALSE(w.flgPlay);
        EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
        EXPECT_EQ(w.NCTPlayButtonB1->ShownState(), TNCTPlayButtonB2::TShownState::Stop);
        EXPECT_TRUE(w.ToolBtnOpen->isEnabled());
        EXPECT_TRUE(w.Options2->isEnabled());
        EXPECT_EQ(shownMilliseconds(w), 0);
    }

    VirtualBackend card_;
};

TEST_F(StartFailureTest, RecordingFromAGoneOrFailingDeviceSaysWhyAndLeavesNoFile) {
    writeIni("[options]\nsaveformat=.wav\n");
    TForm1 &w = openWindow(card_);
    answerMessageBoxes(QMessageBox::Ok);
    for (Fault fault : {Fault::Vanished, Fault::FailAtStart}) {
        SCOPED_TRACE(static_cast<int>(fault));
        messages_.clear();
        card_.setStreamFault(Direction::Input, fault);
        w.Record1Click();
        spin(400);
        ASSERT_EQ(messages_.size(), 1) << messages_.join(u'|').toStdString();
        EXPECT_TRUE(messages_.first().contains(QStringLiteral("sound device")))
            << messages_.first().toStdString();
        EXPECT_TRUE(recordedFilesOnDisk().isEmpty())
            << recordedFilesOnDisk().join(u' ').toStdString();
        EXPECT_TRUE(listedFiles().isEmpty());
        expectIdleLook(w);
    }

    // With the device back, the next recording is Untitled1 and runs as usual.
    card_.setStreamFault(Direction::Input, Fault::None);
    messages_.clear();
    w.Record1Click();
    spin(400);
    w.Stop1Click();
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
}

TEST_F(StartFailureTest, PlayingToAGoneOrFailingDeviceSaysWhy) {
    const QString path =
        writeRampWav(dir_.filePath(QStringLiteral("ramp.wav")), 44100, 2, 44100 * 2);
    TForm1 &w = openWindow(card_);
    answerMessageBoxes(QMessageBox::Ok);
    w.setCurrentFileName(path);
    for (Fault fault : {Fault::Vanished, Fault::FailAtStart}) {
        SCOPED_TRACE(static_cast<int>(fault));
        messages_.clear();
        card_.setStreamFault(Direction::Output, fault);
        w.Play1Click();
        spin(400);
        ASSERT_EQ(messages_.size(), 1) << messages_.join(u'|').toStdString();
        EXPECT_TRUE(messages_.first().contains(QStringLiteral("sound device")));
        expectIdleLook(w);
    }
}

// A disk that takes no bytes at all: the file the start created is removed again. Runs in a
// child process, whose file size limit does not reach the test runner.
class FullDiskStartTest : public StartFailureTest {
protected:
    [[noreturn]] void recordOnAFullDisk() {
        writeIni("[options]\nsaveformat=.wav\n");
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{0, 0};
        setrlimit(RLIMIT_FSIZE, &limit);
        TForm1 &w = openWindow();
        answerMessageBoxes(QMessageBox::Ok);
        w.Record1Click();
        spin(400);
        const bool told = messages_.size() == 1;
        const bool noFile = recordedFilesOnDisk().isEmpty();
        const bool idle = !w.flgRecord && listedFiles().isEmpty();
        std::fprintf(stderr, "messages %s | files %s | idle %d\n", qPrintable(messages_.join(u'|')),
                     qPrintable(recordedFilesOnDisk().join(u' ')), idle);
        std::_Exit(told && noFile && idle ? 0 : 1);
    }
};

TEST_F(FullDiskStartTest, AnAbandonedStartRemovesTheFileItCreated) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(recordOnAFullDisk(), ::testing::ExitedWithCode(0), "");
}
