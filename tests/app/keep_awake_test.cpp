// The whole window on the virtual card keeps the computer awake while a take runs or waits
// for sound, through a fake portal (or a fake login manager) on private buses, and lets it
// sleep again however the take ends.
#include "audio/audio_record2.h"
#include "extras/sleep_inhibitor.h"
#include "tests/support/fake_sleep_services.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <algorithm>
#include <memory>

using testsupport::FakeLoginManager;
using testsupport::FakePortal;
using testsupport::PrivateBus;
using testsupport::waitUntil;

class KeepAwakeTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        if (!session_.isRunning() || !system_.isRunning())
            GTEST_SKIP() << "no dbus-daemon to run private buses";
        inhibitor_ = std::make_unique<SleepInhibitor>(
            [this] { return session_.connect(QStringLiteral("client")); },
            [this] { return system_.connect(QStringLiteral("client")); });
    }

    void TearDown() override {
        WindowFixture::TearDown();
        inhibitor_.reset();
    }

    TForm1 &openKeptAwakeWindow() {
        TForm1 &w = openWindow();
        w.setSleepInhibitor(inhibitor_.get());
        return w;
    }

    PrivateBus session_{QStringLiteral("session")};
    PrivateBus system_{QStringLiteral("system")};
    std::unique_ptr<SleepInhibitor> inhibitor_;
};

TEST_F(KeepAwakeTest, HeldFromRecordThroughPauseUntilStop) {
    writeIni("[options]\nsaveformat=.wav\n");
    FakePortal portal(session_.connect(QStringLiteral("portal")));
    TForm1 &w = openKeptAwakeWindow();
    EXPECT_TRUE(portal.inhibitors.empty());  // nothing while idle

    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return portal.inhibitors.size() == 1; }));
    EXPECT_EQ(portal.inhibitors[0].flags, 12u);
    EXPECT_EQ(portal.inhibitors[0].reason, QStringLiteral("Recording Untitled1.wav"));
    w.Pause1Click();
    ASSERT_TRUE(waitUntil([&] { return w.flgPauseRecord; }));
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return shownMilliseconds(w) > 300; }));
    EXPECT_EQ(portal.openCount(), 1u);

    w.Stop1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord && portal.openCount() == 0; }));
    EXPECT_EQ(portal.inhibitors.size(), 1u);
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
}

TEST_F(KeepAwakeTest, AutoStopAndSplitsKeepItHeldUntilTheLastPartEnds) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=3\n");
    FakePortal portal(session_.connect(QStringLiteral("portal")));
    TForm1 &w = openKeptAwakeWindow();
    testRecordingSettings().flgSplit = true;
    testRecordingSettings().SplitTime = 1;
    size_t mostOpen = 0, leastOpenWhileRecording = 99;
    QObject::connect(w.AudioRecord1, &TAudioRecord2::OnTimer, &w, [&](int, int, int) {
        mostOpen = std::max(mostOpen, portal.openCount());
        if (w.flgRecord && !portal.inhibitors.empty())
            leastOpenWhileRecording = std::min(leastOpenWhileRecording, portal.openCount());
    });
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return listedFiles().size() == 3 && !w.flgRecord; }, 8000));
    ASSERT_TRUE(waitUntil([&] { return portal.openCount() == 0; }));
    // Each part is named in turn; there is never a moment with none held, nor two for long.
    ASSERT_FALSE(portal.inhibitors.empty());
    EXPECT_EQ(portal.inhibitors.back().reason, QStringLiteral("Recording Untitled3.wav"));
    EXPECT_EQ(leastOpenWhileRecording, 1u);
    EXPECT_LE(mostOpen, 2u);
}

TEST_F(KeepAwakeTest, WithoutAPortalTheLoginManagersLockEndsWhenTheWindowCloses) {
    writeIni("[options]\nsaveformat=.wav\n");
    FakeLoginManager logind(system_.connect(QStringLiteral("logind")));
    TForm1 &w = openKeptAwakeWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return logind.inhibitors.size() == 1; }));
    EXPECT_EQ(logind.inhibitors[0].why, QStringLiteral("Recording Untitled1.wav"));
    ASSERT_TRUE(waitUntil([&] { return shownMilliseconds(w) > 300; }));
    EXPECT_FALSE(FakeLoginManager::released(logind.inhibitors[0]));

    w.close();
    ASSERT_TRUE(waitUntil([&] { return FakeLoginManager::released(logind.inhibitors[0]); }));
    EXPECT_EQ(recordedFilesOnDisk(), QStringList{QStringLiteral("Untitled1.wav")});
}

TEST_F(KeepAwakeTest, AnArmedVoiceStartHoldsItUntilDisarmed) {
    // The card's tone never reaches this level: Record only arms.
    writeIni("[options]\nsaveformat=.wav\n[capture]\nvoicestart=1\nvoicelevel=-1\n");
    FakePortal portal(session_.connect(QStringLiteral("portal")));
    TForm1 &w = openKeptAwakeWindow();
    w.Record1Click();
    ASSERT_TRUE(w.isWaitingForSound());
    ASSERT_TRUE(waitUntil([&] { return portal.inhibitors.size() == 1; }));
    EXPECT_FALSE(portal.inhibitors[0].reason.isEmpty());
    w.Stop1Click();
    ASSERT_TRUE(waitUntil([&] { return portal.openCount() == 0; }));
    EXPECT_TRUE(recordedFilesOnDisk().isEmpty());
}

TEST_F(KeepAwakeTest, WithNeitherServiceRecordingWorksAndNothingIsReported) {
    writeIni("[options]\nsaveformat=.wav\n");
    answerMessageBoxes(QMessageBox::Ok);
    TForm1 &w = openKeptAwakeWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return shownMilliseconds(w) > 300; }));
    w.Stop1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord; }));
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.wav")});
    EXPECT_TRUE(messages_.isEmpty());
}
