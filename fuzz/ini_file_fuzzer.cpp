// Arbitrary bytes as setup.ini: reads, then a write that must read back.
#include "fuzz/fuzz_exercises.h"
#include "fuzz/fuzz_main_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = korvanta::fuzz::scratchPath(QStringLiteral("setup.ini"));
    if (korvanta::fuzz::writeInputFile(path, data, size)) {
        korvanta::fuzz::exerciseIniFile(path);
    }
    return 0;
}
