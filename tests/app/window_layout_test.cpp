// The main window at its first size in the desktop font: every caption shows whole and clear
// of its neighbours, the status panels keep to their own room, and the tag editor's keys
// and messages.
#include "audio/audio_file2.h"
#include "tests/support/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

// The width a caption needs to show its whole text.
int neededWidth(QWidget *w) {
    if (auto *label = qobject_cast<QLabel *>(w)) {
        const QMargins m = label->contentsMargins();
        return label->fontMetrics().horizontalAdvance(label->text()) + m.left() + m.right() +
               2 * label->margin();
    }
    if (qobject_cast<QGroupBox *>(w))
        return w->minimumSizeHint().width();  // its title and what is inside
    return w->sizeHint().width();             // check boxes and radio buttons
}

QString caption(QWidget *w) {
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    return QString::fromLatin1(w->metaObject()->className());
}

// Every visible caption on `page` (or only those placed on it directly) is as wide as its
// text and keeps a gap to the controls beside it.
void expectCaptionsWhole(QWidget *page, Qt::FindChildOptions which = Qt::FindChildrenRecursively) {
    constexpr int kGap = 2;
    for (QWidget *w : page->findChildren<QWidget *>(QString(), which)) {
        const bool isCaption = qobject_cast<QLabel *>(w) || qobject_cast<QRadioButton *>(w) ||
                               qobject_cast<QCheckBox *>(w) || qobject_cast<QGroupBox *>(w);
        if (!isCaption || !w->isVisible() || caption(w).isEmpty())
            continue;
        EXPECT_GE(w->width(), neededWidth(w)) << caption(w).toStdString();
        const QRect room = w->geometry().adjusted(0, 0, kGap, 0);
        for (QWidget *other :
             w->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            // Only what stands beside the caption, on its row.
            const int middle = other->geometry().center().y();
            if (other == w || !other->isVisible() || middle < w->y() ||
                middle > w->geometry().bottom())
                continue;
            EXPECT_FALSE(room.intersects(other->geometry()))
                << caption(w).toStdString() << " runs into " << caption(other).toStdString();
        }
    }
}

