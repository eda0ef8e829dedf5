#include "audio/codec/musepack_header.h"

#include <algorithm>
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

// The stream header's payload: CRC (4 bytes), stream version, sample count, leading silence.
bool parseStreamHeader(const uint8_t *data, size_t size, MusepackStreamHeader *header) {
    size_t at = 4;
    if (at >= size || data[at] != 8) {
        return false;
    }
    ++at;
    return readVarLength(data, size, &at, &header->samples) &&
           readVarLength(data, size, &at, &header->beginningSilence) &&
           header->beginningSilence <= header->samples;
}

}  // namespace

bool readMusepack8Header(const ReadAt &read, int64_t start, int64_t fileSize,
                         MusepackStreamHeader *header) {
    uint8_t magic[4];
    if (read(start, magic, sizeof magic) != sizeof magic || std::memcmp(magic, "MPCK", 4) != 0) {
        return false;
    }
    MusepackStreamHeader found;
    bool haveHeader = false;
    // Chunks: a two-letter key, then the chunk's size including key and size field.
    int64_t at = start + 4;
    while (at < fileSize) {
        uint8_t head[11];
        const size_t got = read(at, head, sizeof head);
        size_t headLength = 2;
        int64_t chunkSize = 0;
        if (got < 3 || !readVarLength(head, got, &headLength, &chunkSize) ||
            chunkSize < static_cast<int64_t>(headLength) || chunkSize > fileSize - at) {
            break;  // cut short, or not a chunk: the file does not end as a stream ends
        }
        if (head[0] == 'S' && head[1] == 'H') {
            uint8_t payload[32];
            const size_t wanted = static_cast<size_t>(
                std::min<int64_t>(chunkSize - static_cast<int64_t>(headLength), sizeof payload));
            if (read(at + static_cast<int64_t>(headLength), payload, wanted) != wanted ||
                !parseStreamHeader(payload, wanted, &found)) {
                return false;
            }
            haveHeader = true;
        } else if (head[0] == 'S' && head[1] == 'E') {
            found.complete = true;
            break;
        }
        at += chunkSize;
    }
    if (haveHeader) {
        *header = found;
    }
    return haveHeader;
}

}  // namespace korvanta::codec
