// What the built program loads before its window shows: the sound server's library, LAME,
// FFTW, the tag and FFmpeg modules and Qt's image plugins wait until they are needed, so that
// none of them (nor what they pull in) delays the first window.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>

namespace {

// The file names the dynamic loader reports loading, up to the first turn of the event loop
// after the window is shown.
QSet<QString> librariesLoadedAtStart() {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANTA_AUDIO"), QStringLiteral("virtual"));
    env.insert(QStringLiteral("KORVANTA_EXIT_AFTER_SHOW"), QStringLiteral("1"));
    env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KORVANTA_RECORDER_BINARY), {});
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    QSet<QString> loaded;
    static const QRegularExpression opened(
        QStringLiteral(R"(file=(\S+) \[0\];\s+(?:needed|dynamically loaded) by)"));
    const QString log = QString::fromLocal8Bit(process.readAllStandardError());
    for (auto it = opened.globalMatch(log); it.hasNext();) {
        loaded << it.next().captured(1).section(QLatin1Char('/'), -1);
    }
    return loaded;
}

TEST(StartupLibrariesTest, LibrariesNotNeededForTheFirstWindowWait) {
    const QSet<QString> loaded = librariesLoadedAtStart();
    // The program ran and the log was read: Qt's widgets are always there.
    ASSERT_TRUE(loaded.contains(QStringLiteral("libQt6Widgets.so.6")));
    for (const char *later :
         {"libpulse.so.0", "libmp3lame.so.0", "libfftw3f.so.3", "libtag.so.1", "korvanta-tags.so",
          "korvanta-ffmpeg.so", "libqjpeg.so", "libqgif.so", "libqico.so"})
        EXPECT_FALSE(loaded.contains(QString::fromLatin1(later))) << later;
}

}  // namespace
