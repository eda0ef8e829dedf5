// Arbitrary bytes as an audio file whose facts and tags are loaded.
#include "fuzz/fuzz_exercises.h"
#include "fuzz/fuzz_main_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = korvanta::fuzz::scratchPath(QStringLiteral("input"));
    if (korvanta::fuzz::writeInputFile(path, data, size)) {
        korvanta::fuzz::exerciseAudioInformation(path);
    }
    return 0;
}
