// Writes constant-bitrate stereo MP3 through LAME. Encoded frames go to the file as soon as
// LAME hands them out; at finish the Xing/LAME info frame at the start is filled in, which
// gives players the exact length and the encoder delay and padding. After a failed write (a
// full disk) finish() cuts a last partial frame off and gives the info frame the counts of
// the frames that reached the file (stream_repair.h).
#pragma once

#include "audio/codec/audio_writer.h"
#include "audio/codec/lame_api.h"
#include "audio/codec/posix_file.h"

#include <memory>
#include <vector>

namespace korvanta::codec {

struct LameDeleter {
    void operator()(lame_global_flags *p) const { lame_close(p); }
};
using LamePtr = std::unique_ptr<lame_global_flags, LameDeleter>;

class Mp3Writer : public AudioWriter {
public:
    static std::unique_ptr<Mp3Writer> create(const QString &path, int sampleRate, int bitrateKbps,
                                             int *errorNum, QString *errorText);

    QString formatText() const override;
    bool write(const int16_t *samples, int frames) override;
    bool finish() override;

private:
    Mp3Writer(const QString &path, int sampleRate, int bitrateKbps)
        : AudioWriter(sampleRate, 2), path_(path), bitrateKbps_(bitrateKbps) {}
    bool writeOut(int bytes);

    QString path_;
    int bitrateKbps_;
    LamePtr lame_;
    FileWriter file_;
    std::vector<unsigned char> out_;
    std::vector<short> in_;
    bool finished_ = false;
};

// The MPEG version wording for a sample rate: "MPEG 1.0", "MPEG 2.0" or "MPEG 2.5".
QString mpegVersionForRate(int sampleRate);

}  // namespace korvanta::codec
