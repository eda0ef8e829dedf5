// The built program answers --help and --version on the terminal and exits without a window,
// even where no display is available; files named on its command line (as a file manager's
// "Open with" names them) open one row each, also under a name that is not valid UTF-8.
#include "tests/support/short_wav.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
};

ProgramRun runProgram(const QStringList &arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display of any kind: a window (or even a window-system connection) would fail.
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KORVANTA_RECORDER_BINARY), arguments);
    ProgramRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

TEST(CommandLineTest, HelpListsTheOptionsAndExits) {
    for (const QString &option :
         {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("--help-all")}) {
        const ProgramRun run = runProgram({option});
        EXPECT_EQ(run.exitCode, 0) << qPrintable(option);
        // The usage line names the program as it was started, here by its full path.
        EXPECT_TRUE(run.out.startsWith(
            QStringLiteral("Usage: " KORVANTA_RECORDER_BINARY " [options] [FILE...]\n")))
            << qPrintable(run.out);
        EXPECT_TRUE(run.out.contains(QStringLiteral("--help")));
        EXPECT_TRUE(run.out.contains(QStringLiteral("--version")));
        EXPECT_TRUE(run.out.contains(QStringLiteral("FILE")));
    }
}

TEST(CommandLineTest, VersionPrintsNameAndProjectVersion) {
    const ProgramRun run = runProgram({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("korvanta-recorder " KORVANTA_VERSION "\n"));
}

// As a file manager starts the program: two names relative to the folder it runs in, the
// second in Latin-1 bytes, which the shell passes on as they are. The program's test switch
// KORVANTA_REPORT_LIST prints the list's rows once the files are open, and leaves.
TEST(CommandLineTest, NamedFilesOpenOneRowEachTheLastCurrent) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QByteArray latin1 = folder + "caf\xe9.wav";
    for (const QByteArray &name : {folder + "first.wav", latin1}) {
        std::FILE *f = std::fopen(name.constData(), "wb");
        ASSERT_NE(f, nullptr);
        const QByteArray wav = testsupport::shortWav();
        EXPECT_EQ(std::fwrite(wav.constData(), 1, size_t(wav.size()), f), size_t(wav.size()));
        std::fclose(f);
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANTA_AUDIO"), QStringLiteral("virtual"));
    env.insert(QStringLiteral("KORVANTA_REPORT_LIST"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("exec \"$0\" first.wav \"$(printf 'caf\\351.wav')\""),
         QStringLiteral(KORVANTA_RECORDER_BINARY)});
    const bool finished = process.waitForFinished(60000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    std::remove(latin1.constData());
    ASSERT_TRUE(finished) << "the program did not report its list";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.readAllStandardOutput(),
              "row " + folder + "first.wav\nrow " + latin1 + "\ncurrent " + latin1 + "\n");
}

}  // namespace
