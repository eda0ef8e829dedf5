#include "audio/codec/musepack_header.h"

#include <cstring>

namespace korvanta::codec {

namespace {

// SV8's variable-length numbers: seven bits a byte, the high bit says another byte follows.
bool readVarLength(const uint8_t *data, size_t size, size_t *at, int64_t *value) {
    int64_t v = 0;
    for (int n = 0; n < 9; ++n) {
        if (*at >= size) {
            return false;
        }
        const uint8_t byte = data[(*at)++];
        v = (v << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            *value = v;
            return true;
        }
    }
    return false;
}

}  // namespace

bool parseMusepack8Header(const uint8_t *data, size_t size, MusepackStreamHeader *header) {
    if (size < 4 || std::memcmp(data, "MPCK", 4) != 0) {
        return false;
    }
    size_t at = 4;
    // Chunks: a two-letter key, then the chunk's size including key and size field.
    while (at + 2 < size) {
        const size_t chunkStart = at;
        const bool streamHeader = data[at] == 'S' && data[at + 1] == 'H';
        at += 2;
        int64_t chunkSize = 0;
        if (!readVarLength(data, size, &at, &chunkSize) ||
            chunkSize < static_cast<int64_t>(at - chunkStart)) {
            return false;
        }
        if (streamHeader) {
            // CRC (4 bytes), stream version, sample count, beginning silence.
            at += 4;
            if (at >= size || data[at] != 8) {
                return false;
            }
            ++at;
            MusepackStreamHeader h;
            if (!readVarLength(data, size, &at, &h.samples) ||
                !readVarLength(data, size, &at, &h.beginningSilence) ||
                h.beginningSilence > h.samples) {
                return false;
            }
            *header = h;
            return true;
        }
        if (chunkSize > static_cast<int64_t>(size - chunkStart)) {
            return false;
        }
        at = chunkStart + static_cast<size_t>(chunkSize);
    }
    return false;
}

}  // namespace korvanta::codec
