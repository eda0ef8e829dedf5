// One copy per session, driven from outside: on a private session bus a second start hands
// its files and commands to the copy that runs and leaves; --record --for, --status and
// --stop reach that copy from other processes; without a bus, or with --new-instance, each
// start runs on its own.
#include "tests/support/fake_sleep_services.h"

#include "tests/support/short_wav.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <memory>

namespace {

// Long enough for a start on a busy machine.
constexpr int kLimitMs = 60000;

struct Answer {
    int exitCode = -1;
    QString output;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(bus_.isRunning()) << "dbus-daemon is needed for this test";
        ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("takes")));
    }

    void TearDown() override {
        for (const auto &process : running_) {
            process->kill();
            process->waitForFinished();
        }
    }

    QString takes() const { return home_.filePath(QStringLiteral("takes")) + QLatin1Char('/'); }

    QProcessEnvironment environment(const QString &busAddress) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KORVANTA_AUDIO"), QStringLiteral("virtual"));
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral(".config")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        env.insert(QStringLiteral("KORVANTA_RECORD_FOLDER"), takes());
        return env;
    }

    // The first copy, left running; waits until it holds its name on the bus.
    QProcess &startFirst(const QStringList &arguments = {}) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment(bus_.address()));
        process->setWorkingDirectory(home_.path());
        process->start(QStringLiteral(KORVANTA_RECORDER_BINARY), arguments);
        running_.push_back(std::move(process));
        QProcess &first = *running_.back();
        const QDBusConnection probe = bus_.connect(QStringLiteral("probe"));
        const bool named = testsupport::waitUntil(
            [&] {
                return probe.interface()->isServiceRegistered(
                           QStringLiteral("org.example.korvanta.recorder")) ||
                       first.state() == QProcess::NotRunning;
            },
            kLimitMs);
        EXPECT_TRUE(named && first.state() == QProcess::Running)
            << "the first copy never took its name: " << first.readAllStandardError().toStdString();
        return first;
    }

    // A later start, run to its end.
    Answer run(const QStringList &arguments, const QString &busAddress = {}) const {
        QProcess process;
        process.setProcessEnvironment(
            environment(busAddress.isNull() ? bus_.address() : busAddress));
        process.setWorkingDirectory(home_.path());
        process.start(QStringLiteral(KORVANTA_RECORDER_BINARY), arguments);
        Answer answer;
        if (!process.waitForFinished(kLimitMs)) {
            process.kill();
            process.waitForFinished();
            return answer;
        }
        answer.exitCode = process.exitCode();
        answer.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        return answer;
    }

    // The running copy's state, asked as a script asks it.
    Answer status() const { return run({QStringLiteral("--status")}); }

    bool waitForStatusExit(int code) const {
        return testsupport::waitUntil([&] { return status().exitCode == code; }, kLimitMs);
    }

    QTemporaryDir home_;
    testsupport::PrivateBus bus_{QStringLiteral("single-instance")};
    std::vector<std::unique_ptr<QProcess>> running_;
};

// The length in seconds of a WAV file the program wrote, from its chunks.
double wavSeconds(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    uint32_t byteRate = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = qFromLittleEndian<uint32_t>(bytes.constData() + at + 4);
        const QByteArray id = bytes.mid(at, 4);
        if (id == "fmt " && at + 20 <= bytes.size())
            byteRate = qFromLittleEndian<uint32_t>(bytes.constData() + at + 16);
        if (id == "data")
            return byteRate ? double(size) / byteRate : -1;
        at += 8 + size + (size & 1);
    }
    return -1;
}

TEST_F(SingleInstanceTest, ASecondStartHandsItsFileToTheFirstAndLeaves) {
    QProcess &first = startFirst();
    const QString song = home_.filePath(QStringLiteral("song.wav"));
    QFile file(song);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(testsupport::shortWav());
    file.close();

    const Answer second = run({QStringLiteral("song.wav")});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    const Answer answer = status();
    EXPECT_EQ(answer.exitCode, 1) << qPrintable(answer.output);
    EXPECT_EQ(answer.output, QStringLiteral("state: stopped\nfile: %1\n").arg(song));

    // --new-instance runs apart: the first copy's current file stays.
    const QString other = home_.filePath(QStringLiteral("other.wav"));
    QFile::copy(song, other);
    QProcessEnvironment env = environment(bus_.address());
    QProcess apart;
    env.insert(QStringLiteral("KORVANTA_REPORT_LIST"), QStringLiteral("1"));
    apart.setProcessEnvironment(env);
    apart.setWorkingDirectory(home_.path());
    apart.start(QStringLiteral(KORVANTA_RECORDER_BINARY),
                {QStringLiteral("--new-instance"), QStringLiteral("other.wav")});
    ASSERT_TRUE(apart.waitForFinished(kLimitMs));
    EXPECT_EQ(apart.readAllStandardOutput(),
              "row " + QFile::encodeName(other) + "\ncurrent " + QFile::encodeName(other) + "\n");
    EXPECT_EQ(status().output, QStringLiteral("state: stopped\nfile: %1\n").arg(song));
}

TEST_F(SingleInstanceTest, RecordForStopsByItselfAndStopComesFromAnotherProcess) {
    startFirst();
    const Answer started =
        run({QStringLiteral("--record"), QStringLiteral("--for"), QStringLiteral("2s"),
             QStringLiteral("--format"), QStringLiteral("wav")});
    EXPECT_EQ(started.exitCode, 0) << qPrintable(started.output);
    EXPECT_TRUE(started.output.startsWith(QStringLiteral("state: recording\nfile: ") + takes()))
        << qPrintable(started.output);
    const QString take = started.output.section(QLatin1Char('\n'), 1, 1).mid(6);

    // It ends by itself after the two seconds of recording it was given.
    ASSERT_TRUE(waitForStatusExit(1));
    EXPECT_NEAR(wavSeconds(take), 2.0, 0.25);

    // Started without --for, it runs until another process stops it.
    const Answer again = run({QStringLiteral("--toggle-record")});
    EXPECT_EQ(again.exitCode, 0) << qPrintable(again.output);
    EXPECT_EQ(status().exitCode, 0);
    const Answer stopped = run({QStringLiteral("--stop")});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_TRUE(stopped.output.startsWith(QStringLiteral("state: stopped\n")))
        << qPrintable(stopped.output);
    EXPECT_EQ(QDir(takes()).entryList(QDir::Files).size(), 2);
}

TEST_F(SingleInstanceTest, WrongCommandsAndNoCopyAnswerWithoutAWindow) {
    // Nothing runs on the bus yet.
    EXPECT_EQ(status().exitCode, 2);
    EXPECT_EQ(status().output, QStringLiteral("state: not running\n"));
    // No bus at all: the same.
    EXPECT_EQ(run({QStringLiteral("--status")}, QStringLiteral("unix:path=/nonexistent")).exitCode,
              2);
    // Arguments that make no sense are refused before anything starts.
    for (const QStringList &wrong :
         {QStringList{QStringLiteral("--record"), QStringLiteral("--for"), QStringLiteral("soon")},
          QStringList{QStringLiteral("--record"), QStringLiteral("--format"),
                      QStringLiteral("aiff")},
          QStringList{QStringLiteral("--stop"), QStringLiteral("--for"), QStringLiteral("5m")},
          QStringList{QStringLiteral("--record"), QStringLiteral("--stop")}})
        EXPECT_EQ(run(wrong).exitCode, 1) << qPrintable(wrong.join(QLatin1Char(' ')));
}

}  // namespace
