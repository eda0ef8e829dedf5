// Repairing recordings that were cut off. The WAV writer keeps the sizes in the header up to
// date after every block, but a program killed between writing a block and its sizes (or a
// file from a recorder that only fills them in at the end) leaves a header that claims less,
// or more, than the data that reached the disk. Players then stop early or refuse the file.
#pragma once

#include <QString>
#include <QStringList>

enum class WavRepair {
    NotWav,    // not a RIFF/WAVE file with a data chunk, or unreadable: left alone
    Intact,    // the sizes match the file
    Repaired,  // the RIFF and data sizes were rewritten to cover the whole frames on disk
    Failed,    // the sizes are wrong but the file could not be written
};

// Checks one file. Only a data chunk that ends the file is considered: when something
// follows it (another chunk, an appended tag), the file was finished and its sizes are left
// as they are. A repair rewrites the two size fields and nothing else; a trailing partial
// frame is left outside the chunk.
WavRepair RepairWavHeader(const QString &path);

// Repairs every "*.wav" directly inside `folder`; returns the paths of the repaired files.
QStringList RepairUnfinishedRecordings(const QString &folder);
