// The current file and the list's rows without a window: which file is current after an
// open, a recording and a click; a rename that every name of the file follows; deletions.
#include "files/current_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

class CurrentFileTest : public ::testing::Test {
protected:
    // A file with some content in the folder, listed as a row.
    FileRow makeFile(const QString &name) {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name.toUtf8());
        return FileRow{name, QStringLiteral("1 KB"), QStringLiteral("00:01"), folder()};
    }
    QString folder() const { return dir_.path() + QLatin1Char('/'); }
    QString path(const QString &name) const { return dir_.filePath(name); }
    QStringList rowPaths() const {
        QStringList paths;
        for (const FileRow &row : files_.rows())
            paths << row.path();
        return paths;
    }

    QTemporaryDir dir_;
    CurrentFile files_;
};

}  // namespace

TEST_F(CurrentFileTest, TheFileSetLastIsCurrentAndAClickedRowAlwaysBecomesIt) {
    QSignalSpy changed(&files_, &CurrentFile::currentChanged);
    files_.append(makeFile(QStringLiteral("a.wav")), false);
    files_.append(makeFile(QStringLiteral("b.wav")), false);
    EXPECT_EQ(files_.selectedRow(), -1);
    EXPECT_TRUE(files_.selectedPath().isEmpty());

    // A click: the row is selected and its file current.
    EXPECT_FALSE(files_.isChosen(0));
    files_.select(0);
    files_.setCurrent(files_.selectedPath());
    EXPECT_TRUE(files_.isChosen(0));
    EXPECT_EQ(files_.tagTarget(), path(QStringLiteral("a.wav")));

    // An open makes another file current while the row stays selected: a click on that row
    // must make its file the tag editor's target again.
    files_.setCurrent(path(QStringLiteral("opened.mp3")));
    EXPECT_EQ(files_.selectedRow(), 0);
    EXPECT_FALSE(files_.isChosen(0));
    files_.setCurrent(files_.selectedPath());
    EXPECT_EQ(files_.tagTarget(), path(QStringLiteral("a.wav")));

    // A recording: the output file is current and its row, listed at the end, selected.
    files_.setOutput(path(QStringLiteral("Untitled1.wav")));
    files_.setCurrent(files_.output());
    files_.append(makeFile(QStringLiteral("Untitled1.wav")));
    EXPECT_TRUE(files_.isChosen(2));
    EXPECT_EQ(files_.playTarget(), path(QStringLiteral("Untitled1.wav")));

    // Setting the same file again is no change.
    files_.setCurrent(files_.output());
    EXPECT_EQ(changed.count(), 4);

    // With no row selected, Play plays the current file.
    files_.select(-1);
    files_.setCurrent(path(QStringLiteral("b.wav")));
    EXPECT_EQ(files_.playTarget(), path(QStringLiteral("b.wav")));
}

