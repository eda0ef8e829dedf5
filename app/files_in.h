// Files handed to the program from outside its window: dropped on it from a file manager, or
// named on its command line (the menu entry's "Open with"). A name that is not valid UTF-8
// arrives with replacement characters where its odd bytes were, as Qt decodes such names;
// the file code finds the file on disk from that (audio/codec/posix_file.h).
#pragma once

#include <QStringList>

class QMimeData;

// The local files among the addresses dragged, in their order; none for web addresses or
// plain text.
QStringList droppedFiles(const QMimeData &data);

// The files named by the command line's arguments, as full paths: a relative name is taken
// from `workingDir`, a file:// address as the file it names.
QStringList commandLineFiles(const QStringList &arguments, const QString &workingDir);
