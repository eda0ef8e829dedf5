// A tenth of a second of silence as a 44.1 kHz stereo 16-bit WAV file, for tests that hand
// the program a file to open.
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

namespace testsupport {

inline QByteArray shortWav() {
    const auto append = [](QByteArray &bytes, uint32_t value) {
        const uint32_t little = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
    };
    const uint32_t dataBytes = 4410 * 4;
    QByteArray bytes("RIFF");
    append(bytes, 36 + dataBytes);
    bytes += "WAVEfmt ";
    for (const uint32_t v : {16u, 0x00020001u, 44100u, 44100u * 4, 0x00100004u})
        append(bytes, v);
    bytes += "data";
    append(bytes, dataBytes);
    bytes += QByteArray(dataBytes, '\0');
    return bytes;
}

}  // namespace testsupport
