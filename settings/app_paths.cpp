#include "settings/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

QString &testDirectory() {
    static QString dir;
    return dir;
}

bool &readOnlyForTesting() {
    static bool readOnly = false;
    return readOnly;
}

QString withSlash(const QString &dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

QString setupIniBesideExecutable() {
    return executableDirectory() + QStringLiteral("setup.ini");
}

bool isReadableFile(const QString &path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// The install's data folder as seen from the executable, which sits in <prefix>/bin or, as
// installed, in <prefix>/lib/korvanta-recorder; both reach <prefix>/share/korvanta-recorder.
QStringList installDataDirectories() {
    const QString dir = executableDirectory();
    return {dir + QStringLiteral("../share/korvanta-recorder/"),
            dir + QStringLiteral("../../share/korvanta-recorder/")};
}

// An installed program has its data in share/ and none beside it. Such a program keeps the
// user's files in the user's folders even where it could write its own folder (run by root,
// or installed into ~/.local): recordings hidden in lib/, or files in /usr that no package
// owns, are not what anyone installing it expects.
bool isInstalledProgram() {
    if (QFileInfo::exists(executableDirectory() + QStringLiteral("tips.txt"))) {
        return false;
    }
    const QStringList dirs = installDataDirectories();
    return std::any_of(dirs.begin(), dirs.end(),
                       [](const QString &dir) { return QFileInfo(dir).isDir(); });
}

// A data file beside the executable, else in the install's data folder. When none exists the
// path beside the executable is given, so messages name the place a user would look first.
QString dataFilePath(const QString &name) {
    QStringList candidates{executableDirectory() + name};
    for (const QString &dir : installDataDirectories()) {
        candidates << dir + name;
    }
    for (const QString &path : candidates) {
        if (QFileInfo(path).isFile()) {
            return path == candidates.first() ? path : QDir::cleanPath(path);
        }
    }
    return candidates.first();
}

// Copies by content rather than QFile::copy, which would also copy a read-only mode.
void copyFile(const QString &from, const QString &to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = source.readAll();
    QSaveFile target(to);
    if (target.open(QIODevice::WriteOnly) && target.write(bytes) == bytes.size()) {
        target.commit();
    }
}

// The data file `pattern` with the language of QLocale() for %1, where that language has one
// ("de-DE" and "de" both find "de"), else the English `fallback`; English needs no lookup.
QString localizedDataFilePath(const QString &pattern, const QString &fallback) {
    for (const QString &name : QLocale().uiLanguages()) {
        const QString language = name.section(QLatin1Char('-'), 0, 0).toLower();
        if (language.isEmpty() || language == QLatin1String("en"))
            break;
        const QString path = dataFilePath(pattern.arg(language));
        if (QFileInfo(path).isFile())
            return path;
    }
    return dataFilePath(fallback);
}

}  // namespace

QString executableDirectory() {
    if (!testDirectory().isEmpty()) {
        return testDirectory();
    }
    return withSlash(QCoreApplication::applicationDirPath());
}

void setExecutableDirectoryForTesting(const QString &dir) {
    testDirectory() = dir.isEmpty() ? QString() : withSlash(dir);
}

void setExecutableDirectoryReadOnlyForTesting(bool readOnly) {
    readOnlyForTesting() = readOnly;
}

bool userFilesBesideExecutable() {
    const QFileInfo ini(setupIniBesideExecutable());
    if (readOnlyForTesting() || (isInstalledProgram() && !ini.exists())) {
        return false;
    }
    return QFileInfo(executableDirectory()).isWritable() || (ini.isFile() && ini.isWritable());
}

QString userConfigDirectory() {
    // Named here rather than taken from the application name, which tests do not set.
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) +
           QStringLiteral("korvanta-recorder/");
}

QString setupIniPath() {
    if (userFilesBesideExecutable()) {
        return setupIniBesideExecutable();
    }
    const QString own = userConfigDirectory() + QStringLiteral("setup.ini");
    if (!QFileInfo::exists(own) && isReadableFile(setupIniBesideExecutable())) {
        return setupIniBesideExecutable();
    }
    return own;
}

QString writableSetupIniPath() {
    if (userFilesBesideExecutable()) {
        return setupIniBesideExecutable();
    }
    QDir().mkpath(userConfigDirectory());
    const QString own = userConfigDirectory() + QStringLiteral("setup.ini");
    if (!QFileInfo::exists(own) && isReadableFile(setupIniBesideExecutable())) {
        copyFile(setupIniBesideExecutable(), own);
    }
    return own;
}

QString defaultRecordingFolder() {
    if (userFilesBesideExecutable()) {
        return executableDirectory() + QStringLiteral("Recording/");
    }
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty()) {
        music = QDir::homePath();
    }
    return withSlash(music) + QStringLiteral("Recordings/");
}

QString supportIniPath() {
    return dataFilePath(QStringLiteral("support.ini"));
}

QString tipsPath() {
    return localizedDataFilePath(QStringLiteral("tips_%1.txt"), QStringLiteral("tips.txt"));
}

QString manualIndexPath() {
    return localizedDataFilePath(QStringLiteral("manual/%1/index.html"),
                                 QStringLiteral("manual/index.html"));
}

QString translationsDirectory() {
    const QString beside = executableDirectory() + QStringLiteral("translations");
    if (QFileInfo(beside).isDir())
        return beside;
    for (const QString &dir : installDataDirectories()) {
        if (QFileInfo(dir + QStringLiteral("translations")).isDir())
            return QDir::cleanPath(dir + QStringLiteral("translations"));
    }
    return beside;
}
