// Writes FLAC, or Opus or Vorbis in Ogg, through FFmpeg's encoders and muxers.
//
// After a failed write (a full disk, the file size limit) finish() cuts the file to the whole
// frames or pages that reached it and fills in the header in place (stream_repair.h).
//
// What a kill leaves behind: every block handed to write() reaches the file except what the
// encoder still holds (less than a FLAC block, a few Opus or Vorbis frames). FLAC's header
// states the length only once finish() has run; before that it says "unknown", which every
// decoder accepts. Ogg pages are pushed out at least every kOggFlushMilliseconds of sound, so
// a killed Ogg file plays up to within that of the last block written.
#pragma once

#include "audio/codec/audio_writer.h"
#include "audio/codec/encoded_format.h"
#include "audio/codec/ffmpeg_handles.h"

#include <memory>
#include <vector>

namespace korvanta::codec {

class EncodedWriter : public AudioWriter {
public:
    static constexpr int kOggFlushMilliseconds = 500;

    static std::unique_ptr<EncodedWriter> create(const QString &path, const EncodedFormat &format,
                                                 int *errorNum, QString *errorText);

    QString formatText() const override;
    bool write(const int16_t *samples, int frames) override;
    bool finish() override;

private:
    EncodedWriter(const QString &path, const EncodedFormat &format)
        : AudioWriter(format.sampleRate, format.channels), path_(path), format_(format) {}
    bool setUpEncoder(const QString &path, int *errorNum, QString *errorText);
    bool queue(const int16_t *samples, int frames);
    bool encodeFrame(bool flush);
    bool sendToEncoder(const AVFrame *frame);
    bool checkIo(const char *what, int rc);
    bool isOgg() const { return format_.codec != EncodedCodec::Flac; }

    QString path_;
    EncodedFormat format_;
    OutputFormatPtr output_;
    CodecContextPtr encoder_;
    AVStream *stream_ = nullptr;  // owned by output_
    AudioFifoPtr fifo_;
    FramePtr frame_;
    PacketPtr packet_;
    std::vector<float> planes_;
    int64_t nextPts_ = 0;
    int64_t flushedAt_ = 0;  // frames written when the Ogg pages were last pushed out
    bool finished_ = false;
};

}  // namespace korvanta::codec
