// The scratch file each fuzzer writes its input to: one per process, in a private folder,
// so parallel fuzzer jobs never share it. Memory-backed when the system has /dev/shm: the
// INI writer syncs every file it saves, which on a disk costs more than the whole run.
#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace korvanta::fuzz {

inline QString scratchPath(const QString &name) {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/korvanta-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/korvanta-fuzz-XXXXXX"));
    return dir.filePath(name);
}

}  // namespace korvanta::fuzz
