#include "audio/codec/ffmpeg_handles.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <mutex>

namespace korvanta::codec {

QString ffmpegErrorText(int errnum) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(errnum, buf, sizeof buf);
    return QString::fromLocal8Bit(buf);
}

void quietFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_FATAL);
        // Demuxers allocate what a header claims before reading it: a damaged 100-byte WAV
        // whose INFO list claims 2 GB would get 2 GB, zeroed. No buffer of an audio file
        // comes near this size, so a claim beyond it fails like the damage it is.
        av_max_alloc(kMaxFfmpegAllocation);
    });
}

}  // namespace korvanta::codec
