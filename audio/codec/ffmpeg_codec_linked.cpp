// For builds that link the FFmpeg code into the program itself (the fuzzers): no loading.
#include "audio/codec/ffmpeg_codec.h"

namespace korvanta::codec {

const FfmpegCodec *ffmpegCodec(QString * /*errorText*/) {
    return korvanta_ffmpeg_codec();
}

}  // namespace korvanta::codec
