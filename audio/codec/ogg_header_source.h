// An Ogg Opus or Vorbis file that holds its header pages and no sound yet: a recording
// created and stopped at once, or one killed before its first page of sound reached the disk.
// FFmpeg refuses such a file; it is read here as what it is, a stream of no length.
#pragma once

#include "audio/codec/audio_source.h"
#include "audio/codec/posix_file.h"

#include <memory>

namespace korvanta::codec {

// Null when `file` does not start with an Opus or Vorbis identification header.
std::unique_ptr<AudioSource> openHeaderOnlyOgg(FileReader &file);

}  // namespace korvanta::codec
