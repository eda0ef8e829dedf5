#include "audio/codec/wav_writer.h"

#include "audio/codec/codec_error.h"

#include <algorithm>
#include <cstring>

#include <QCoreApplication>

namespace korvanta::codec {

namespace {

constexpr int64_t kHeaderBytes = 44;
// RIFF sizes are 32-bit: the data chunk must leave room for the header in a 4 GB file.
constexpr int64_t kMaxDataBytes = 0xFFFFFFFFLL - (kHeaderBytes - 8) - 1;

void putLe16(uint8_t *p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void putLe32(uint8_t *p, uint32_t v) {
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}

}  // namespace

WavWriter::WavWriter(int sampleRate, int channels, int bits, int64_t maxFileBytes)
    : AudioWriter(sampleRate, channels), bits_(bits), blockAlign_(channels * bits / 8) {
    const int64_t data = std::clamp<int64_t>(maxFileBytes - kHeaderBytes, 0, kMaxDataBytes);
    maxDataBytes_ = data / blockAlign_ * blockAlign_;
}

std::unique_ptr<WavWriter> WavWriter::create(const QString &path, int sampleRate, int channels,
                                             int bitsPerSample, int *errorNum, QString *errorText,
                                             int64_t maxFileBytes) {
    std::unique_ptr<WavWriter> w(new WavWriter(sampleRate, channels, bitsPerSample, maxFileBytes));
    if (const int err = w->file_.create(path); err != 0) {
        *errorNum = ErrCannotCreate;
        *errorText = QCoreApplication::translate("WavWriter", "Cannot create %1: %2")
                         .arg(path, systemErrorText(err));
        return nullptr;
    }
    uint8_t h[kHeaderBytes] = {};
    std::memcpy(h, "RIFF", 4);
    putLe32(h + 4, kHeaderBytes - 8);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    putLe32(h + 16, 16);
    putLe16(h + 20, 1);  // integer PCM
    putLe16(h + 22, static_cast<uint32_t>(channels));
    putLe32(h + 24, static_cast<uint32_t>(sampleRate));
    putLe32(h + 28, static_cast<uint32_t>(sampleRate * w->blockAlign_));
    putLe16(h + 32, static_cast<uint32_t>(w->blockAlign_));
    putLe16(h + 34, static_cast<uint32_t>(bitsPerSample));
    std::memcpy(h + 36, "data", 4);
    if (const int err = w->file_.append(h, sizeof h); err != 0) {
        *errorNum = ErrCannotCreate;
        *errorText = QCoreApplication::translate("WavWriter", "Cannot write %1: %2")
                         .arg(path, systemErrorText(err));
        return nullptr;
    }
    return w;
}

QString WavWriter::formatText() const {
    return QStringLiteral("PCM: %1 Hz, %2 bit, %3")
        .arg(sampleRate())
        .arg(bits_)
        .arg(channels() == 1 ? QCoreApplication::translate("WavWriter", "mono")
                             : QCoreApplication::translate("WavWriter", "stereo"));
}

int WavWriter::writeSizes() {
    const int64_t pad = dataBytes_ & 1;
    uint8_t v[4];
    putLe32(v, static_cast<uint32_t>(kHeaderBytes - 8 + dataBytes_ + pad));
    if (const int err = file_.writeAt(4, v, 4); err != 0) {
        return err;
    }
    putLe32(v, static_cast<uint32_t>(dataBytes_));
    return file_.writeAt(40, v, 4);
}

bool WavWriter::write(const int16_t *samples, int frames) {
    if (failed() || finished_ || frames <= 0) {
        return !failed();
    }
    int64_t bytes = int64_t{frames} * blockAlign_;
    if (dataBytes_ + bytes > maxDataBytes_) {
        fail(ErrWriteFailed, QCoreApplication::translate(
                                 "WavWriter", "The WAV file has reached its size limit of 4 GB"));
        frames = static_cast<int>((maxDataBytes_ - dataBytes_) / blockAlign_);
        bytes = int64_t{frames} * blockAlign_;
    }
    const void *data = samples;
    if (bits_ == 8) {
        const size_t count = static_cast<size_t>(frames) * channels();
        scratch_.resize(count);
        for (size_t i = 0; i < count; ++i) {
            scratch_[i] = static_cast<uint8_t>((samples[i] >> 8) + 128);
        }
        data = scratch_.data();
    }
    size_t written = 0;
    const int err = file_.append(data, static_cast<size_t>(bytes), &written);
    int64_t whole = static_cast<int64_t>(written) / blockAlign_ * blockAlign_;
    if (err != 0) {
        // Keep the file consistent: drop a partly written frame, count only whole ones.
        if (static_cast<int64_t>(written) != whole) {
            file_.truncate(kHeaderBytes + dataBytes_ + whole);
        }
        fail(ErrWriteFailed,
             QCoreApplication::translate("WavWriter", "Writing the WAV file failed: %1")
                 .arg(systemErrorText(err)));
    }
    dataBytes_ += whole;
    addFrames(whole / blockAlign_);
    if (const int sizeErr = writeSizes(); sizeErr != 0) {
        fail(ErrWriteFailed,
             QCoreApplication::translate("WavWriter", "Writing the WAV header failed: %1")
                 .arg(systemErrorText(sizeErr)));
    }
    return !failed();
}

bool WavWriter::finish() {
    if (finished_) {
        return !failed();
    }
    finished_ = true;
    if (file_.isOpen()) {
        if (dataBytes_ & 1) {
            const uint8_t pad = 0;
            file_.append(&pad, 1);  // RIFF chunks are word aligned; a missing pad is harmless
        }
        if (const int err = writeSizes(); err != 0) {
            fail(ErrWriteFailed,
                 QCoreApplication::translate("WavWriter", "Writing the WAV header failed: %1")
                     .arg(systemErrorText(err)));
        }
        if (const int err = file_.close(); err != 0) {
            fail(ErrWriteFailed,
                 QCoreApplication::translate("WavWriter", "Closing the WAV file failed: %1")
                     .arg(systemErrorText(err)));
        }
    }
    return !failed();
}

}  // namespace korvanta::codec
