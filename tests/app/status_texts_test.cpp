// The status bar's texts at the window's first size, in English and German: the format of the
// current file shows whole beside the path, with the time left on the disk taking what is
// left; a text too long for its panel keeps its whole as tooltip and accessible description;
// the note about a removed device names the device now used where it can be read.
#include "app/capture_status.h"
#include "app/status_panel.h"
#include "app/ui_language.h"
#include "audio/devices/virtual_backend.h"
#include "tests/support/window_fixture.h"

#include <QComboBox>
#include <QStatusBar>
#include <QTranslator>

#include <atomic>
#include <memory>

using testsupport::waitUntil;

namespace {

StatusPanel *panelNamed(TForm1 &w, const QString &name) {
    return w.statusBar()->findChild<StatusPanel *>(name);
}

QString writeSilence(const QString &path, bool mp3) {
    TAudioFile2 file;
    if (mp3)
        file.SetFormatMP3(44100, 128, 2);
    else
        file.SetFormatPCM(44100, 2, 16);
    file.CreateFile(path, 0);
    file.WriteFile(SampleArray(2, std::vector<int16_t>(44100 * 2, 0)));
    file.CloseFile();
    return path;
}

}  // namespace

class StatusTextsTest : public WindowFixture {
protected:
    void TearDown() override {
        WindowFixture::TearDown();
        QLocale::setDefault(QLocale::system());
        for (QTranslator *t : qApp->findChildren<QTranslator *>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }

    void speakGerman() {
        const QString dir = dir_.path() + QStringLiteral("/translations");
        ASSERT_TRUE(QDir().mkpath(dir));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANTA_QM_DIR "/korvanta_de.qm"),
                                dir + QStringLiteral("/korvanta_de.qm")));
        ASSERT_TRUE(InstallTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    // A large disk: the time left is a long text, as on a desktop with terabytes free.
    void pretendLargeDisk(TForm1 &w) {
        w.captureStatus().probe().setQuery(
            [](const QString &) -> int64_t { return int64_t(2) * 1000 * 1000 * 1000 * 1000; });
        w.SetFormat();
        const StatusPanel *left = panelNamed(w, QStringLiteral("CaptureStatusPanel"));
        ASSERT_TRUE(waitUntil([&] { return !left->fullText().isEmpty(); }));
    }

    // The format panel shows its whole text, right of the path and left of the time left.
    void expectFormatWhole(TForm1 &w, const QString &file) {
        SCOPED_TRACE(file.toStdString());
        w.setCurrentFileName(file);
        w.OpenFile();
        QCoreApplication::processEvents();
        const StatusPanel *path = panelNamed(w, QStringLiteral("StatusPanel1"));
        const StatusPanel *format = panelNamed(w, QStringLiteral("StatusPanel2"));
        const StatusPanel *left = panelNamed(w, QStringLiteral("CaptureStatusPanel"));
        ASSERT_FALSE(w.statusPanel(2).isEmpty());
        EXPECT_EQ(format->text(), w.statusPanel(2)) << "width " << format->width();
        EXPECT_LT(path->geometry().right(), format->geometry().left());
        if (left->isVisible() && left->width() > 0) {
            EXPECT_LE(format->geometry().right(), left->geometry().left());
        }
        EXPECT_LE(left->geometry().right(), w.statusBar()->width());
    }

    void formatShowsWholeAtTheFirstSize() {
        writeIni("[options]\nsaveformat=.wav\n");
        TForm1 &w = openWindow();
        ASSERT_EQ(w.size(), QSize(598, 428));
        pretendLargeDisk(w);
        expectFormatWhole(w, writeSilence(dir_.filePath(QStringLiteral("pcm.wav")), false));
        expectFormatWhole(w, writeSilence(dir_.filePath(QStringLiteral("take.mp3")), true));
        // The time left shows what fits of it, and its whole text on demand.
        const StatusPanel *left = panelNamed(w, QStringLiteral("CaptureStatusPanel"));
        if (left->text() != left->fullText()) {
            EXPECT_EQ(left->toolTip(), left->fullText());
        }
    }
};

TEST_F(StatusTextsTest, TheFormatShowsWholeAtTheFirstSize) {
    formatShowsWholeAtTheFirstSize();
}

TEST_F(StatusTextsTest, TheFormatShowsWholeAtTheFirstSizeInGerman) {
    speakGerman();
    formatShowsWholeAtTheFirstSize();
}

TEST_F(StatusTextsTest, AShortenedTextIsWholeInItsTooltipAndAccessibleDescription) {
    TForm1 &w = openWindow();
    const QString message = QStringLiteral("The output folder is on a disk that went away; ") +
                            QStringLiteral("recordings go to the home folder until it is back.");
    for (int index : {1, 2}) {
        SCOPED_TRACE(index);
        const StatusPanel *panel = panelNamed(w, QStringLiteral("StatusPanel%1").arg(index));
        w.setStatusPanel(index, message);
        ASSERT_NE(panel->text(), message) << "the text must be too long for the panel";
        EXPECT_EQ(panel->toolTip(), message);
        EXPECT_EQ(panel->accessibleDescription(), message);
        // A text that fits needs neither.
        w.setStatusPanel(index, QStringLiteral("Stop"));
        EXPECT_EQ(panel->text(), QStringLiteral("Stop"));
        EXPECT_TRUE(panel->toolTip().isEmpty());
        EXPECT_TRUE(panel->accessibleDescription().isEmpty());
    }
}

TEST_F(StatusTextsTest, ARemovedDeviceNoteNamesTheDeviceNowUsedWhereItCanBeRead) {
    VirtualBackend card;
    writeIni("[tips]\nshowtip=0\n");
    TForm1 &w = openWindow(card);
    showMixerTabs(w);
    const QString removed = QStringLiteral("USB Audio Device Analog Stereo");
    const int device = card.plugDevice(Direction::Input, removed);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 2; }));
    w.DeviceComboIn->setCurrentIndex(w.DeviceComboIn->findText(removed));
    Q_EMIT w.DeviceComboIn->activated(w.DeviceComboIn->currentIndex());

    card.unplugDevice(Direction::Input, device);
    ASSERT_TRUE(waitUntil([&] { return w.DeviceComboIn->count() == 1; }));
    const QString whole = QStringLiteral("The input device \"%1\" was removed; using \"%2\".")
                              .arg(removed, QStringLiteral("Virtual Microphone"));
    EXPECT_EQ(w.statusPanel(1), whole);
    const StatusPanel *panel = panelNamed(w, QStringLiteral("StatusPanel1"));
    EXPECT_TRUE(panel->text().contains(QStringLiteral("\"Virtual Microphone\"")))
        << panel->text().toStdString();
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width());
    EXPECT_EQ(panel->toolTip(), whole);
    EXPECT_EQ(panel->accessibleDescription(), whole);
}
