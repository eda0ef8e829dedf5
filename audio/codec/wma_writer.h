// Writes Windows Media Audio 2 in an ASF file through FFmpeg, from one of our WMA profiles.
// Packets are flushed to the file as they are encoded.
#pragma once

#include "audio/codec/audio_writer.h"
#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/wma_profiles.h"

#include <memory>
#include <vector>

namespace korvanta::codec {

class WmaWriter : public AudioWriter {
public:
    static std::unique_ptr<WmaWriter> create(const QString &path, const WmaProfile &profile,
                                             int *errorNum, QString *errorText);

    QString formatText() const override;
    bool write(const int16_t *samples, int frames) override;
    bool finish() override;

private:
    explicit WmaWriter(const WmaProfile &profile)
        : AudioWriter(profile.sampleRate, profile.channels), profile_(profile) {}
    bool encodeFrame(bool flush);
    bool sendToEncoder(const AVFrame *frame);
    bool checkIo(const char *what, int rc);

    WmaProfile profile_;
    QString path_;
    OutputFormatPtr output_;
    CodecContextPtr encoder_;
    AVStream *stream_ = nullptr;  // owned by output_
    AudioFifoPtr fifo_;
    FramePtr frame_;
    PacketPtr packet_;
    std::vector<float> planes_;
    int64_t nextPts_ = 0;
    bool finished_ = false;
};

}  // namespace korvanta::codec
