// Keeps an ASF (WMA) file's header in step with the file: the File Properties object states
// the file's size, packet count and duration, and readers that trust it compute the wrong
// length once a tag write has grown or shrunk the header, or a write failure (a full disk)
// has stopped the writer before it could fill them in.
#pragma once

#include <QString>

namespace korvanta::codec {

// Sets the File Properties object's file size to the file's real size. False when the file
// is not an ASF file or can't be read or written; the file is then left as it was.
bool fixAsfFileSize(const QString &path);

// For a file whose writing stopped early: drops a last incomplete data packet and sets the
// sizes, packet counts and durations of the header to the packets the file holds. False when
// the file is not an ASF file with fixed-size packets or can't be changed.
bool repairAsfHeader(const QString &path);

}  // namespace korvanta::codec
