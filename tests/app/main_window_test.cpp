// The main window's start-up, layout and closing, on the virtual sound card with setup.ini
// in a temporary folder standing in for the executable's directory.
#include "app/tform1.h"
#include "audio/audio_player2.h"
#include "settings/app_paths.h"
#include "settings/recording_settings.h"
#include "tests/support/event_loop.h"
#include "tests/support/test_backend.h"
#include "tests/support/test_settings.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setExecutableDirectoryForTesting(dir_.path() + QLatin1Char('/'));
        testRecordingSettings() = RecordingSettings();
    }
    void TearDown() override { setExecutableDirectoryForTesting(QString()); }

    QString iniPath() const { return dir_.filePath(QStringLiteral("setup.ini")); }

    void writeIni(const QByteArray &text) {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QByteArray readIni() {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

// The entries as shown: the Alt mnemonics' marks are underlines, not text.
QStringList menuTexts(QMenu *menu) {
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text().remove(QLatin1Char('&')));
    return texts;
}

}  // namespace

TEST_F(MainWindowTest, FirstStartWithoutSetupIniUsesTheDefaults) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    const RecordingSettings &s = testRecordingSettings();
    EXPECT_EQ(s.ext, QStringLiteral(".mp3"));
    EXPECT_EQ(s.SavePath, dir_.path() + QStringLiteral("/Recording/"));
    EXPECT_LE(s.RecordTime, 0);
    EXPECT_FALSE(window.ToolBtnAutostop->isChecked());
    EXPECT_EQ(window.ToolBtnAutostop->toolTip(), QStringLiteral("No Auto stop. "));
    EXPECT_FALSE(QFile::exists(iniPath()));  // nothing writes it before closing
}

TEST_F(MainWindowTest, AStoredTimeLimitShowsThePressedIndicator) {
    writeIni("[Options]\nTimeLimit=90\n");
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    EXPECT_TRUE(window.ToolBtnAutostop->isChecked());
    EXPECT_EQ(window.ToolBtnAutostop->toolTip(),
              QStringLiteral("Auto stop recording is set to 01:30"));
}

TEST_F(MainWindowTest, HasTheMenusToolButtonsTabsAndStatusPanels) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvanta Sound Recorder"));
    EXPECT_EQ(window.minimumSize(), QSize(560, 375));
    EXPECT_LE(window.minimumSizeHint().height(), 375);  // the layout fits the minimum

    const QList<QAction *> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menuTexts(menus[0]->menu()),
              (QStringList{QStringLiteral("Open"), QStringLiteral("-"), QStringLiteral("Exit")}));
    EXPECT_EQ(menuTexts(menus[1]->menu()),
              (QStringList{QStringLiteral("Record"), QStringLiteral("-"), QStringLiteral("Play"),
                           QStringLiteral("Pause"), QStringLiteral("Stop")}));
    EXPECT_EQ(menuTexts(menus[3]->menu()),
              (QStringList{QStringLiteral("Help Contents"), QStringLiteral("-"),
                           QStringLiteral("Homepage"), QStringLiteral("-"),
                           QStringLiteral("Tip of the Day"), QStringLiteral("About")}));
    EXPECT_EQ(window.Record1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_EQ(window.Stop1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(window.Options2->shortcut(), QKeySequence(Qt::Key_F2));

    EXPECT_EQ(window.ToolBtnOpen->toolTip(), QStringLiteral("Open a file"));
    EXPECT_EQ(window.ToolBtnHelp->toolTip(), QStringLiteral("Help Contents"));
    EXPECT_EQ(window.PageControl1->count(), 4);
    EXPECT_EQ(window.PageControl1->tabText(3), QStringLiteral("File Info"));
    EXPECT_EQ(window.PageControl1->currentIndex(), 0);
    EXPECT_FALSE(window.btnApply()->isEnabled());

    window.FileInfo1Click();
    EXPECT_EQ(window.PageControl1->currentIndex(), 3);
    window.Options1Click();
    EXPECT_EQ(window.PageControl1->currentWidget(), window.TabSheet3);
}

TEST_F(MainWindowTest, FirstShowFillsDeviceAndGenreLists) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.show();
    // Only the devices with mixer lines are listed.
    ASSERT_EQ(window.DeviceCombo->count(), 1);
    EXPECT_EQ(window.DeviceCombo->currentText(), QStringLiteral("Virtual Speakers"));
    ASSERT_EQ(window.DeviceComboIn->count(), 1);
    EXPECT_EQ(window.DeviceComboIn->currentText(), QStringLiteral("Virtual Microphone"));
    EXPECT_EQ(window.infoGenre()->count(), 147);
    EXPECT_EQ(window.ComboBox1->currentText(), QStringLiteral("1024"));
    EXPECT_EQ(window.ComboBox2->currentIndex(), 0);
    EXPECT_EQ(window.AudioPlayer1->TimerInterval(), 80);
    EXPECT_EQ(window.AudioPlayer1->srcOutput(), 1);
}

TEST_F(MainWindowTest, BottomStripKeepsMetersRightOfTheButtonsAtMinimumWidth) {
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.show();
    window.resize(560, 375);
    QCoreApplication::processEvents();
    const int strip = window.Panel1->width();
    EXPECT_EQ(window.NCTSliderB1->width(), strip - 24);
    EXPECT_EQ(window.NCTPlayButtonB1->width(), strip - 308);
    const int buttonsRight = window.NCTPlayButtonB1->x() + window.NCTPlayButtonB1->width();
    EXPECT_EQ(window.NCTAmpBar1->x(), buttonsRight + 7);
    EXPECT_EQ(window.NCTAmpBar2->x(), window.NCTAmpBar1->x());
    EXPECT_EQ(window.NCTTimeDisplay1->x(), window.NCTAmpBar1->x() + window.NCTAmpBar1->width() + 7);
    EXPECT_LE(window.NCTTimeDisplay1->geometry().right(), strip);
}

TEST_F(MainWindowTest, ClosingWritesTheTimeLimitAndKeepsForeignLines) {
    writeIni("; kept\n[Options]\nSaveFormat=.wav\nTimeLimit=0\n[mine]\nx=1\n");
    {
        TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
        window.show();
        testRecordingSettings().RecordTime = 125;
        window.Exit1Click();
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(readIni(),
              QByteArray("; kept\n[Options]\nSaveFormat=.wav\nTimeLimit=125\n[mine]\nx=1\n"));
}

TEST_F(MainWindowTest, AFailedWriteOnCloseIsReportedAndTheWindowStillCloses) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("setup.ini")));  // cannot be written
    TForm1 window(testBackend(), testRecordingSettings(), testCaptureSettings());
    window.show();
    testRecordingSettings().RecordTime = 60;  // a limit set in this run, so closing has to write
    QString shown;
    QTimer::singleShot(100, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    window.Exit1Click();
    EXPECT_EQ(shown, QStringLiteral("Unable to write to ") + iniPath());
    EXPECT_FALSE(window.isVisible());
}
