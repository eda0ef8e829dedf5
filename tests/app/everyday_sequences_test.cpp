// Ordinary sequences of a working day through the whole window on the virtual card, driven
// as a user's clicks and keys reach the widgets: recordings listed and clicked, tags typed
// and applied, a rename, the mute switch, and an Open of a file that does not decode. Each
// step checks what the user sees and what landed in the files.
#include "audio/audio_information2.h"
#include "audio/audio_player2.h"
#include "audio/devices/virtual_backend.h"
#include "files/rename_form.h"
#include "mixer/source_panels.h"
#include "mixer/src_frame.h"
#include "playback/playback_session.h"
#include "tests/support/window_fixture.h"
#include "widgets/nct_play_button_b2.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using testsupport::waitUntil;

// Failures print paths and titles as text.
void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

constexpr char kFlacIni[] = "[options]\nsaveformat=.flac\n[tips]\nshowtip=0\n";

// The title stored in the file itself.
QString titleInFile(const QString &path) {
    TAudioInformation2 info;
    if (!info.GetAudioInformation(path))
        return QStringLiteral("<unreadable: %1>").arg(info.LastErrorText());
    return info.infoTitle();
}

}  // namespace

class EverydaySequences : public WindowFixture {
protected:
    TForm1 &open() {
        writeIni(kFlacIni);
        return openWindow(card_);
    }

    void clickBar(int code) {
        TNCTPlayButtonB2 *bar = window_->NCTPlayButtonB1;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(code).center());
    }

    // Record until the clock shows a moment of sound; the caller stops.
    void startRecording() {
        clickBar(TNCTPlayButtonB2::kRecord);
        ASSERT_TRUE(
            waitUntil([&] { return window_->flgRecord && shownMilliseconds(*window_) >= 300; }));
    }

    void stopRecording() {
        const int rows = window_->ListView1()->topLevelItemCount();
        clickBar(TNCTPlayButtonB2::kStop);
        ASSERT_TRUE(waitUntil([&] {
            return !window_->flgRecord && window_->ListView1()->topLevelItemCount() == rows + 1;
        }));
    }

    void record() {
        startRecording();
        stopRecording();
    }

    QTreeWidgetItem *row(int index) const { return window_->ListView1()->topLevelItem(index); }
    static QString pathOf(const QTreeWidgetItem *item) { return item->text(3) + item->text(0); }

    void clickRow(int index) {
        QTreeWidget *list = window_->ListView1();
        const QRect rect = list->visualItemRect(row(index));
        ASSERT_TRUE(rect.isValid());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void typeTitleAndApply(const QString &title) {
        QLineEdit *field = window_->infoTitle();
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, title);
        ASSERT_TRUE(window_->btnApply()->isEnabled());
        QTest::mouseClick(window_->btnApply(), Qt::LeftButton);
    }

    // Picks `path` in the Open dialog as a user does: types it and presses Enter. An empty
    // path cancels the dialog.
    void openThroughDialog(const QString &path) {
        auto *timer = new QTimer(window_.get());
        QObject::connect(timer, &QTimer::timeout, [timer, path] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            if (path.isEmpty()) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            // Pasted, so that no completion list opens over the dialog.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setFocus();
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        });
        timer->start(10);
        QTest::mouseClick(window_->ToolBtnOpen, Qt::LeftButton);
        delete timer;
    }

    VirtualBackend card_;
};

// Record A, click its row, record B, click A's row, tag it: the tag is A's alone. The row
// of a new recording is the highlighted one, and Play of the list plays it.
TEST_F(EverydaySequences, TagsLandInTheFileWhoseRowWasClicked) {
    TForm1 &w = open();
    answerMessageBoxes(QMessageBox::Ok);
    record();
    clickRow(0);
    record();
    const QString a = pathOf(row(0)), b = pathOf(row(1));
    EXPECT_EQ(w.statusPanel(1), b);
    EXPECT_EQ(w.ListView1()->currentItem(), row(1)) << "the list highlights the new recording";
    EXPECT_TRUE(row(1)->isSelected());
    EXPECT_FALSE(row(0)->isSelected());

    clickRow(0);
    EXPECT_EQ(w.statusPanel(1), a);
    typeTitleAndApply(QStringLiteral("Morning take"));
    EXPECT_EQ(titleInFile(a), QStringLiteral("Morning take"));
    EXPECT_EQ(titleInFile(b), QString());

    // Record C: its row is the highlighted one, and Play of the list plays it.
    record();
    const QString c = pathOf(row(2));
    EXPECT_TRUE(row(2)->isSelected());
    clickBar(TNCTPlayButtonB2::kPlay);
    ASSERT_TRUE(w.flgPlay);
    EXPECT_EQ(w.playbackSession().fileName(), c);
    clickBar(TNCTPlayButtonB2::kStop);
    EXPECT_FALSE(w.flgPlay);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
}

