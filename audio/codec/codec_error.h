// Error numbers the file component reports through LastErrorNum (0 means no error).
#pragma once

namespace korvanta::codec {

enum ErrorNum : int {
    NoError = 0,
    ErrFileNotFound = 1,  // the file to open does not exist
    ErrCannotRead = 2,    // it exists but can't be read (permissions, I/O)
    ErrNotAudio = 3,      // not a supported audio file, or no audio stream in it
    ErrCorrupt = 4,       // looks like a supported file but doesn't decode
    ErrCannotCreate = 5,  // the output file or its encoder could not be set up
    ErrWriteFailed = 6,   // writing failed (disk full, file size limit, I/O)
    ErrNoFile = 7,        // the operation needs an open file
    ErrBadFormat = 8,     // the chosen format can't be written
};

}  // namespace korvanta::codec
