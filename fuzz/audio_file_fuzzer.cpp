// Arbitrary bytes as an audio file: open, read through, seek and read again.
#include "fuzz/fuzz_exercises.h"
#include "fuzz/fuzz_main_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = korvanta::fuzz::scratchPath(QStringLiteral("input"));
    if (!korvanta::fuzz::writeInputFile(path, data, size)) {
        return 0;
    }
    uint32_t seed = 2166136261u;
    for (size_t i = 0; i < size; i += 97) {
        seed = (seed ^ data[i]) * 16777619u;
    }
    korvanta::fuzz::exerciseAudioFile(path, seed);
    return 0;
}
