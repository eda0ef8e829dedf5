#include "audio/codec/ffmpeg_mpeg_decoder.h"

#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/pcm_converter.h"

#include <cstring>

namespace korvanta::codec {

namespace {

class FfmpegMpegDecoder : public MpegFrameDecoder {
public:
    bool open(const MpegFrameHeader &stream) {
        const AVCodecID id = stream.layer == 3   ? AV_CODEC_ID_MP3
                             : stream.layer == 2 ? AV_CODEC_ID_MP2
                                                 : AV_CODEC_ID_MP1;
        const AVCodec *codec = avcodec_find_decoder(id);
        if (codec == nullptr) {
            return false;
        }
        decoder_.reset(avcodec_alloc_context3(codec));
        packet_ = makePacket();
        frame_ = makeFrame();
        if (!decoder_ || !packet_ || !frame_) {
            return false;
        }
        decoder_->sample_rate = stream.sampleRate;
        av_channel_layout_default(&decoder_->ch_layout, stream.channels());
        if (avcodec_open2(decoder_.get(), codec, nullptr) < 0) {
            return false;
        }
        converter_ = std::make_unique<PcmConverter>(stream.channels());
        return true;
    }

    bool decode(const uint8_t *frame, size_t bytes, const uint8_t * /*nextHeader*/,
                std::vector<int16_t> &out) override {
        if (av_new_packet(packet_.get(), static_cast<int>(bytes)) < 0) {
            return false;
        }
        std::memcpy(packet_->data, frame, bytes);
        bool ok = avcodec_send_packet(decoder_.get(), packet_.get()) >= 0;
        av_packet_unref(packet_.get());
        while (ok) {
            const int rc = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (rc == AVERROR(EAGAIN)) {
                break;
            }
            if (rc < 0) {
                ok = false;
                break;
            }
            ok = converter_->append(*frame_, out);
            av_frame_unref(frame_.get());
        }
        return ok;
    }

    void reset() override {
        avcodec_flush_buffers(decoder_.get());
        converter_->reset();
    }

private:
    CodecContextPtr decoder_;
    PacketPtr packet_;
    FramePtr frame_;
    std::unique_ptr<PcmConverter> converter_;
};

}  // namespace

std::unique_ptr<MpegFrameDecoder> makeFfmpegMpegDecoder(const MpegFrameHeader &stream) {
    quietFfmpegLog();
    auto decoder = std::make_unique<FfmpegMpegDecoder>();
    if (!decoder->open(stream)) {
        return nullptr;
    }
    return decoder;
}

}  // namespace korvanta::codec
