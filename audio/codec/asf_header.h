// Keeps an ASF (WMA) file's header in step with the file: the File Properties object states
// the file's size, and readers that trust it compute the wrong length once a tag write has
// grown or shrunk the header without updating it.
#pragma once

#include <QString>

namespace korvanta::codec {

// Sets the File Properties object's file size to the file's real size. False when the file
// is not an ASF file or can't be read or written; the file is then left as it was.
bool fixAsfFileSize(const QString &path);

}  // namespace korvanta::codec
