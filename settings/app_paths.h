// Where the program's side files live: all of them sit next to the executable.
#pragma once

#include <QString>

// The executable's directory, always ending in "/".
QString executableDirectory();

// Points executableDirectory() somewhere else (tests); an empty dir restores the real one.
void setExecutableDirectoryForTesting(const QString &dir);

QString setupIniPath();
QString supportIniPath();
QString tipsPath();
QString helpFilePath();
