// The pages not shown at start are built when first shown or first needed: the window looks
// and behaves the same whichever happened, and what was set before a page existed shows on it.
#include "audio/devices/virtual_backend.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

using LazyPagesTest = WindowFixture;
using testsupport::waitUntil;

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(LazyPagesTest, FileInfoIsBuiltWhenFirstShownWithoutMovingTheWindow) {
    TForm1 &w = openWindow();
    ASSERT_FALSE(w.fileInfoBuilt());
    EXPECT_TRUE(w.TabSheet2->findChildren<QWidget *>().isEmpty());
    const QSize size = w.size();
    const QSize minimum = w.minimumSize();

    // Turning the pages by key reaches it like a click on its tab.
    w.PageControl1->setCurrentIndex(w.PageControl1->indexOf(w.TabSheet2));
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.fileInfoBuilt());
    EXPECT_EQ(w.size(), size);
    EXPECT_EQ(w.minimumSize(), minimum);
    // Built into a page already on the screen: every control shows, laid out in the page.
    for (QWidget *child : w.TabSheet2->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(child->isVisible()) << child->metaObject()->className();
        EXPECT_TRUE(w.TabSheet2->rect().contains(child->geometry()))
            << child->metaObject()->className();
    }
    EXPECT_GT(w.ListView1()->height(), 40);
    EXPECT_EQ(w.ListView1()->columnWidth(3), 170);
    EXPECT_EQ(w.infoGenre()->count(), 147);
    EXPECT_EQ(w.infoGenre()->currentIndex(), -1);

    // Later resizes keep following the window.
    const int listWidth = w.ListView1()->width();
    w.resize(w.width() + 100, w.height() + 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.ListView1()->width(), listWidth + 100);
    EXPECT_EQ(w.btnApply()->geometry().right(), w.TabSheet2->width() - 3);
}

TEST_F(LazyPagesTest, AMixerTabsTopRowComesWithItsPageAroundTheDeviceList) {
    TForm1 &w = openWindow();
    // The device list is filled from the start; its caption and button wait for the page.
    EXPECT_GT(w.DeviceComboIn->count(), 0);
    EXPECT_TRUE(w.TabSheet3->findChildren<QPushButton *>().isEmpty());
    EXPECT_TRUE(w.TabSheet3->findChildren<QLabel *>().isEmpty());

    w.Options1Click();
    QCoreApplication::processEvents();
    QPushButton *filter = w.btnSetFilter();
    EXPECT_TRUE(filter->isVisible());
    EXPECT_EQ(filter->geometry().right(), w.TabSheet3->width() - 3);
    EXPECT_EQ(w.DeviceComboIn->geometry().right() + 5, filter->x());
    const QList<QLabel *> captions =
        w.TabSheet3->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(captions.size(), 1);
    EXPECT_TRUE(captions.first()->isVisible());
    EXPECT_EQ(captions.first()->buddy(), w.DeviceComboIn);
    EXPECT_GT(w.DeviceComboIn->x(), captions.first()->geometry().right());
    // The panels stand below the row.
    const QList<TsrcFrame *> panels = SourcePanelsOf(w.TabSheet3);
    ASSERT_FALSE(panels.isEmpty());
    EXPECT_GT(panels.first()->y(), w.DeviceComboIn->geometry().bottom());

    // Asked for before its page was shown, the other tab's switch is there, undecided.
    EXPECT_EQ(w.chEqualizer()->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(w.chEqualizer()->isVisible());
    EXPECT_EQ(w.DeviceCombo->geometry().right() + 9, w.chEqualizer()->x());
    EXPECT_FALSE(w.playbackPanelsBuilt());
    w.PlaybackVolumeControls1Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.chEqualizer()->isVisible());
    EXPECT_TRUE(w.playbackPanelsBuilt());
}

TEST_F(LazyPagesTest, WhatCodeSetBeforeThePageExistedShowsOnIt) {
    TForm1 &w = openWindow();
    ASSERT_FALSE(w.fileInfoBuilt());
    // A hidden page's controls are there as soon as code asks for them, at the size the page
    // has in the window, before the page was ever shown.
    const QString path = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 440, 0.5);
    w.ListFile(path);
    ASSERT_TRUE(w.fileInfoBuilt());
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("tone.wav")});
    EXPECT_GT(w.ListView1()->width(), 200);
    EXPECT_FALSE(w.btnReset()->isEnabled());
    EXPECT_FALSE(w.btnApply()->isEnabled());

    w.FileInfo1Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.ListView1()->isVisible());
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("tone.wav")});
}

TEST_F(LazyPagesTest, OpeningAFileFillsTheTagEditorBeforeItWasShown) {
    TForm1 &w = openWindow();
    const QString path = writeSineWav(dir_.filePath(QStringLiteral("tone.wav")), 440, 0.5);
    w.setCurrentFileName(path);
    w.OpenFile();
    w.FileInfo1Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.btnReset()->isEnabled());
    EXPECT_TRUE(w.btnApply()->isEnabled());
    EXPECT_TRUE(w.infoTitle()->isVisible());
}

