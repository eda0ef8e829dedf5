// The facts of a Musepack SV8 stream that FFmpeg's demuxer keeps to itself: the exact number
// of samples, the silence the encoder put before them, and whether the file is whole. The
// container's own duration counts whole packets only (tens of thousands of samples each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace korvanta::codec {

// Samples the Musepack synthesis filter delays its output by; the decoder's first output
// samples are its warm-up, not sound.
constexpr int kMusepackDecoderDelay = 481;
// Samples per frame; a packet holds a power of 4 of them.
constexpr int kMusepackFrameLength = 1152;

struct MusepackStreamHeader {
    int64_t samples = 0;           // as the encoder counted them, silence included
    int64_t beginningSilence = 0;  // the reference decoder leaves these out
    bool complete = false;         // every chunk is whole, up to the stream's end chunk
};

// Reads up to `size` bytes at `offset` of the file; returns how many it got.
using ReadAt = std::function<size_t(int64_t offset, uint8_t *data, size_t size)>;

// Reads the stream header of the SV8 stream starting ("MPCK") at `start` and walks its chunks
// to the end; false when there is no such stream.
bool readMusepack8Header(const ReadAt &read, int64_t start, int64_t fileSize,
                         MusepackStreamHeader *header);

}  // namespace korvanta::codec
