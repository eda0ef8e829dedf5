// The main window's help menu, tool buttons and start-up tip.
#include "app/tform1.h"
#include "extras/about_box.h"
#include "extras/shell_open.h"
#include "extras/tip_form.h"
#include "settings/app_paths.h"
#include "settings/recording_settings.h"
#include "tests/support/event_loop.h"
#include "tests/support/test_backend.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
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
        recordingSettings() = RecordingSettings();
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
    TForm1 window(testBackend());
    window.show();
    EXPECT_TRUE(window.TimerTip->isActive());
    EXPECT_EQ(window.TimerTip->interval(), 1000);
    EXPECT_EQ(TipForm, nullptr);

    ASSERT_TRUE(testsupport::waitUntil([] { return TipForm != nullptr; }, 3000));
    EXPECT_FALSE(window.TimerTip->isActive());
    EXPECT_TRUE(TipForm->isVisible());
    EXPECT_EQ(TipForm->parentWidget(), &window);
    EXPECT_EQ(TipForm->RichEdit1->toPlainText(), QStringLiteral("second"));
    TipForm->close();
    EXPECT_EQ(TipForm, nullptr);
}

TEST_F(ExtrasMainWindowTest, ShowtipZeroKeepsTheStartupTipAwayButNotTheMenuItem) {
    writeFile(QStringLiteral("setup.ini"), "[tips]\nshowtip=0\n");
    TForm1 window(testBackend());
    window.TimerTipTimer();  // the timer's tick, without waiting for it
    EXPECT_FALSE(window.TimerTip->isActive());
    EXPECT_EQ(TipForm, nullptr);

    window.ipoftheDay1->trigger();
    ASSERT_NE(TipForm, nullptr);
    EXPECT_TRUE(TipForm->isVisible());
    TipForm->close();
}

TEST_F(ExtrasMainWindowTest, HelpHomepageAndAboutCommands) {
    TForm1 window(testBackend());
    window.TimerTip->stop();
    EXPECT_EQ(window.HelpContents2->shortcut(), QKeySequence(Qt::Key_F1));
    writeFile(QStringLiteral("korvantasoundrecorder.chm"), "help");
    window.ToolBtnHelp->click();
    window.Homepage2->trigger();
    EXPECT_EQ(opened_, (QList<QUrl>{QUrl::fromLocalFile(helpFilePath()),
                                    QUrl(QStringLiteral("https://korvanta.example.org/"))}));

    window.ToolBtnAbout->click();
    ASSERT_NE(AboutBox, nullptr);
    EXPECT_EQ(AboutBox->parentWidget(), &window);
    AboutBox->close();
    window.About1->trigger();
    ASSERT_NE(AboutBox, nullptr);
    AboutBox->close();
}

TEST_F(ExtrasMainWindowTest, TheWindowCarriesTheProgramIcon) {
    TForm1 window(testBackend());
    window.TimerTip->stop();
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_FALSE(window.ipoftheDay1->icon().isNull());
}
