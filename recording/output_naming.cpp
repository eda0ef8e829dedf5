#include "recording/output_naming.h"

#include "audio/units.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString FirstFreeOutputName(const QString &savePath, const QString &ext) {
    for (qint64 n = 1;; ++n) {
        const QString name = savePath + QStringLiteral("Untitled") + QString::number(n) + ext;
        if (!QFileInfo::exists(name))
            return name;
    }
}

bool CreateSaveDirectory(const QString &savePath, QString *error) {
    if (savePath.isEmpty()) {
        *error = QCoreApplication::translate("OutputNaming", "Unable to create directory");
        return false;
    }
    // A path without a trailing "/" names its own last level as a directory too, as the
    // names beside it are formed by plain concatenation.
    if (!QDir().mkpath(savePath) || !QFileInfo(savePath).isDir()) {
        *error = QCoreApplication::translate("OutputNaming", "Cannot create ") + savePath;
        return false;
    }
    return true;
}

ListRowTexts MakeListRowTexts(const QString &path, int64_t sizeBytes, int durationMs) {
    ListRowTexts row;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    row.caption = path.mid(slash + 1);
    row.directory = path.left(slash + 1);
    row.size = QString::number(sizeBytes / 1000) + QStringLiteral(" KB");
    row.time = SecondToTime(durationMs / 1000);
    return row;
}
