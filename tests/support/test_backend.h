// The sound backend of a test process: the one the environment asks for (ctest sets
// KORVANTA_AUDIO), created on first use and shared by every window the tests open, as the
// program shares its one backend.
#pragma once

#include "audio/devices/audio_backend.h"

#include <memory>

inline AudioBackend &testBackend() {
    static const std::unique_ptr<AudioBackend> backend = createAudioBackend();
    return *backend;
}
