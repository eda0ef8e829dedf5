// Files dropped on the window from a file manager open as File > Open opens them: a row each,
// the last one current with its tags shown, also when a name is not valid UTF-8 (the Open
// dialog cannot list such a name, so this is the way in for it). A file that cannot be opened
// says so and the others still open; nothing is taken while a recording runs.
#include "audio/audio_information2.h"
#include "tests/support/window_fixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <cstdio>

namespace {

constexpr int kFrames = 44100;

class FilesInTest : public WindowFixture {
protected:
    // The temporary folder cannot remove a name Qt does not decode: the test does.
    void TearDown() override {
        WindowFixture::TearDown();
        for (const QByteArray &name : made_)
            std::remove(name.constData());
    }

    // One second of tone titled `title`, at the raw file-system name `nativeName`.
    QByteArray makeTitledWav(const QByteArray &nativeName, const QString &title) {
        const QString made = dir_.filePath(QStringLiteral("made.wav"));
        writeSineWav(made, 440, double(kFrames) / 44100);
        TAudioInformation2 info;
        EXPECT_TRUE(info.GetAudioInformation(made));
        info.setInfoTitle(title);
        EXPECT_TRUE(info.SetAudioInformation(made)) << qPrintable(info.LastErrorText());
        const QByteArray target = QFile::encodeName(dir_.path()) + '/' + nativeName;
        EXPECT_EQ(std::rename(QFile::encodeName(made).constData(), target.constData()), 0);
        made_ << target;
        return target;
    }

    // The address a file manager puts on the clipboard for a name: its bytes, percent-encoded.
    static QUrl fileUrl(const QByteArray &nativePath) {
        return QUrl::fromEncoded("file://" + nativePath.toPercentEncoding("/"));
    }

    // Drags `urls` over the window, with Shift held, which proposes a move; whether the
    // window would take them.
    static bool dragOver(TForm1 &w, const QList<QUrl> &urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                              &data, Qt::LeftButton, Qt::ShiftModifier);
        enter.setAccepted(false);
        EXPECT_EQ(enter.proposedAction(), Qt::MoveAction);
        QApplication::sendEvent(&w, &enter);
        // Taken as a copy whatever was proposed: a file manager told "moved" would delete the
        // file.
        return enter.isAccepted() && enter.dropAction() == Qt::CopyAction && w.acceptDrops();
    }

    // Drags `urls` over the window and lets go.
    static void drop(TForm1 &w, const QList<QUrl> &urls) {
        dragOver(w, urls);
        QMimeData data;
        data.setUrls(urls);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&w, &event);
    }

    QString rowPath(int i) const {
        const QTreeWidgetItem *row = window_->ListView1()->topLevelItem(i);
        return row->text(3) + row->text(0);
    }

    QList<QByteArray> made_;
};

TEST_F(FilesInTest, DroppedFilesOpenOneRowEachTheLastCurrentAlsoWithALatin1Name) {
    const QByteArray plain = makeTitledWav("plain.wav", QStringLiteral("First take"));
    const QByteArray latin1 = makeTitledWav("caf\xe9 d\xe9j\xe0.wav", QStringLiteral("Caf\u00e9"));
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    const QList<QUrl> urls{fileUrl(plain), fileUrl(latin1)};
    ASSERT_TRUE(dragOver(w, urls)) << "the window refuses files dragged over it";
    drop(w, urls);

    ASSERT_TRUE(testsupport::waitUntil([&] { return w.ListView1()->topLevelItemCount() == 2; }))
        << qPrintable(listedFiles().join(u','));
    EXPECT_TRUE(messages_.isEmpty()) << qPrintable(messages_.join(u'\n'));
    EXPECT_EQ(rowPath(0), QFile::decodeName(plain));
    EXPECT_EQ(w.ListView1()->currentItem(), w.ListView1()->topLevelItem(1));
    // The row and the current file name the Latin-1 file as the program shows such names, and
    // that finds the file itself: its tags, length and format are shown.
    EXPECT_EQ(rowPath(1), QFile::decodeName(latin1));
    EXPECT_EQ(w.currentFileName(), QFile::decodeName(latin1));
    EXPECT_EQ(w.infoTitle()->text(), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(w.mSamples, kFrames);
    EXPECT_EQ(w.ListView1()->topLevelItem(1)->text(2), QStringLiteral("00:01"));
    EXPECT_FALSE(w.statusPanel(2).isEmpty());
    EXPECT_TRUE(w.btnApply()->isEnabled());

    // The first row is a file like any other: chosen, its own tags come back.
    w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(0));
    EXPECT_EQ(w.infoTitle()->text(), QStringLiteral("First take"));
}

TEST_F(FilesInTest, AFileThatCannotBeOpenedSaysSoAndTheOthersStillOpen) {
    const QByteArray take = makeTitledWav("take.wav", QStringLiteral("Take"));
    const QByteArray gone = QFile::encodeName(dir_.path()) + "/gone.wav";
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    drop(w, {fileUrl(gone), fileUrl(take)});
    ASSERT_TRUE(testsupport::waitUntil([&] { return !listedFiles().isEmpty(); }))
        << qPrintable(messages_.join(u'\n')) << qPrintable(w.currentFileName());
    EXPECT_EQ(messages_.size(), 1) << "File > Open's message for a file that is not there";
    ASSERT_EQ(listedFiles(), QStringList{QStringLiteral("take.wav")});
    EXPECT_EQ(w.infoTitle()->text(), QStringLiteral("Take"));
}

TEST_F(FilesInTest, OnlyLocalFilesAreTakenAndNoneWhileRecording) {
    const QByteArray take = makeTitledWav("take.wav", QStringLiteral("Take"));
    TForm1 &w = openWindow();
    EXPECT_FALSE(dragOver(w, {QUrl(QStringLiteral("https://example.org/song.mp3"))}));
    EXPECT_TRUE(dragOver(w, {fileUrl(take)}));

    // File > Open is off while a recording runs, and so are drops.
    w.Record1Click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.flgRecord; }));
    EXPECT_FALSE(dragOver(w, {fileUrl(take)}));
    drop(w, {fileUrl(take)});
    w.Stop1Click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !w.flgRecord; }));
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.mp3")});
}

}  // namespace
