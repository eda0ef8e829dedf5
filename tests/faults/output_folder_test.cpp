// The output folder failing the recording: one that can't take new files, and one deleted
// while a recording runs.
#include "tests/support/test_settings.h"
#include "tests/support/window_fixture.h"

#include <QAction>
#include <QToolButton>

#include <unistd.h>

using testsupport::spin;
using testsupport::waitUntil;

class OutputFolderTest : public WindowFixture {
protected:
    // A folder that exists but refuses new files, even to root.
    QString unwritableFolder() {
        if (::geteuid() == 0)
            return QStringLiteral("/proc/");
        const QString folder = dir_.filePath(QStringLiteral("locked/"));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        return folder;
    }
};

TEST_F(OutputFolderTest, AFolderThatRefusesNewFilesIsReportedAndTheStartAbandoned) {
    const QString folder = unwritableFolder();
    for (const char *format : {".wav", ".mp3", ".wma"}) {
        SCOPED_TRACE(format);
        writeIni("[options]\nsaveformat=" + QByteArray(format) + "\nsavepath=" + folder.toUtf8() +
                 "\n");
        testRecordingSettings() = RecordingSettings();
        TForm1 &w = openWindow();
        answerMessageBoxes(QMessageBox::Ok);
        w.Record1Click();
        spin(500);
        // One message that names the file and the reason; nothing records, nothing listed.
        ASSERT_EQ(messages_.size(), 1) << messages_.join(u'|').toStdString();
        const QString file = folder + QStringLiteral("Untitled1") + QLatin1String(format);
        EXPECT_TRUE(messages_.first().startsWith(QStringLiteral("Cannot create ") + file + u':'))
            << messages_.first().toStdString();
        EXPECT_FALSE(w.flgRecord);
        EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
        EXPECT_TRUE(w.ToolBtnOpen->isEnabled());
        EXPECT_TRUE(listedFiles().isEmpty());
        messages_.clear();
    }
}

TEST_F(OutputFolderTest, DeletingTheFolderStopsTheRecordingAtOnceWithAMessage) {
    writeIni("[options]\nsaveformat=.mp3\n");
    TForm1 &w = openWindow();
    answerMessageBoxes(QMessageBox::Ok);
    w.Record1Click();
    spin(600);
    ASSERT_TRUE(w.flgRecord);
    ASSERT_TRUE(QDir(recordingDir()).removeRecursively());
    ASSERT_TRUE(waitUntil([&] { return !w.flgRecord && !messages_.isEmpty(); }, 2000));
    EXPECT_EQ(messages_,
              QStringList{QStringLiteral("The recording was stopped because ") + recordingDir() +
                          QStringLiteral("Untitled1.mp3 was deleted or moved away "
                                         "while it was being recorded.")});
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("Stop"));
    EXPECT_TRUE(listedFiles().isEmpty());

    // The next recording makes the folder again and runs as usual.
    messages_.clear();
    w.Record1Click();
    spin(500);
    w.Stop1Click();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
    EXPECT_EQ(listedFiles(), QStringList{QStringLiteral("Untitled1.mp3")});
}
