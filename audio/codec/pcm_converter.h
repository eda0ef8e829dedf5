// Turns decoded frames of any sample format and layout into interleaved signed 16-bit PCM
// at the same rate, with one or two channels (more are mixed down to stereo).
#pragma once

#include "audio/codec/ffmpeg_handles.h"

#include <cstdint>
#include <vector>

namespace korvanta::codec {

class PcmConverter {
public:
    // The channel count the converter delivers for a source with `sourceChannels`.
    static int outputChannels(int sourceChannels) { return sourceChannels >= 2 ? 2 : 1; }

    explicit PcmConverter(int outChannels) : outChannels_(outChannels) {}
    ~PcmConverter() { av_channel_layout_uninit(&inLayout_); }
    PcmConverter(const PcmConverter &) = delete;
    PcmConverter &operator=(const PcmConverter &) = delete;

    // Forgets buffered state, after a seek.
    void reset() { swr_.reset(); }

    // Appends the frame's samples to `out`; returns false when the frame can't be converted.
    bool append(const AVFrame &frame, std::vector<int16_t> &out);

private:
    bool configure(const AVFrame &frame);

    int outChannels_;
    SwrPtr swr_;
    int inFormat_ = -1;
    int inRate_ = 0;
    AVChannelLayout inLayout_{};
};

}  // namespace korvanta::codec
