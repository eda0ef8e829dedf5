// Reads MPEG audio streams (.mp3, .mp2, .mp1 and raw MPEG audio with other names) frame by
// frame with our own frame index, decoding through FFmpeg. Knowing each frame's number makes
// seeking sample-accurate, and the length comes from the Xing/LAME or VBRI tag or, for
// constant bitrate, from the file size, so a long file is never decoded to open or seek it.
#pragma once

#include "audio/codec/audio_source.h"
#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/mpeg_audio_header.h"
#include "audio/codec/pcm_converter.h"
#include "audio/codec/posix_file.h"

#include <memory>

namespace korvanta::codec {

class MpegAudioSource : public AudioSource {
public:
    // Opens `path`; on failure returns null and sets `errorNum` and `errorText`.
    static std::unique_ptr<MpegAudioSource> open(const QString &path, int *errorNum,
                                                 QString *errorText);
    // A cheap content test: does a run of MPEG audio frames begin near the file's start?
    static bool looksLikeMpegAudio(const QString &path);

protected:
    bool decodeNext(Block &block) override;
    bool seekBefore(int64_t target) override;
    bool rewind() override;

private:
    MpegAudioSource() = default;

    bool openStream(const QString &path, int *errorNum, QString *errorText);
    void findAudioRange();
    bool findFirstFrame();
    bool confirmedFrameAt(int64_t offset, MpegFrameHeader *header);
    std::optional<MpegFrameHeader> headerAt(int64_t offset);
    bool frameAt(int64_t index, int64_t *offset, MpegFrameHeader *header);
    void scanFrames(int64_t untilIndex);
    bool openDecoder();
    bool decodeFrame(int64_t offset, const MpegFrameHeader &header, std::vector<int16_t> &out);
    bool isConstantBitrate(double *frameBytes);
    QString describe(bool vbr) const;

    FileReader file_;
    int64_t audioStart_ = 0;  // first byte after leading ID3v2 tags
    int64_t audioEnd_ = 0;    // first byte of trailing ID3v1/APE tags
    MpegFrameHeader first_;   // the first frame (possibly the Xing/Info frame)
    int64_t firstFrameOffset_ = 0;

    std::vector<int64_t> frameOffsets_;  // audio frame k begins at frameOffsets_[k]
    int64_t scanOffset_ = 0;             // where the index continues
    bool scanDone_ = false;

    int64_t frameCount_ = 0;
    int64_t skip_ = 0;  // decoded frames before timeline position 0
    int64_t nextFrame_ = 0;
    int64_t audioBytes_ = 0;

    CodecContextPtr decoder_;
    PacketPtr packet_;
    FramePtr frame_;
    std::unique_ptr<PcmConverter> converter_;
};

}  // namespace korvanta::codec
