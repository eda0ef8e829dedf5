// Reads any audio FFmpeg can demux and decode (WAV, WMA/ASF, Ogg Vorbis, AVI, MPEG program
// streams, Musepack, G.721/G.726 ...). Positions come from the stream's timestamps, snapped
// to the codec's frame grid where the container's clock is coarser than a sample (ASF).
#pragma once

#include "audio/codec/audio_source.h"
#include "audio/codec/ffmpeg_file_io.h"
#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/musepack_header.h"
#include "audio/codec/pcm_converter.h"

#include <memory>
#include <optional>

namespace korvanta::codec {

class FfmpegSource : public AudioSource {
public:
    // Opens `path`, detecting the format from its content; with `rawG721` as headerless
    // G.721 data (32 kbit/s ADPCM at 8000 Hz), which has nothing to detect it by.
    static std::unique_ptr<FfmpegSource> open(const QString &path, bool rawG721, int *errorNum,
                                              QString *errorText);
    // Opens bytes [start, end) of `path` as a file of its own: one link of a chained Ogg file.
    static std::unique_ptr<FfmpegSource> openPart(const QString &path, int64_t start, int64_t end,
                                                  int *errorNum, QString *errorText);

protected:
    bool decodeNext(Block &block) override;
    bool seekBefore(int64_t target) override;
    bool rewind() override;

private:
    FfmpegSource() = default;

    // The whole file when `start` is negative.
    static std::unique_ptr<FfmpegSource> open(const QString &path, bool rawG721, int64_t start,
                                              int64_t end, int *errorNum, QString *errorText);
    bool openInput(int *errorNum, QString *errorText);
    bool openStream(int *errorNum, QString *errorText);
    bool openDecoder();
    std::optional<int64_t> setUpTrimming();
    bool readMusepackHeader(MusepackStreamHeader *header);
    int64_t lengthFromContainer() const;
    int64_t lengthFromPackets();
    bool containerKnowsLength() const;
    int64_t snapToGrid(int64_t position) const;
    int64_t positionOf(int64_t timestamp) const;
    int64_t timestampOf(int64_t position) const;
    QString describe() const;
    int64_t startTs() const;
    int64_t firstPacketTs() const;
    bool randomAccess() const;
    bool flushDecoder();

    QString path_;
    bool rawG721_ = false;
    FileReader file_;
    FileIoPtr io_;  // FFmpeg's view of file_; outlives input_, which reads through it
    InputFormatPtr input_;
    CodecContextPtr decoder_;
    PacketPtr packet_;
    FramePtr frame_;
    std::unique_ptr<PcmConverter> converter_;
    int streamIndex_ = -1;
    AVRational timeBase_{1, 1};
    int64_t originTs_ = 0;  // timestamp of the first decoded sample
    int64_t lead_ = 0;      // decoded samples before the first heard one (codec delay, pre-skip)
    bool trimByUs_ = false;
    int64_t cutTail_ = 0;  // decoded samples at the end of a file cut short that aren't sound  //
                           // FFmpeg's trimming is off: we cut lead_ and stop at the length
    int frameGrid_ = 1;    // positions are multiples of this (codec frame length)
    bool firstFrameDropped_ = false;  // the decoder never outputs the first frame (WMA)
    bool draining_ = false;
    bool finished_ = false;
    // What the next decoded block follows. One value, so a seek after a rewind that read
    // nothing can't leave the rewind's claim standing: its first block would be taken for the
    // file's start, and every seek straight after opening would land too far on.
    enum class NextBlock { Continues, FirstAfterSeek, FirstFromTop };
    NextBlock nextBlock_ = NextBlock::Continues;
    int64_t fileSize_ = 0;
    int64_t dataStart_ = 0;    // where the demuxer stood after reading the header
    int64_t packetsRead_ = 0;  // of our stream, since opening
};

}  // namespace korvanta::codec
