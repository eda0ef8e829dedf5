// Writes PCM WAV (8-bit unsigned or 16-bit signed). The RIFF and data sizes in the header are
// brought up to date after every block, so a file whose writer died is complete up to its
// last block.
#pragma once

#include "audio/codec/audio_writer.h"
#include "audio/codec/posix_file.h"

#include <memory>
#include <vector>

namespace korvanta::codec {

class WavWriter : public AudioWriter {
public:
    // Creates the file; on failure returns null and sets `errorNum`/`errorText`. The file
    // grows to at most `maxFileBytes` bytes, and never past the 4 GB that its 32-bit sizes
    // can describe.
    static std::unique_ptr<WavWriter> create(const QString &path, int sampleRate, int channels,
                                             int bitsPerSample, int *errorNum, QString *errorText,
                                             int64_t maxFileBytes = INT64_MAX);

    QString formatText() const override;
    int64_t frameCapacity() const override { return maxDataBytes_ / blockAlign_; }
    bool write(const int16_t *samples, int frames) override;
    bool finish() override;

private:
    WavWriter(int sampleRate, int channels, int bits, int64_t maxFileBytes);
    int writeSizes();

    FileWriter file_;
    int bits_;
    int blockAlign_;
    int64_t maxDataBytes_;  // whole frames only
    int64_t dataBytes_ = 0;
    bool finished_ = false;
    std::vector<uint8_t> scratch_;
};

}  // namespace korvanta::codec
