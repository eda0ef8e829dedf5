// Owning wrappers for the FFmpeg objects the codec code uses, so that every early return and
// every failed open releases what was allocated so far.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include <QString>

#include <memory>

namespace korvanta::codec {

struct InputFormatDeleter {
    void operator()(AVFormatContext *p) const { avformat_close_input(&p); }
};
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatDeleter>;

// An output context owns its AVIOContext; closing it flushes and closes the file.
struct OutputFormatDeleter {
    void operator()(AVFormatContext *p) const {
        if (p->pb != nullptr && !(p->oformat->flags & AVFMT_NOFILE)) {
            avio_closep(&p->pb);
        }
        avformat_free_context(p);
    }
};
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;

struct CodecContextDeleter {
    void operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;

struct FrameDeleter {
    void operator()(AVFrame *p) const { av_frame_free(&p); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

struct PacketDeleter {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

struct SwrDeleter {
    void operator()(SwrContext *p) const { swr_free(&p); }
};
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;

struct AudioFifoDeleter {
    void operator()(AVAudioFifo *p) const { av_audio_fifo_free(p); }
};
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;

inline FramePtr makeFrame() {
    return FramePtr(av_frame_alloc());
}
inline PacketPtr makePacket() {
    return PacketPtr(av_packet_alloc());
}

// Readable text of an FFmpeg error code.
QString ffmpegErrorText(int errnum);

// FFmpeg's own console chatter about damaged input is of no use to a desktop program;
// lowered once, on first use of the codec code. The same first use caps any single FFmpeg
// allocation at kMaxFfmpegAllocation bytes.
void quietFfmpegLog();
constexpr size_t kMaxFfmpegAllocation = 64 * 1024 * 1024;

}  // namespace korvanta::codec
