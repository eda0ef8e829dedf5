// Naming new recordings and describing files as rows of the recorded-files list.
#pragma once

#include <QString>

#include <cstdint>

// The first "Untitled<n><ext>" (n = 1, 2, ...) in `savePath` that does not exist yet.
// `savePath` is used as a plain prefix, so it normally ends in "/".
QString FirstFreeOutputName(const QString &savePath, const QString &ext);

// Creates every missing level of `savePath`. On failure returns false and sets `error` to
// "Cannot create " + savePath ("Unable to create directory" for an empty path).
bool CreateSaveDirectory(const QString &savePath, QString *error);

// The texts of one list row for a file: caption, size, time and directory.
struct ListRowTexts {
    QString caption;    // file name after the last "/"
    QString size;       // bytes / 1000, remainder dropped, + " KB"
    QString time;       // minutes:seconds of the whole seconds
    QString directory;  // everything up to and including the last "/"
};

ListRowTexts MakeListRowTexts(const QString &path, int64_t sizeBytes, int durationMs);