// The highlighted row is not always the current file (a recording under way): a click on
// it, or Enter, makes it current again.
TEST_F(EverydaySequences, AClickOrEnterOnTheHighlightedRowMakesItsFileCurrent) {
    TForm1 &w = open();
    answerMessageBoxes(QMessageBox::Ok);
    record();
    clickRow(0);
    const QString a = pathOf(row(0));

    startRecording();  // B: the status bar and the tag editor now describe B
    ASSERT_TRUE(row(0)->isSelected());
    ASSERT_NE(w.statusPanel(1), a);
    clickRow(0);
    EXPECT_EQ(w.statusPanel(1), a);
    EXPECT_EQ(w.currentFileName(), a);
    typeTitleAndApply(QStringLiteral("Tagged while B records"));
    stopRecording();
    const QString b = pathOf(row(1));
    EXPECT_EQ(titleInFile(a), QStringLiteral("Tagged while B records"));
    EXPECT_EQ(titleInFile(b), QString());

    // A cancelled Open keeps the current file. While C records, Enter on the highlighted row
    // makes B current again.
    openThroughDialog(QString());
    ASSERT_EQ(w.currentFileName(), b);
    startRecording();
    ASSERT_NE(w.currentFileName(), b);
    ASSERT_TRUE(row(1)->isSelected());
    w.ListView1()->setFocus();
    QTest::keyClick(w.ListView1(), Qt::Key_Return);
    EXPECT_EQ(w.currentFileName(), b);
    EXPECT_EQ(w.statusPanel(1), b);
    typeTitleAndApply(QStringLiteral("Afternoon take"));
    stopRecording();
    EXPECT_EQ(titleInFile(b), QStringLiteral("Afternoon take"));
    EXPECT_EQ(titleInFile(a), QStringLiteral("Tagged while B records"));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
}

// A rename carries the current file, the status bar and every row of that file along, so
// tags typed afterwards are written into the renamed file.
TEST_F(EverydaySequences, TagsCanBeAppliedAfterARename) {
    TForm1 &w = open();
    TRenameForm renameForm(&w);
    w.setRenameForm(&renameForm);
    answerMessageBoxes(QMessageBox::Ok);
    record();
    const QString old = pathOf(row(0));
    openThroughDialog(old);  // the same file listed twice
    ASSERT_EQ(w.ListView1()->topLevelItemCount(), 2);
    clickRow(0);

    QTimer::singleShot(0, &renameForm, [&] {
        QTest::keyClicks(renameForm.Edit1, QStringLiteral("Take"));
        QTest::mouseClick(renameForm.BtnOK, Qt::LeftButton);
    });
    w.Rename1()->trigger();
    const QString renamed = recordingDir() + QStringLiteral("Take.flac");
    ASSERT_TRUE(QFile::exists(renamed));
    EXPECT_EQ(row(0)->text(0), QStringLiteral("Take.flac"));
    EXPECT_EQ(row(1)->text(0), QStringLiteral("Take.flac")) << "both rows name one file";
    EXPECT_EQ(w.currentFileName(), renamed);
    EXPECT_EQ(w.statusPanel(1), renamed);

    typeTitleAndApply(QStringLiteral("Renamed take"));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
    EXPECT_EQ(titleInFile(renamed), QStringLiteral("Renamed take"));

    // The other row of the file loads what the file now holds.
    clickRow(1);
    EXPECT_EQ(w.infoTitle()->text(), QStringLiteral("Renamed take"));
}

