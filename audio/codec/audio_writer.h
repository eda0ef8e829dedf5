// An output file being written from interleaved 16-bit PCM. Implementations write through to
// the file as they go, so a recording survives the program dying; a failed write (disk full,
// file size limit) is remembered, later writes are dropped, and finish() still leaves a valid
// file holding what was written.
#pragma once

#include <QString>

#include <cstdint>

namespace korvanta::codec {

class AudioWriter {
public:
    virtual ~AudioWriter() = default;
    AudioWriter(const AudioWriter &) = delete;
    AudioWriter &operator=(const AudioWriter &) = delete;

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    int64_t framesWritten() const { return framesWritten_; }
    // The most frames the file can hold in all; past them write() fails. Formats without
    // such a limit hold as many as a 64-bit count does.
    virtual int64_t frameCapacity() const { return INT64_MAX; }
    // Readable description of what is being written.
    virtual QString formatText() const = 0;

    // Appends `frames` frames of channels() interleaved samples; false after any failure.
    virtual bool write(const int16_t *samples, int frames) = 0;
    // Completes the file; false if that (or an earlier write) failed.
    virtual bool finish() = 0;

    int errorNum() const { return errorNum_; }
    const QString &errorText() const { return errorText_; }

protected:
    AudioWriter(int sampleRate, int channels) : sampleRate_(sampleRate), channels_(channels) {}

    bool failed() const { return errorNum_ != 0; }
    void fail(int errorNum, const QString &text) {
        if (errorNum_ == 0) {
            errorNum_ = errorNum;
            errorText_ = text;
        }
    }
    void addFrames(int64_t frames) { framesWritten_ += frames; }

private:
    int sampleRate_;
    int channels_;
    int64_t framesWritten_ = 0;
    int errorNum_ = 0;
    QString errorText_;
};

}  // namespace korvanta::codec