QString writeWav(const QString &path, bool mp3 = false) {
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

class WindowLayoutTest : public WindowFixture {};

TEST_F(WindowLayoutTest, EveryCaptionShowsWholeAtTheFirstSize) {
    TForm1 &w = openWindow();
    ASSERT_EQ(w.size(), QSize(598, 428));
    for (int i = 0; i < w.PageControl1->count(); ++i) {
        SCOPED_TRACE(w.PageControl1->tabText(i).toStdString());
        w.PageControl1->setCurrentIndex(i);
        QCoreApplication::processEvents();
        expectCaptionsWhole(w.PageControl1->widget(i));
    }
    // The lists whose entries are short enough to show whole.
    for (QComboBox *combo : {w.ComboBox1, w.ComboBox2, w.DeviceCombo, w.DeviceComboIn})
        EXPECT_GE(combo->width(), combo->sizeHint().width()) << combo->currentText().toStdString();
}

TEST_F(WindowLayoutTest, AStatusPathFitsItsPanelAndTheWholePathIsItsTooltip) {
    QString folder = dir_.path();
    for (const char *part : {"recordings of the long winter", "december sessions", "takes"})
        folder += QLatin1Char('/') + QString::fromLatin1(part);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = writeWav(folder + QStringLiteral("/Untitled1.wav"));

    TForm1 &w = openWindow();
    w.setCurrentFileName(path);
    w.OpenFile();
    const auto *panel1 = w.statusBar()->findChild<QLabel *>(QStringLiteral("StatusPanel1"));
    const auto *panel2 = w.statusBar()->findChild<QLabel *>(QStringLiteral("StatusPanel2"));
    ASSERT_TRUE(panel1 && panel2);
    ASSERT_FALSE(panel2->text().isEmpty());

    EXPECT_EQ(w.statusPanel(1), path);
    EXPECT_EQ(panel1->toolTip(), path);
    EXPECT_TRUE(panel1->text().endsWith(QStringLiteral("/Untitled1.wav")));
    EXPECT_LE(panel1->fontMetrics().horizontalAdvance(panel1->text()),
              panel1->contentsRect().width());
    EXPECT_LT(panel1->geometry().right(), panel2->geometry().left());
    EXPECT_LE(panel2->fontMetrics().horizontalAdvance(panel2->text()),
              panel2->contentsRect().width());
    EXPECT_LE(panel2->geometry().right(), w.statusBar()->width());

    // A file name too long for the panel on its own is shortened in the middle.
    const QString longName = QStringLiteral("/tmp/") + QString(80, QLatin1Char('a')) +
                             QString(80, QLatin1Char('z')) + QStringLiteral(".mp3");
    w.setStatusPanel(1, longName);
    EXPECT_EQ(w.statusPanel(1), longName);
    EXPECT_EQ(panel1->toolTip(), longName);
    EXPECT_TRUE(panel1->text().startsWith(QStringLiteral("/tmp/aaa")));
    EXPECT_TRUE(panel1->text().endsWith(QStringLiteral("zzz.mp3")));
    EXPECT_LE(panel1->fontMetrics().horizontalAdvance(panel1->text()),
              panel1->contentsRect().width());

    // A short one shows as it is; a long message (not a path) is cut at its end.
    w.setStatusPanel(1, QStringLiteral("/tmp/a.wav"));
    EXPECT_EQ(panel1->text(), QStringLiteral("/tmp/a.wav"));
    const QString message = QStringLiteral("No sound server was found / ") + QString(80, 'x');
    w.setStatusPanel(1, message);
    EXPECT_TRUE(panel1->text().startsWith(QStringLiteral("No sound server was found / x")));
    EXPECT_EQ(panel1->toolTip(), message);
}

TEST_F(WindowLayoutTest, TabGoesThroughTheTagFieldsThenTheButtonsAndTheList) {
    const QString path = writeWav(dir_.filePath(QStringLiteral("tags.wav")));
    TForm1 &w = openWindow();
    w.setCurrentFileName(path);
    w.OpenFile();  // enables Reset and Apply
    w.FileInfo1Click();
    QCoreApplication::processEvents();
    w.infoTitle()->setFocus();
    ASSERT_EQ(w.focusWidget(), w.infoTitle());

    const std::vector<QWidget *> expected = {w.infoTitle(), w.infoArtist(),    w.infoAlbum(),
                                             w.infoGenre(), w.infoCopyright(), w.infoYear(),
                                             w.infoTrack(), w.infoComment(),   w.infoMTV(),
                                             w.btnReset(),  w.btnApply(),      w.ListView1()};
    std::vector<QWidget *> visited;
    for (int i = 0; i < 14 && visited.size() < expected.size(); ++i) {
        QWidget *focused = w.focusWidget();
        // Either button of the tag-version group stands for the group.
        if (focused == w.infoMTVv1() || focused == w.infoMTVv2())
            focused = w.infoMTV();
        if (visited.empty() || visited.back() != focused)
            visited.push_back(focused);
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(w.focusWidget(), &tab);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(WindowLayoutTest, InvalidYearAndTrackAreShownInAPlainBox) {
    const QString path = writeWav(dir_.filePath(QStringLiteral("tags.wav")));
    TForm1 &w = openWindow();
    w.setCurrentFileName(path);
    w.OpenFile();

    QStringList texts;
    QList<QMessageBox::Icon> icons;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            texts << box->text();
            icons << box->icon();
            box->accept();
        }
    });
    watcher.start(20);

    w.infoYear()->setText(QStringLiteral("20O3"));
    w.btnApplyClick();
    w.infoYear()->setText(QStringLiteral("2003"));
    w.infoTrack()->setText(QStringLiteral("x"));
    w.btnApplyClick();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Invalid Year Value"),
                                  QStringLiteral("Invalid Track Value")}));
    EXPECT_EQ(icons, (QList<QMessageBox::Icon>{QMessageBox::NoIcon, QMessageBox::NoIcon}));
    EXPECT_EQ(w.focusWidget(), w.infoTrack());
}

TEST_F(WindowLayoutTest, TextAnId3v1TagCannotHoldIsNamedAfterApply) {
    const QString path = writeWav(dir_.filePath(QStringLiteral("v1.mp3")), true);
    TForm1 &w = openWindow();
    w.setCurrentFileName(path);
    w.OpenFile();
    w.infoMTVv1()->click();

    QStringList texts;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    });
    watcher.start(20);

    w.infoTitle()->setText(QStringLiteral("Ærøskøbing — 東京"));
    w.infoYear()->setText(QStringLiteral("2003"));
    w.infoTrack()->setText(QStringLiteral("1"));
    w.btnApplyClick();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Title: \"Ærøskøbing ? ??\"")))
        << texts[0].toStdString();

    w.infoTitle()->setText(QStringLiteral("Ærøskøbing"));
    w.btnApplyClick();
    EXPECT_EQ(texts.size(), 1) << "text ID3v1 holds is written without a word";
    w.btnResetClick();
    EXPECT_EQ(w.infoTitle()->text(), QStringLiteral("Ærøskøbing"));
}

TEST_F(WindowLayoutTest, CaptionsMakeRoomForALargerDesktopFont) {
    const QFont desktop = QApplication::font();
    QFont large = desktop;
    large.setPointSizeF(desktop.pointSizeF() * 1.3);
    QApplication::setFont(large);
    TForm1 &w = openWindow();
    for (int i = 0; i < w.PageControl1->count(); ++i) {
        SCOPED_TRACE(w.PageControl1->tabText(i).toStdString());
        w.PageControl1->setCurrentIndex(i);
        QCoreApplication::processEvents();
        // The mixer tabs' device rows; their source panels have a fixed size.
        const bool mixerTab = i == 1 || i == 2;
        expectCaptionsWhole(w.PageControl1->widget(i),
                            mixerTab ? Qt::FindDirectChildrenOnly : Qt::FindChildrenRecursively);
    }
    QApplication::setFont(desktop);
}
