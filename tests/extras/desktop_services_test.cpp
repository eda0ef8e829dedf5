// Notifications and "Show in folder" against fake services on a private session bus: what
// is asked of them, what a click on a notification's button does, and what happens where no
// service answers.
#include "extras/desktop_notifier.h"
#include "extras/show_in_folder.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_desktop_services.h"
#include "tests/support/fake_sleep_services.h"

#include <gtest/gtest.h>

namespace {

using testsupport::FakeFileManager;
using testsupport::FakeNotifications;
using testsupport::PrivateBus;
using testsupport::waitUntil;

class DesktopServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus_.isRunning())
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
    }

    DesktopNotifier::BusOpener client() {
        return [this] { return bus_.connect(QStringLiteral("client")); };
    }

    PrivateBus bus_{QStringLiteral("desktop")};
};

TEST_F(DesktopServicesTest, NotificationNamesTheFileAndItsButtonsComeBack) {
    FakeNotifications service(bus_.connect(QStringLiteral("notifications")));
    DesktopNotifier notifier(client());
    QStringList played, shown;
    QObject::connect(&notifier, &DesktopNotifier::playRequested,
                     [&](const QString &file) { played << file; });
    QObject::connect(&notifier, &DesktopNotifier::showInFolderRequested,
                     [&](const QString &file) { shown << file; });

    notifier.notifyAboutFile(QStringLiteral("Recording stopped: time limit reached"),
                             QStringLiteral("Untitled3.mp3, 0:01:30"),
                             QStringLiteral("/m/Untitled3.mp3"));
    ASSERT_TRUE(waitUntil([&] { return service.shown().size() == 1; }));
    const FakeNotifications::Notification &n = service.shown()[0];
    EXPECT_EQ(n.summary, QStringLiteral("Recording stopped: time limit reached"));
    EXPECT_EQ(n.body, QStringLiteral("Untitled3.mp3, 0:01:30"));
    ASSERT_EQ(n.actions.size(), 4);
    EXPECT_EQ(n.actions[0], QStringLiteral("play"));
    EXPECT_EQ(n.actions[2], QStringLiteral("show-in-folder"));
    EXPECT_EQ(n.hints.value(QStringLiteral("desktop-entry")).toString(),
              QStringLiteral("korvanta-recorder"));

    // The id comes back asynchronously; a click before it is known cannot be placed.
    ASSERT_TRUE(waitUntil([&] {
        service.click(n.id, QStringLiteral("play"));
        return !played.isEmpty();
    }));
    EXPECT_EQ(played.first(), QStringLiteral("/m/Untitled3.mp3"));
    service.click(n.id, QStringLiteral("show-in-folder"));
    ASSERT_TRUE(waitUntil([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, QStringList{QStringLiteral("/m/Untitled3.mp3")});
    // Another program's notification is none of ours.
    const qsizetype before = played.size();
    service.click(n.id + 1, QStringLiteral("play"));
    service.click(n.id, QStringLiteral("show-in-folder"));
    ASSERT_TRUE(waitUntil([&] { return shown.size() == 2; }));
    EXPECT_EQ(played.size(), before);
}

TEST_F(DesktopServicesTest, NoServiceOrNoBusShowsNothingAndSaysNothing) {
    DesktopNotifier withoutService(client());
    withoutService.notifyAboutFile(QStringLiteral("s"), QStringLiteral("b"), QStringLiteral("/f"));
    DesktopNotifier withoutBus([] { return QDBusConnection(QStringLiteral("none")); });
    withoutBus.notifyAboutFile(QStringLiteral("s"), QStringLiteral("b"), QStringLiteral("/f"));
    testsupport::spin(50);  // nothing to wait for: only that nothing breaks
}

TEST_F(DesktopServicesTest, ShowInFolderSelectsTheFileElseOpensItsFolder) {
    QStringList opened;
    const FolderShower::FolderOpener openFolder = [&](const QString &folder) { opened << folder; };
    {
        FakeFileManager fileManager(bus_.connect(QStringLiteral("files")));
        FolderShower shower(client(), openFolder);
        shower.show(QStringLiteral("/m/a b/Untitled3.mp3"));
        ASSERT_TRUE(waitUntil([&] { return !fileManager.shownItems.isEmpty(); }));
        EXPECT_EQ(fileManager.shownItems,
                  QStringList{QStringLiteral("file:///m/a%20b/Untitled3.mp3")});
        testsupport::spin(50);
        EXPECT_TRUE(opened.isEmpty());
    }
    FolderShower noFileManager(client(), openFolder);
    noFileManager.show(QStringLiteral("/m/a b/Untitled3.mp3"));
    ASSERT_TRUE(waitUntil([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QStringList{QStringLiteral("/m/a b")});
    FolderShower noBus([] { return QDBusConnection(QStringLiteral("none")); }, openFolder);
    noBus.show(QStringLiteral("/x/y.wav"));
    EXPECT_EQ(opened.last(), QStringLiteral("/x"));
}

}  // namespace