// The mute switch of the transport bar, its look and the line it switches are one line:
// the device's main line, whoever changes it.
TEST_F(EverydaySequences, MuteSwitchesAndShowsTheMainOutputLine) {
    const int speakers = card_.defaultDevice(Direction::Output);
    card_.setLineMute(Direction::Output, speakers, 0, true);
    TForm1 &w = open();
    showMixerTabs(w);
    TNCTPlayButtonB2 *bar = w.NCTPlayButtonB1;
    EXPECT_TRUE(bar->Mute()) << "the main line is muted at start";
    const QList<TsrcFrame *> panels = SourcePanelsOf(w.TabSheet4);
    ASSERT_GE(panels.size(), 2);
    QCheckBox *mainMute = panels[0]->CheckBox1;
    auto lineMuted = [&](int line) {
        return card_.mixerLines(Direction::Output, speakers)[line].mute;
    };

    clickBar(TNCTPlayButtonB2::kMute);
    ASSERT_TRUE(waitUntil([&] { return !mainMute->isChecked(); }));
    EXPECT_FALSE(lineMuted(0));
    EXPECT_FALSE(bar->Mute());

    clickBar(TNCTPlayButtonB2::kMute);
    ASSERT_TRUE(waitUntil([&] { return mainMute->isChecked(); }));
    EXPECT_TRUE(lineMuted(0));
    EXPECT_TRUE(bar->Mute()) << "the follow-up keeps the muted look";
    EXPECT_FALSE(lineMuted(1));

    clickBar(TNCTPlayButtonB2::kMute);
    ASSERT_TRUE(waitUntil([&] { return !mainMute->isChecked(); }));
    EXPECT_FALSE(bar->Mute());

    // The mixer tab's switch of the main line, and another program, show on the bar.
    w.PlaybackVolumeControls1->trigger();
    QTest::mouseClick(mainMute, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return bar->Mute(); }));
    card_.setLineMute(Direction::Output, speakers, 0, false);
    ASSERT_TRUE(waitUntil([&] { return !bar->Mute(); }));

    // Another line's mute is not the bar's.
    card_.setLineMute(Direction::Output, speakers, 1, true);
    ASSERT_TRUE(waitUntil([&] { return panels[1]->CheckBox1->isChecked(); }));
    EXPECT_FALSE(bar->Mute());
}

// A file that does not decode is opened silently, but the status bar names it, with no
// format, instead of the file shown before.
TEST_F(EverydaySequences, AnUndecodableFileOpenedShowsInTheStatusBar) {
    TForm1 &w = open();
    answerMessageBoxes(QMessageBox::Ok);
    record();
    ASSERT_FALSE(w.statusPanel(2).isEmpty());

    const QString empty = dir_.filePath(QStringLiteral("empty.mp3"));
    QFile(empty).open(QIODevice::WriteOnly);
    // An ID3v2 tag holding only padding, and no sound after it.
    const QString tagOnly = dir_.filePath(QStringLiteral("tag only.mp3"));
    {
        QFile f(tagOnly);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("ID3\x04\x00\x00\x00\x00\x08\x00", 10));
        f.write(QByteArray(1024, '\0'));
    }
    for (const QString &path : {empty, tagOnly}) {
        SCOPED_TRACE(path.toStdString());
        const int rows = w.ListView1()->topLevelItemCount();
        openThroughDialog(path);
        EXPECT_EQ(w.ListView1()->topLevelItemCount(), rows + 1);
        EXPECT_EQ(w.statusPanel(1), path);
        EXPECT_EQ(w.statusPanel(2), QString());
        EXPECT_EQ(w.currentFileName(), path);
    }
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
}

// A cancelled Open changes nothing: Apply still writes into the file shown. Deleting that
// file from the disk turns Apply off, as there is nothing left to write into.
TEST_F(EverydaySequences, ACancelledOpenOrADeletedFileLeavesNoApplyIntoNothing) {
    TForm1 &w = open();
    answerMessageBoxes(QMessageBox::Yes);
    record();
    const QString a = pathOf(row(0));
    openThroughDialog(QString());
    EXPECT_EQ(w.currentFileName(), a);
    typeTitleAndApply(QStringLiteral("Kept"));
    EXPECT_EQ(titleInFile(a), QStringLiteral("Kept"));

    clickRow(0);
    w.Delete1()->trigger();  // the question is answered Yes
    ASSERT_FALSE(QFile::exists(a));
    EXPECT_FALSE(w.btnApply()->isEnabled());
}
