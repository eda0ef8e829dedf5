// FFmpeg's MPEG audio decoders (layers 1, 2 and 3) behind MpegFrameDecoder, in the codec module.
#pragma once

#include "audio/codec/mpeg_frame_decoder.h"

namespace korvanta::codec {

std::unique_ptr<MpegFrameDecoder> makeFfmpegMpegDecoder(const MpegFrameHeader &stream);

}  // namespace korvanta::codec
