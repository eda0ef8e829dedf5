// Opens an audio file for reading with the right reader for its content.
#pragma once

#include "audio/codec/audio_source.h"

#include <memory>

namespace korvanta::codec {

// Returns null on failure and sets `errorNum` (codec_error.h) and `errorText`.
std::unique_ptr<AudioSource> probeAndOpenAudioSource(const QString &path, int *errorNum,
                                                     QString *errorText);

}  // namespace korvanta::codec
