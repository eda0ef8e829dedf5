#include "audio/codec/pcm_converter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace korvanta::codec {

bool PcmConverter::configure(const AVFrame &frame) {
    AVChannelLayout inLayout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels <= 0) {
        av_channel_layout_default(&inLayout, frame.ch_layout.nb_channels > 0
                                                 ? frame.ch_layout.nb_channels
                                                 : outChannels_);
    } else if (av_channel_layout_copy(&inLayout, &frame.ch_layout) < 0) {
        return false;
    }
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, outChannels_);

    SwrContext *raw = nullptr;
    int rc = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, frame.sample_rate, &inLayout,
                                 static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                                 nullptr);
    SwrPtr swr(raw);
    if (rc < 0) {
        av_channel_layout_uninit(&inLayout);
        return false;
    }
    // A downmix must not clip: scale the matrix so that full-scale input stays in range.
    av_opt_set_double(swr.get(), "rematrix_maxval", 1.0, 0);
    if (swr_init(swr.get()) < 0) {
        av_channel_layout_uninit(&inLayout);
        return false;
    }
    av_channel_layout_uninit(&inLayout);
    // Later frames are compared with the layout as the decoder gives it: had we kept the
    // default filled in for an unspecified one (ASF's WMA), every frame would differ from it
    // and set the converter up anew.
    av_channel_layout_uninit(&inLayout_);
    if (av_channel_layout_copy(&inLayout_, &frame.ch_layout) < 0) {
        return false;
    }
    swr_ = std::move(swr);
    inFormat_ = frame.format;
    inRate_ = frame.sample_rate;
    return true;
}

bool PcmConverter::append(const AVFrame &frame, std::vector<int16_t> &out) {
    if (frame.nb_samples <= 0) {
        return true;
    }
    if (!swr_ || frame.format != inFormat_ || frame.sample_rate != inRate_ ||
        av_channel_layout_compare(&frame.ch_layout, &inLayout_) != 0) {
        if (!configure(frame)) {
            return false;
        }
    }
    const size_t oldSize = out.size();
    out.resize(oldSize + static_cast<size_t>(frame.nb_samples) * outChannels_);
    auto *dst = reinterpret_cast<uint8_t *>(out.data() + oldSize);
    int got = swr_convert(swr_.get(), &dst, frame.nb_samples,
                          const_cast<const uint8_t **>(frame.extended_data), frame.nb_samples);
    if (got < 0) {
        out.resize(oldSize);
        return false;
    }
    out.resize(oldSize + static_cast<size_t>(got) * outChannels_);
    return true;
}

}  // namespace korvanta::codec
