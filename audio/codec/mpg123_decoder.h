// libmpg123's MPEG audio decoder (layers 1, 2 and 3) behind MpegFrameDecoder, fed one frame at
// a time. Gapless trimming is left to MpegAudioSource, which knows the stream's frames.
#pragma once

#include "audio/codec/mpeg_frame_decoder.h"

namespace korvanta::codec {

// Null when libmpg123 can't be opened or refuses the stream.
std::unique_ptr<MpegFrameDecoder> makeMpg123Decoder(const MpegFrameHeader &stream);

}  // namespace korvanta::codec
