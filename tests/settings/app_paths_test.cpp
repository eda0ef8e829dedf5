// Where setup.ini, the recordings and the data files are found: beside a writable executable,
// in the user's configuration and music folders when the executable's folder is read-only, and
// in the install's data folder.
#include "settings/app_paths.h"
#include "settings/recording_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

class AppPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(exeDir_.isValid() && home_.isValid());
        setExecutableDirectoryForTesting(exeDir_.path());
        oldHome_ = qgetenv("HOME");
        oldConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    }

    void TearDown() override {
        setExecutableDirectoryReadOnlyForTesting(false);
        setExecutableDirectoryForTesting(QString());
        qputenv("HOME", oldHome_);
        if (oldConfig_.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldConfig_);
    }

    QString configHome() const { return home_.path() + QStringLiteral("/config"); }
    QString ownConfigIni() const {
        return configHome() + QStringLiteral("/korvanta-recorder/setup.ini");
    }
    QString besideIni() const { return exeDir_.filePath(QStringLiteral("setup.ini")); }

    static void writeFile(const QString &path, const QByteArray &bytes) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QByteArray readFile(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir exeDir_;
    QTemporaryDir home_;
    QByteArray oldHome_;
    QByteArray oldConfig_;
};

TEST_F(AppPathsTest, WritableFolderKeepsSettingsAndRecordingsBesideTheExecutable) {
    EXPECT_TRUE(userFilesBesideExecutable());
    EXPECT_EQ(setupIniPath(), besideIni());
    EXPECT_EQ(writableSetupIniPath(), besideIni());
    EXPECT_EQ(defaultRecordingFolder(), exeDir_.path() + QStringLiteral("/Recording/"));
    EXPECT_FALSE(QFileInfo::exists(configHome()));
}

TEST_F(AppPathsTest, ReadOnlyFolderUsesTheConfigAndMusicFolders) {
    setExecutableDirectoryReadOnlyForTesting(true);
    // The desktop's own name for the music folder wins over ~/Music.
    writeFile(configHome() + QStringLiteral("/user-dirs.dirs"), "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");

    EXPECT_EQ(setupIniPath(), ownConfigIni());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(ownConfigIni()).path()));  // reading creates nothing

    RecordingSettings s;
    LoadRecordingSettings(s, setupIniPath());
    EXPECT_EQ(s.SavePath, home_.path() + QStringLiteral("/Tunes/Recordings/"));

    s.RecordTime = 42;
    QString error;
    ASSERT_TRUE(SaveTimeLimit(s, writableSetupIniPath(), &error)) << qPrintable(error);
    EXPECT_EQ(readFile(ownConfigIni()), "[options]\ntimelimit=42\n");
    EXPECT_FALSE(QFileInfo::exists(besideIni()));
}

TEST_F(AppPathsTest, MusicFolderDefaultsToHomeMusic) {
    setExecutableDirectoryReadOnlyForTesting(true);
    EXPECT_EQ(defaultRecordingFolder(), home_.path() + QStringLiteral("/Music/Recordings/"));
}

TEST_F(AppPathsTest, SetupIniBesideAReadOnlyExecutableIsHonouredAndCarriedOver) {
    const QByteArray before =
        "[options]\r\nsavepath=/data/rec/\r\ntimelimit=5\r\n[tips]\r\ntipno=3\r\n";
    writeFile(besideIni(), before);
    setExecutableDirectoryReadOnlyForTesting(true);

    EXPECT_EQ(setupIniPath(), besideIni());
    RecordingSettings s;
    LoadRecordingSettings(s, setupIniPath());
    EXPECT_EQ(s.SavePath, "/data/rec/");
    EXPECT_EQ(s.RecordTime, 5);

    // The first write goes to the user's own copy, which keeps every stored value.
    s.RecordTime = 7;
    ASSERT_TRUE(SaveTimeLimit(s, writableSetupIniPath(), nullptr));
    QByteArray expected = before;
    expected.replace("timelimit=5", "timelimit=7");
    EXPECT_EQ(readFile(ownConfigIni()), expected);
    EXPECT_EQ(readFile(besideIni()), before);
    EXPECT_EQ(setupIniPath(), ownConfigIni());

    // Once the own copy exists, the one beside the executable is no longer read or copied.
    writeFile(besideIni(), "[options]\ntimelimit=99\n");
    LoadRecordingSettings(s, setupIniPath());
    EXPECT_EQ(s.RecordTime, 7);
    ASSERT_TRUE(SaveTimeLimit(s, writableSetupIniPath(), nullptr));
    EXPECT_EQ(readFile(ownConfigIni()), expected);
}

