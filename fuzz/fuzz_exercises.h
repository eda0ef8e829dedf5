// What the fuzzers do with one input, kept apart from the fuzzer entry points so that the
// regression tests can replay a found input through exactly the same calls.
//
// Each exercise works on a file (the components take paths, not buffers) and aborts when
// an answer contradicts the component's own contract, so libFuzzer reports it like a crash.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace korvanta::fuzz {

// What a broken contract does: by default it aborts, which libFuzzer reports as a crash;
// the regression tests record a test failure instead and carry on.
using ContractHandler = void (*)(const char *what);
void setContractHandler(ContractHandler handler);

// Writes `size` bytes to `path`, replacing it; false when the file can't be written.
bool writeInputFile(const QString &path, const uint8_t *data, size_t size);

// Opens the file with TAudioFile2, reads it through, seeks to a few places chosen from
// `seed`, reads again after each seek.
void exerciseAudioFile(const QString &path, uint32_t seed);

// Loads facts and tags with TAudioInformation2 and asks for every property.
void exerciseAudioInformation(const QString &path);

// Reads a handful of keys through IniFile, then writes one and reads it back.
void exerciseIniFile(const QString &path);

}  // namespace korvanta::fuzz
