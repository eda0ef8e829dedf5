#include "settings/app_paths.h"

#include <QCoreApplication>

namespace {

QString &testDirectory() {
    static QString dir;
    return dir;
}

QString withSlash(const QString &dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
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

QString setupIniPath() {
    return executableDirectory() + QStringLiteral("setup.ini");
}

QString supportIniPath() {
    return executableDirectory() + QStringLiteral("support.ini");
}

QString tipsPath() {
    return executableDirectory() + QStringLiteral("tips.txt");
}

QString helpFilePath() {
    return executableDirectory() + QStringLiteral("korvantasoundrecorder.chm");
}
