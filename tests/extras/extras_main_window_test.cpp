// The main window's help menu, tool buttons and start-up tip.
#include "app/tform1.h"
#include "extras/about_box.h"
#include "extras/shell_open.h"
#include "extras/tip_form.h"
#include "settings/app_paths.h"
#include "settings/recording_settings.h"
#include "tests/settings/modal_answerer.h"
#include "tests/support/event_loop.h"
#include "tests/support/test_backend.h"
#include "tests/support/test_settings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {

class ExtrasMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setExecutableDirectoryForTesting(dir_.path());
        setShellOpenHandlerForTesting([this](const QUrl &url) { opened_ << url; });
        testRecordingSettings() = RecordingSettings();
        writeFile(QStringLiteral("tips.txt"), "first\nsecond\nthird\n");
    }
    void TearDown() override {
        setShellOpenHandlerForTesting({});
        setExecutableDirectoryForTesting(QString());
    }

    void writeFile(const QString &name, const QByteArray &text) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir dir_;
    QList<QUrl> opened_;
};

}  // namespace

TEST_F(ExtrasMainWindowTest, TheTipAppearsAboutASecondAfterStartAndOnlyOnce) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.show();
    EXPECT_TRUE(window.TimerTip->isActive());
    EXPECT_EQ(window.TimerTip->interval(), 1000);
    EXPECT_EQ(window.tipForm(), nullptr);

    ASSERT_TRUE(testsupport::waitUntil([&window] { return window.tipForm() != nullptr; }, 3000));
    EXPECT_FALSE(window.TimerTip->isActive());
    EXPECT_TRUE(window.tipForm()->isVisible());
    EXPECT_EQ(window.tipForm()->parentWidget(), &window);
    EXPECT_EQ(window.tipForm()->RichEdit1->toPlainText(), QStringLiteral("second"));
    window.tipForm()->close();
    EXPECT_EQ(window.tipForm(), nullptr);
}

TEST_F(ExtrasMainWindowTest, ShowtipZeroKeepsTheStartupTipAwayButNotTheMenuItem) {
    writeFile(QStringLiteral("setup.ini"), "[tips]\nshowtip=0\n");
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.TimerTipTimer();  // the timer's tick, without waiting for it
    EXPECT_FALSE(window.TimerTip->isActive());
    EXPECT_EQ(window.tipForm(), nullptr);

    window.ipoftheDay1->trigger();
    ASSERT_NE(window.tipForm(), nullptr);
    EXPECT_TRUE(window.tipForm()->isVisible());
    window.tipForm()->close();
}

TEST_F(ExtrasMainWindowTest, HelpHomepageAndAboutCommands) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.TimerTip->stop();
    EXPECT_EQ(window.HelpContents2->shortcut(), QKeySequence(Qt::Key_F1));
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("manual")));
    writeFile(QStringLiteral("manual/index.html"), "<html></html>");
    window.ToolBtnHelp->click();
    window.Homepage2->trigger();
    EXPECT_EQ(opened_, (QList<QUrl>{QUrl::fromLocalFile(dir_.filePath("manual/index.html")),
                                    QUrl(QStringLiteral("https://korvanta.example.org/"))}));

    window.ToolBtnAbout->click();
    ASSERT_NE(window.aboutBox(), nullptr);
    EXPECT_EQ(window.aboutBox()->parentWidget(), &window);
    window.aboutBox()->close();
    window.About1->trigger();
    ASSERT_NE(window.aboutBox(), nullptr);
    window.aboutBox()->close();
}

// Stands in for the desktop's browser: QDesktopServices hands it every file:// address.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

TEST_F(ExtrasMainWindowTest, F1OpensTheInstalledManualThroughTheDesktop) {
    // The program as installed: <prefix>/lib/korvanta-recorder, manual in share/, nothing
    // beside the program.
    const QString prefix = dir_.filePath(QStringLiteral("usr"));
    const QString exeDir = prefix + QStringLiteral("/lib/korvanta-recorder");
    const QString manual = prefix + QStringLiteral("/share/korvanta-recorder/manual/index.html");
    ASSERT_TRUE(QDir().mkpath(exeDir));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(manual).path()));
    writeFile(QStringLiteral("usr/share/korvanta-recorder/manual/index.html"), "<html></html>");
    setExecutableDirectoryForTesting(exeDir);
    setShellOpenHandlerForTesting({});
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");

    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.TimerTip->stop();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.isActiveWindow(); }));
    QTest::keyClick(&window, Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    EXPECT_EQ(browser.urls, QList<QUrl>{QUrl::fromLocalFile(manual)});
    EXPECT_EQ(browser.urls.value(0).toString(),
              QStringLiteral("file://") + prefix +
                  QStringLiteral("/share/korvanta-recorder/manual/index.html"));
}

TEST_F(ExtrasMainWindowTest, HelpWithoutTheManualSaysSoInsteadOfOpeningNothing) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.TimerTip->stop();
    testsupport::ModalAnswerer answerer;
    window.HelpContents2->trigger();
    ASSERT_EQ(answerer.messages.size(), 1u);
    EXPECT_TRUE(
        answerer.messages[0].text.startsWith(QStringLiteral("The user manual was not found: ")));
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(ExtrasMainWindowTest, TheWindowCarriesTheProgramIcon) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.TimerTip->stop();
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_FALSE(window.ipoftheDay1->icon().isNull());
}

#include "extras_main_window_test.moc"
