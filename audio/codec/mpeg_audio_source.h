// Reads MPEG audio streams (.mp3, .mp2, .mp1 and raw MPEG audio with other names) frame by
// frame with our own frame index, decoding each frame with the decoder it is given
// (mpeg_frame_decoder.h). Knowing each frame's number makes
// seeking sample-accurate, and the length comes from the Xing/LAME or VBRI tag or, for
// constant bitrate, from the file size, so a long file is never decoded to open or seek it.
#pragma once

#include "audio/codec/audio_source.h"
#include "audio/codec/mpeg_audio_header.h"
#include "audio/codec/mpeg_frame_decoder.h"
#include "audio/codec/posix_file.h"

#include <memory>

namespace korvanta::codec {

class MpegAudioSource : public AudioSource {
public:
    // Opens `path`; on failure returns null and sets `errorNum` and `errorText`.
    static std::unique_ptr<MpegAudioSource> open(const QString &path,
                                                 MpegDecoderFactory makeDecoder, int *errorNum,
                                                 QString *errorText);
    // A cheap content test: does a run of MPEG audio frames begin near the file's start?
    static bool looksLikeMpegAudio(const QString &path);
    // A strict one: does the audio (after any ID3v2 tags) begin with a run of MPEG audio
    // frames, at its first byte? Such a file is MPEG audio whatever else could read it.
    static bool startsWithMpegAudio(const QString &path);

protected:
    bool decodeNext(Block &block) override;
    bool seekBefore(int64_t target) override;
    bool rewind() override;

private:
    MpegAudioSource() = default;

    bool openStream(const QString &path, MpegDecoderFactory makeDecoder, int *errorNum,
                    QString *errorText);
    void findAudioRange();
    bool findFirstFrame();
    bool confirmedFrameAt(int64_t offset, MpegFrameHeader *header);
    std::optional<MpegFrameHeader> headerAt(int64_t offset);
    bool frameAt(int64_t index, int64_t *offset, MpegFrameHeader *header);
    void scanFrames(int64_t untilIndex);
    // Appends frame `index`'s samples to `out`.
    bool decodeFrame(int64_t index, std::vector<int16_t> &out);
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

    std::unique_ptr<MpegFrameDecoder> decoder_;
    std::vector<uint8_t> frameBytes_;  // the frame being decoded
};

}  // namespace korvanta::codec
