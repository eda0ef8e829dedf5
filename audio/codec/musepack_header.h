// The facts of a Musepack SV8 stream header that FFmpeg's demuxer keeps to itself: the exact
// number of samples and the silence the encoder put before them. The container's own
// duration counts whole packets only (tens of thousands of samples each).
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvanta::codec {

// Samples the Musepack synthesis filter delays its output by; the decoder's first output
// samples are its warm-up, not sound.
constexpr int kMusepackDecoderDelay = 481;

struct MusepackStreamHeader {
    int64_t samples = 0;           // as the encoder counted them, silence included
    int64_t beginningSilence = 0;  // the reference decoder leaves these out
};

// Reads the stream header from the bytes of a file's start ("MPCK" and the chunks after it);
// false when they hold none.
bool parseMusepack8Header(const uint8_t *data, size_t size, MusepackStreamHeader *header);

}  // namespace korvanta::codec
