// The benchmarks' scripted runs: the program records for the seconds asked, from the press
// of Record, and reports the frames it wrote; or it plays a file to its end. The benchmark's
// tables divide by what was recorded or played, so a run that stops early or plays nothing
// fails here, and says why, rather than passing as a short one or waiting on a box nobody
// can close.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

// Long enough for a start on a busy machine; a run that waits on a box never gets there.
constexpr int kRunLimitMs = 60000;

struct ScriptedRun {
    bool finished = false;
    int exitCode = -1;
    QString output;
    QString errors;
};

ScriptedRun runProgram(const QString &folder, const QString &variable, const QString &value,
                       const QProcessEnvironment &extra = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANTA_AUDIO"), QStringLiteral("virtual"));
    env.insert(variable, value);
    env.insert(extra);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(KORVANTA_RECORDER_BINARY), {});
    ScriptedRun run;
    run.finished = process.waitForFinished(kRunLimitMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

ScriptedRun recordFor(int seconds, const QString &folder) {
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("KORVANTA_RECORD_FOLDER"), folder);
    return runProgram(folder, QStringLiteral("KORVANTA_RECORD_SECONDS"), QString::number(seconds),
                      extra);
}

ScriptedRun play(const QString &file, const QString &folder) {
    return runProgram(folder, QStringLiteral("KORVANTA_PLAY_FILE"), file);
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

template <typename T>
void append(QByteArray &bytes, T value) {
    const T little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
}

// `frames` of silence, 44.1 kHz stereo 16-bit.
QByteArray wavFile(uint32_t frames) {
    const uint32_t dataBytes = frames * 4;
    QByteArray bytes("RIFF");
    append<uint32_t>(bytes, 36 + dataBytes);
    bytes += "WAVEfmt ";
    append<uint32_t>(bytes, 16);
    append<uint16_t>(bytes, 1);
    append<uint16_t>(bytes, 2);
    append<uint32_t>(bytes, 44100);
    append<uint32_t>(bytes, 44100 * 4);
    append<uint16_t>(bytes, 4);
    append<uint16_t>(bytes, 16);
    bytes += "data";
    append<uint32_t>(bytes, dataBytes);
    bytes += QByteArray(static_cast<int>(dataBytes), '\0');
    return bytes;
}

// An ID3v2.4 tag with a title and nothing after it: no MPEG frame at all.
QByteArray id3TagOnly() {
    const QByteArray title = QByteArray("\x03", 1) + "Only a tag";
    QByteArray frame("TIT2");
    for (int shift : {24, 16, 8, 0})  // a v2.4 frame size is synchsafe; this one is small
        frame += static_cast<char>((title.size() >> shift) & 0x7f);
    frame += QByteArray(2, '\0');
    frame += title;
    QByteArray tag("ID3\x04\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        tag += static_cast<char>((frame.size() >> shift) & 0x7f);
    return tag + frame;
}

TEST(ScriptedRunTest, RecordsTheSecondsAskedInFull) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    constexpr int kSeconds = 4;
    const ScriptedRun run = recordFor(kSeconds, folder.path());
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

TEST(ScriptedRunTest, PlaysAFileToItsEnd) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("short.wav"));
    ASSERT_TRUE(writeFile(file, wavFile(44100 / 2)));
    const ScriptedRun run = play(file, folder.path());
    ASSERT_TRUE(run.finished) << "still running after " << kRunLimitMs << " ms";
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.output, QStringLiteral("played\n"));
}

// Nothing to play: the run ends by itself, says on stderr what became of which file, and
// exits non-zero, so a benchmark never counts it as a playback.
TEST(ScriptedRunTest, AFileThatPlaysNothingEndsTheRunWithAReason) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString empty = folder.filePath(QStringLiteral("empty.mp3"));
    ASSERT_TRUE(writeFile(empty, QByteArray()));
    const QString tagOnly = folder.filePath(QStringLiteral("tag only.mp3"));
    ASSERT_TRUE(writeFile(tagOnly, id3TagOnly()));
    const QString missing = folder.filePath(QStringLiteral("missing.mp3"));

    for (const QString &file : {missing, empty, tagOnly}) {
        SCOPED_TRACE(file.toStdString());
        const ScriptedRun run = play(file, folder.path());
        EXPECT_TRUE(run.finished) << "still running after " << kRunLimitMs
                                  << " ms: waiting on a box?";
        if (!run.finished)
            continue;
        EXPECT_NE(run.exitCode, 0);
        EXPECT_FALSE(run.output.contains(QStringLiteral("played"))) << run.output.toStdString();
        EXPECT_TRUE(run.errors.contains(file)) << run.errors.toStdString();
    }
}

}  // namespace