TEST_F(CurrentFileTest, RenameIsFollowedByEveryRowTheCurrentOutputAndPlayFile) {
    const QString a = path(QStringLiteral("a.mp3"));
    const QString b = path(QStringLiteral("b.mp3"));
    files_.append(makeFile(QStringLiteral("a.mp3")));
    files_.append(makeFile(QStringLiteral("b.mp3")));
    files_.append(FileRow{QStringLiteral("a.mp3"), {}, {}, folder()});
    files_.setCurrent(a);
    files_.setOutput(a);
    files_.setPlayFile(a);
    QSignalSpy renamed(&files_, &CurrentFile::fileRenamed);
    QSignalSpy current(&files_, &CurrentFile::currentChanged);
    QString currentWhenTold;
    QObject::connect(&files_, &CurrentFile::fileRenamed,
                     [this, &currentWhenTold] { currentWhenTold = files_.current(); });

    // The typed extension is dropped; the file keeps its own.
    ASSERT_EQ(files_.rename(2, QStringLiteral("take2.wav")), CurrentFile::RenameResult::Renamed);
    const QString take = path(QStringLiteral("take2.mp3"));
    EXPECT_TRUE(QFile::exists(take));
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(rowPaths(), QStringList({take, b, take}));
    EXPECT_EQ(files_.newName(), QStringLiteral("take2.mp3"));
    EXPECT_EQ(files_.current(), take);
    EXPECT_EQ(files_.output(), take);
    EXPECT_EQ(files_.playFile(), take);
    EXPECT_EQ(files_.selectedPath(), take);
    ASSERT_EQ(renamed.count(), 1);
    EXPECT_EQ(renamed[0][0].toString(), a);
    EXPECT_EQ(renamed[0][1].toString(), take);
    EXPECT_EQ(current.count(), 1);
    // Whoever hears of the rename (the tag editor's Apply) finds the file current already.
    EXPECT_EQ(currentWhenTold, take);

    // A name that is taken is refused: nothing on disk or in the list changes, and the other
    // file keeps its content.
    EXPECT_EQ(files_.rename(0, QStringLiteral("b")), CurrentFile::RenameResult::Refused);
    EXPECT_EQ(rowPaths(), QStringList({take, b, take}));
    QFile other(b);
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), QByteArray("b.mp3"));

    // A "/" would move the file elsewhere; the same name renames nothing.
    EXPECT_EQ(files_.rename(0, QStringLiteral("../up")), CurrentFile::RenameResult::BadName);
    EXPECT_EQ(files_.rename(0, QStringLiteral("take2")), CurrentFile::RenameResult::Unchanged);
    EXPECT_TRUE(QFile::exists(take));
    EXPECT_EQ(renamed.count(), 1);

    // A row whose file is gone cannot be renamed, and keeps its name.
    ASSERT_TRUE(QFile::remove(b));
    EXPECT_EQ(files_.rename(1, QStringLiteral("c")), CurrentFile::RenameResult::Refused);
    EXPECT_EQ(files_.rows()[1].path(), b);
}

TEST_F(CurrentFileTest, DeletingTheCurrentFileFromDiskRemovesEveryRowOfIt) {
    const QString a = path(QStringLiteral("a.wav"));
    const QString b = path(QStringLiteral("b.wav"));
    const QString c = path(QStringLiteral("c.wav"));
    files_.append(makeFile(QStringLiteral("a.wav")));
    files_.append(makeFile(QStringLiteral("b.wav")));
    files_.append(FileRow{QStringLiteral("a.wav"), {}, {}, folder()});
    files_.append(makeFile(QStringLiteral("c.wav")), false);
    files_.select(2);
    files_.setCurrent(a);
    QSignalSpy rows(&files_, &CurrentFile::rowsChanged);

    QString error;
    ASSERT_TRUE(files_.deleteFromDisk(2, &error)) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(rowPaths(), QStringList({b, c}));
    EXPECT_EQ(files_.selectedRow(), -1);
    EXPECT_EQ(rows.count(), 1);
    // The window still stands for the file, which Apply can no longer write into.
    EXPECT_EQ(files_.current(), a);

    // A selection after the deleted rows moves up with its row.
    files_.append(FileRow{QStringLiteral("a.wav"), {}, {}, folder()}, false);
    files_.select(1);
    files_.setCurrent(c);
    // A file gone already counts as deleted.
    ASSERT_TRUE(files_.deleteFromDisk(2, &error));
    EXPECT_EQ(rowPaths(), QStringList({b, c}));
    EXPECT_EQ(files_.selectedPath(), c);

    // Removing a row from the list leaves the file on disk.
    files_.remove(0);
    EXPECT_TRUE(QFile::exists(b));
    EXPECT_EQ(rowPaths(), QStringList({c}));
    EXPECT_EQ(files_.selectedPath(), c);
    files_.remove(0);
    EXPECT_EQ(files_.selectedRow(), -1);
}

TEST_F(CurrentFileTest, ADeletionTheSystemRefusesKeepsTheRowAndSaysWhy) {
    // Something that cannot be unlinked, also for the superuser: a folder.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("x.wav")));
    files_.append(FileRow{QStringLiteral("x.wav"), {}, {}, folder()});
    QString error;
    EXPECT_FALSE(files_.deleteFromDisk(0, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(files_.rows().size(), 1);
    EXPECT_EQ(files_.selectedRow(), 0);

    // A NUL would cut the name short, and delete another file than the row names.
    files_.append(makeFile(QStringLiteral("y")));
    files_.append(
        FileRow{QStringLiteral("y") + QChar(0) + QStringLiteral(".wav"), {}, {}, folder()});
    EXPECT_FALSE(files_.deleteFromDisk(2, &error));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("y"))));
}
