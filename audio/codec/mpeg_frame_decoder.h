// Decodes MPEG audio one frame at a time for MpegAudioSource, which finds, counts and seeks
// the frames itself. Two decoders do it: libmpg123's, which the program opens in a fraction of
// a millisecond, and FFmpeg's in the codec module, for when libmpg123 can't be opened.
#pragma once

#include "audio/codec/mpeg_audio_header.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvanta::codec {

class MpegFrameDecoder {
public:
    virtual ~MpegFrameDecoder() = default;

    // Appends the frame's samples, interleaved signed 16 bit with the stream's channel count,
    // to `out`. `nextHeader` holds the first 4 bytes of the frame that will be given next (at
    // the end of the stream, this frame's own): libmpg123 confirms the first frame after a
    // reset by the header that follows it. A layer 3 frame whose bit reservoir lies in frames
    // not given since the last reset() may give silence. False when the frame doesn't decode.
    virtual bool decode(const uint8_t *frame, size_t bytes, const uint8_t *nextHeader,
                        std::vector<int16_t> &out) = 0;
    // Forgets what earlier frames left behind, before frames from elsewhere in the stream.
    virtual void reset() = 0;
};

// Makes a decoder for the stream whose first audio frame is `stream`; null if there is none.
using MpegDecoderFactory = std::unique_ptr<MpegFrameDecoder> (*)(const MpegFrameHeader &stream);

}  // namespace korvanta::codec
