#include "app/files_in.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

QStringList droppedFiles(const QMimeData &data) {
    QStringList files;
    for (const QUrl &url : data.urls()) {
        // A percent-encoded byte that is not UTF-8 (a Latin-1 name) decodes to a replacement
        // character, as the same name does from the file system.
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
    }
    return files;
}

QStringList commandLineFiles(const QStringList &arguments, const QString &workingDir) {
    QStringList files;
    const QDir dir(workingDir);
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        // Some launchers hand over addresses rather than paths.
        const QUrl url(argument);
        const QString path = argument.startsWith(QLatin1String("file://")) && url.isLocalFile()
                                 ? url.toLocalFile()
                                 : argument;
        files << QDir::cleanPath(dir.absoluteFilePath(path));
    }
    return files;
}
