// A decoded audio file as a stream of interleaved 16-bit frames with exact positions.
//
// Subclasses decode blocks and say where each block starts on the output timeline (frame 0 is
// the first sample the listener hears; encoder delay lies before it). This base turns that
// into sample-accurate reading and seeking: seek repositions the decoder somewhat before the
// target and decodes forward, dropping what lies before it.
#pragma once

#include <QString>

#include <cstdint>
#include <limits>
#include <vector>

namespace korvanta::codec {

class AudioSource {
public:
    virtual ~AudioSource() = default;
    AudioSource(const AudioSource &) = delete;
    AudioSource &operator=(const AudioSource &) = delete;

    // In frames. Lowered to the real end should reading find the data ending early.
    int64_t length() const { return length_; }
    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    const QString &formatText() const { return formatText_; }
    // FFmpeg's short name of the container ("mp3" for any MPEG audio stream, "wav", "asf"...).
    const QString &containerName() const { return containerName_; }
    int64_t position() const { return pos_; }

    // Appends up to `frames` frames from the current position to `out`; returns how many.
    int read(int frames, std::vector<int16_t> &out);
    // Moves to `target` (clamped to the file); returns the position reached.
    int64_t seek(int64_t target);

protected:
    AudioSource() = default;

    static constexpr int64_t kUnknownStart = std::numeric_limits<int64_t>::min();

    struct Block {
        int64_t start = kUnknownStart;  // timeline position of the first frame
        std::vector<int16_t> samples;   // interleaved, channels() per frame
    };

    // Decodes the next block; false at the end of the stream.
    virtual bool decodeNext(Block &block) = 0;
    // Repositions so that the next block starts at or before `target`; false if it can't.
    // The first block after it must carry its start, or the base falls back to rewind().
    virtual bool seekBefore(int64_t target) = 0;
    // Back to the beginning; the first block after it must carry its start.
    virtual bool rewind() = 0;

    // Called by subclasses once the stream is open.
    void setStreamInfo(int sampleRate, int channels, int64_t length, const QString &text) {
        sampleRate_ = sampleRate;
        channels_ = channels;
        length_ = length;
        formatText_ = text;
    }
    void setContainerName(const QString &name) { containerName_ = name; }
    // Whether reading stops at length() even if the decoder has more (gapless MP3 padding).
    void setStopAtLength(bool stop) { stopAtLength_ = stop; }

private:
    int64_t bufferEnd() const;
    bool pull();
    void dropBefore(int64_t position);
    void resetBuffer();
    bool reposition(int64_t target);

    int sampleRate_ = 0;
    int channels_ = 1;
    int64_t length_ = 0;
    QString formatText_;
    QString containerName_;
    bool stopAtLength_ = false;

    int64_t pos_ = 0;           // next frame read() delivers
    std::vector<int16_t> buf_;  // decoded frames not yet delivered
    size_t bufOffset_ = 0;      // samples of buf_ already consumed
    int64_t bufStart_ = 0;      // position of buf_[bufOffset_]
    bool synced_ = false;       // false until the first block after a reposition arrived
    int64_t nextStart_ = 0;     // position of the next decoded block once synced
    bool eof_ = false;
    bool overshoot_ = false;  // the first block after a reposition started after the target
};

}  // namespace korvanta::codec
