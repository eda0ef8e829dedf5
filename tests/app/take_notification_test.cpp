// A take that ends by itself while the window is behind another tells the desktop, through a
// fake notification service on a private bus; a take the user stops tells nobody. The
// notification's buttons play the file and show it in the file manager.
#include "extras/desktop_notifier.h"
#include "extras/show_in_folder.h"
#include "tests/support/fake_desktop_services.h"
#include "tests/support/fake_sleep_services.h"
#include "tests/support/window_fixture.h"

#include <QAction>
#include <QTreeWidget>

#include <memory>

using testsupport::FakeFileManager;
using testsupport::FakeNotifications;
using testsupport::PrivateBus;
using testsupport::waitUntil;

class TakeNotificationTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        if (!bus_.isRunning())
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
        service_ = std::make_unique<FakeNotifications>(bus_.connect(QStringLiteral("service")));
        fileManager_ = std::make_unique<FakeFileManager>(bus_.connect(QStringLiteral("files")));
        notifier_ = std::make_unique<DesktopNotifier>(
            [this] { return bus_.connect(QStringLiteral("client")); });
        folders_ = std::make_unique<FolderShower>(
            [this] { return bus_.connect(QStringLiteral("client")); }, [](const QString &) {});
    }

    void TearDown() override {
        WindowFixture::TearDown();
        notifier_.reset();
        folders_.reset();
    }

    // The window, behind another one that has the focus.
    TForm1 &openWindowBehindAnother() {
        TForm1 &w = openWindow();
        w.setDesktopServices(notifier_.get(), folders_.get());
        other_ = std::make_unique<QWidget>();
        other_->show();
        other_->activateWindow();
        EXPECT_TRUE(waitUntil([&] { return !w.isActiveWindow(); }));
        return w;
    }

    PrivateBus bus_{QStringLiteral("notifications")};
    std::unique_ptr<FakeNotifications> service_;
    std::unique_ptr<FakeFileManager> fileManager_;
    std::unique_ptr<DesktopNotifier> notifier_;
    std::unique_ptr<FolderShower> folders_;
    std::unique_ptr<QWidget> other_;
};

TEST_F(TakeNotificationTest, AnAutoStopBehindOtherWindowsIsToldAndItsButtonsWork) {
    writeIni("[options]\nsaveformat=.wav\ntimelimit=1\n");
    TForm1 &w = openWindowBehindAnother();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return w.flgRecord; }));
    ASSERT_TRUE(waitUntil([&] { return service_->shown().size() == 1; }, 8000));
    const FakeNotifications::Notification &n = service_->shown()[0];
    EXPECT_EQ(n.summary, QStringLiteral("Recording stopped: time limit reached"));
    EXPECT_TRUE(n.body.startsWith(QStringLiteral("Untitled1.wav, "))) << qPrintable(n.body);
    EXPECT_FALSE(w.flgRecord);

    // "Show in folder" asks the file manager for the file; "Play" plays it.
    ASSERT_TRUE(waitUntil([&] {
        service_->click(n.id, QStringLiteral("show-in-folder"));
        return !fileManager_->shownItems.isEmpty();
    }));
    EXPECT_TRUE(fileManager_->shownItems.first().endsWith(QStringLiteral("/Untitled1.wav")));
    service_->click(n.id, QStringLiteral("play"));
    ASSERT_TRUE(waitUntil([&] { return w.flgPlay; }));
    EXPECT_TRUE(w.CurrentPlayFile().endsWith(QStringLiteral("/Untitled1.wav")));
}

TEST_F(TakeNotificationTest, ATakeTheUserStopsTellsNobody) {
    writeIni("[options]\nsaveformat=.wav\n");
    TForm1 &w = openWindowBehindAnother();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return shownMilliseconds(w) > 300; }));
    w.Stop1Click();
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord && listedFiles().size() == 1; }));
    // The list row's own "Show in folder" reaches the file manager all the same.
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    ASSERT_TRUE(w.ShowInFolder()->isEnabled());
    w.ShowInFolder()->trigger();
    ASSERT_TRUE(waitUntil([&] { return fileManager_->shownItems.size() == 1; }));
    EXPECT_TRUE(service_->shown().empty());
}
