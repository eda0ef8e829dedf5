// FFmpeg reads our files through an I/O context over a FileReader instead of opening the
// path itself: the reader has checked that it is a regular file and opened it without
// waiting, and FFmpeg never interprets the name (protocol prefixes, its own encoding).
#pragma once

#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/posix_file.h"

#include <memory>

namespace korvanta::codec {

struct FileIoDeleter {
    void operator()(AVIOContext *io) const;
};
using FileIoPtr = std::unique_ptr<AVIOContext, FileIoDeleter>;

// An I/O context reading `file` from its start; `file` must outlive it. Null when out of
// memory.
FileIoPtr makeFileIo(FileReader &file);

}  // namespace korvanta::codec
