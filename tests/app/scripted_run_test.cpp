// The benchmarks' scripted recording: the program records for the seconds asked, from the
// press of Record, and reports the frames it wrote. The benchmark's tables divide by what
// was recorded, so a run that stops early only shows as a short file; here it fails.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct ScriptedRecording {
    bool finished = false;
    QString output;
};

ScriptedRecording recordFor(int seconds, const QString &folder) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANTA_AUDIO"), QStringLiteral("virtual"));
    env.insert(QStringLiteral("KORVANTA_RECORD_SECONDS"), QString::number(seconds));
    env.insert(QStringLiteral("KORVANTA_RECORD_FOLDER"), folder);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(KORVANTA_RECORDER_BINARY), {});
    ScriptedRecording run;
    run.finished = process.waitForFinished(60000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return run;
}

TEST(ScriptedRunTest, RecordsTheSecondsAskedInFull) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    constexpr int kSeconds = 4;
    const ScriptedRecording run = recordFor(kSeconds, folder.path());
    ASSERT_TRUE(run.finished);
    static const QRegularExpression line(
        QStringLiteral(R"(frames (\d+) dropped (\d+) missing (-?\d+))"));
    const QRegularExpressionMatch m = line.match(run.output);
    ASSERT_TRUE(m.hasMatch()) << run.output.toStdString();
    // The file is MP3 at 44100 Hz. The card hands on whole blocks, so a block's worth under
    // the time asked is timing; a stop that fires early (a coarse timer: up to 5 %, which
    // here is 200 ms) is not.
    const double recorded = m.captured(1).toDouble() / 44100.0;
    EXPECT_GE(recorded, kSeconds - 0.06);
    EXPECT_LE(recorded, kSeconds + 0.25);
    EXPECT_EQ(m.captured(2).toInt(), 0);
}

}  // namespace
