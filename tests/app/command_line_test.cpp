// The built program answers --help and --version on the terminal and exits without a window,
// even where no display is available.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

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
        EXPECT_TRUE(
            run.out.startsWith(QStringLiteral("Usage: " KORVANTA_RECORDER_BINARY " [options]\n")))
            << qPrintable(run.out);
        EXPECT_TRUE(run.out.contains(QStringLiteral("--help")));
        EXPECT_TRUE(run.out.contains(QStringLiteral("--version")));
    }
}

TEST(CommandLineTest, VersionPrintsNameAndProjectVersion) {
    const ProgramRun run = runProgram({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("korvanta-recorder " KORVANTA_VERSION "\n"));
}

}  // namespace