TEST_F(LazyPagesTest, ApplyStaysOffForTheFileBeingRecordedWhenThePageComesLate) {
    TForm1 &w = openWindow();
    w.Record1Click();
    ASSERT_TRUE(waitUntil([&] { return w.flgRecord; }, 3000));
    w.FileInfo1Click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.btnApply()->isEnabled());
    w.Stop1Click();
    // The finished recording is loaded into the editor and may now be tagged.
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord && listedFiles().size() == 1; }, 5000));
    EXPECT_TRUE(w.btnReset()->isEnabled());
    EXPECT_TRUE(w.btnApply()->isEnabled());
}

TEST_F(LazyPagesTest, ClosingBeforeAnyHiddenPageWasShownWritesTheSameSetupIni) {
    const QByteArray ini = "[Recording]\nRecordTime=125\n";
    auto closedIni = [&](bool showEveryPage) {
        writeIni(ini);
        testRecordingSettings() = RecordingSettings();
        TForm1 &w = openWindow();
        if (showEveryPage) {
            for (int page = 0; page < w.PageControl1->count(); ++page) {
                w.PageControl1->setCurrentIndex(page);
                QCoreApplication::processEvents();
            }
        }
        w.close();
        QCoreApplication::processEvents();
        window_.reset();
        return readFile(dir_.filePath(QStringLiteral("setup.ini")));
    };
    const QByteArray untouched = closedIni(false);
    const QByteArray shown = closedIni(true);
    EXPECT_FALSE(untouched.isEmpty());
    EXPECT_EQ(untouched, shown);
}

// A card whose speakers have more lines than the window's first width shows, one of them
// named with a word wider than a panel.
class LazyMixerPagesTest : public WindowFixture {
protected:
    TForm1 &open() {
        std::vector<MixerLine> lines;
        for (int i = 0; i < 10; ++i) {
            MixerLine line;
            line.name = i == 7 ? QStringLiteral("Surround-Rear-Headphone-Amplifier")
                               : QStringLiteral("Line %1").arg(i);
            line.hasVolume = line.hasBalance = line.hasMute = true;
            line.volume = 1000 * i;
            lines.push_back(line);
        }
        card_.setMixerLines(Direction::Output, 0, lines);
        window_ = std::make_unique<TForm1>(card_, testRecordingSettings(), testCaptureSettings());
        window_->TimerTip->stop();
        window_->show();
        QCoreApplication::processEvents();
        return *window_;
    }

    VirtualBackend card_;
};

TEST_F(LazyMixerPagesTest, TheWindowIsAsWideAtStartAsThePanelsBuiltLaterNeed) {
    TForm1 &w = open();
    ASSERT_FALSE(w.playbackPanelsBuilt());
    ASSERT_TRUE(SourcePanelsOf(w.TabSheet4).isEmpty());
    const int startWidth = w.width();
    EXPECT_GT(startWidth, 598);

    w.PlaybackVolumeControls1Click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.playbackPanelsBuilt());
    const QList<TsrcFrame *> panels = SourcePanelsOf(w.TabSheet4);
    ASSERT_EQ(panels.size(), 10);
    // Building them neither widened the window nor would have wanted it narrower.
    EXPECT_EQ(w.width(), startWidth);
    int widest = 0;
    for (TsrcFrame *panel : panels)
        widest = std::max(widest, panel->neededWidth());
    EXPECT_GT(widest, TsrcFrame::kWidth);  // the long name widened the row
    EXPECT_EQ(panels.first()->width(), widest);
    const int pitch = widest - (TsrcFrame::kWidth - source_panels::kPitch);
    EXPECT_EQ(startWidth,
              9 * pitch + source_panels::kWindowAllowance + (widest - TsrcFrame::kWidth));
    EXPECT_TRUE(panels.last()->isVisible());
}

TEST_F(LazyMixerPagesTest, PanelsBuiltLateShowTheLinesAsTheyAreThen) {
    TForm1 &w = open();
    // Moved elsewhere while nobody has seen the tab: the window follows without building it.
    card_.setLineVolume(Direction::Output, 0, 2, 40000);
    ASSERT_TRUE(
        waitUntil([&] { return card_.mixerLines(Direction::Output, 0)[2].volume == 40000; }, 1000));
    testsupport::spin(50);
    EXPECT_TRUE(SourcePanelsOf(w.TabSheet4).isEmpty());

    w.PlaybackVolumeControls1Click();
    QCoreApplication::processEvents();
    auto *panel = w.TabSheet4->findChild<TsrcFrame *>(QStringLiteral("sf2"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(65535 - panel->TrackBar1->value(), 40000);

    // From then on the panels follow changes as before.
    card_.setLineVolume(Direction::Output, 0, 2, 20000);
    EXPECT_TRUE(waitUntil([&] { return 65535 - panel->TrackBar1->value() == 20000; }, 1000));
}

}  // namespace