TEST_F(AppPathsTest, DataFilesAreFoundBesideTheExecutableThenInTheDataFolder) {
    const QString prefix = exeDir_.path();
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/lib/korvanta-recorder")));
    setExecutableDirectoryForTesting(prefix + QStringLiteral("/bin"));
    const QString besideTips = prefix + QStringLiteral("/bin/tips.txt");
    // Neither exists: the place beside the executable is named.
    EXPECT_EQ(tipsPath(), besideTips);

    const QString shared = prefix + QStringLiteral("/share/korvanta-recorder/");
    writeFile(shared + QStringLiteral("tips.txt"), "tip\n");
    writeFile(shared + QStringLiteral("support.ini"), "[about]\n");
    EXPECT_EQ(tipsPath(), shared + QStringLiteral("tips.txt"));
    EXPECT_EQ(supportIniPath(), shared + QStringLiteral("support.ini"));
    EXPECT_EQ(manualIndexPath(), prefix + QStringLiteral("/bin/manual/index.html"));
    writeFile(shared + QStringLiteral("manual/index.html"), "<html></html>");
    EXPECT_EQ(manualIndexPath(), shared + QStringLiteral("manual/index.html"));

    writeFile(besideTips, "own tip\n");
    EXPECT_EQ(tipsPath(), besideTips);

    // The program as installed today sits in <prefix>/lib/korvanta-recorder.
    setExecutableDirectoryForTesting(prefix + QStringLiteral("/lib/korvanta-recorder"));
    EXPECT_EQ(supportIniPath(), shared + QStringLiteral("support.ini"));
}

// A German session opens the German manual where one is installed, and any other language
// the English one; the translations are found like the other data files.
TEST_F(AppPathsTest, TheManualTipsAndTranslationsFollowTheLanguage) {
    const QString prefix = exeDir_.path();
    const QString shared = prefix + QStringLiteral("/share/korvanta-recorder/");
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/lib/korvanta-recorder")));
    setExecutableDirectoryForTesting(prefix + QStringLiteral("/lib/korvanta-recorder"));
    writeFile(shared + QStringLiteral("manual/index.html"), "<html></html>");
    writeFile(shared + QStringLiteral("translations/korvanta_de.qm"), "");

    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Austria));
    EXPECT_EQ(manualIndexPath(), shared + QStringLiteral("manual/index.html"));
    writeFile(shared + QStringLiteral("manual/de/index.html"), "<html lang=de></html>");
    EXPECT_EQ(manualIndexPath(), shared + QStringLiteral("manual/de/index.html"));
    writeFile(shared + QStringLiteral("tips.txt"), "tip\n");
    EXPECT_EQ(tipsPath(), shared + QStringLiteral("tips.txt"));
    writeFile(shared + QStringLiteral("tips_de.txt"), "Tipp\n");
    EXPECT_EQ(tipsPath(), shared + QStringLiteral("tips_de.txt"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(tipsPath(), shared + QStringLiteral("tips.txt"));
    EXPECT_EQ(manualIndexPath(), shared + QStringLiteral("manual/index.html"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(manualIndexPath(), shared + QStringLiteral("manual/index.html"));
    QLocale::setDefault(before);

    EXPECT_EQ(translationsDirectory(), shared + QStringLiteral("translations"));
    // A build folder's own translations, beside the program, come first.
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/lib/korvanta-recorder/translations")));
    EXPECT_EQ(translationsDirectory(),
              prefix + QStringLiteral("/lib/korvanta-recorder/translations"));
}

// Run by root, or installed into a prefix the user owns (~/.local), the installed program can
// write its own folder, yet settings and recordings must not end up in lib/.
TEST_F(AppPathsTest, AnInstalledProgramUsesTheUsersFoldersEvenWhereItCouldWriteItsOwn) {
    const QString prefix = exeDir_.path();
    const QString appDir = prefix + QStringLiteral("/lib/korvanta-recorder/");
    writeFile(prefix + QStringLiteral("/share/korvanta-recorder/tips.txt"), "tip\n");
    ASSERT_TRUE(QDir().mkpath(appDir));
    setExecutableDirectoryForTesting(appDir);

    EXPECT_FALSE(userFilesBesideExecutable());
    EXPECT_EQ(setupIniPath(), ownConfigIni());
    EXPECT_EQ(defaultRecordingFolder(), home_.path() + QStringLiteral("/Music/Recordings/"));
    EXPECT_EQ(writableSetupIniPath(), ownConfigIni());
    EXPECT_FALSE(QFileInfo::exists(appDir + QStringLiteral("setup.ini")));

    // A setup.ini someone put beside it is still the one used, in place.
    writeFile(appDir + QStringLiteral("setup.ini"), "[options]\ntimelimit=3\n");
    EXPECT_TRUE(userFilesBesideExecutable());
    EXPECT_EQ(setupIniPath(), appDir + QStringLiteral("setup.ini"));
}

// A build folder has its data files beside the program and keeps everything there.
TEST_F(AppPathsTest, AFolderWithItsOwnDataFilesIsNotAnInstall) {
    const QString prefix = exeDir_.path();
    writeFile(prefix + QStringLiteral("/share/korvanta-recorder/tips.txt"), "tip\n");
    writeFile(prefix + QStringLiteral("/build/tips.txt"), "tip\n");
    setExecutableDirectoryForTesting(prefix + QStringLiteral("/build"));
    EXPECT_TRUE(userFilesBesideExecutable());
    EXPECT_EQ(defaultRecordingFolder(), prefix + QStringLiteral("/build/Recording/"));
}

}  // namespace
