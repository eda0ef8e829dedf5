#include "audio/devices/wav_sink_writer.h"

#include <QFile>

#include <cstring>

namespace {

void put32(unsigned char *p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void put16(unsigned char *p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

}  // namespace

WavSinkWriter::WavSinkWriter(const QString &path, int frequency, int channels)
    : file_(std::fopen(QFile::encodeName(path).constData(), "wb")),
      path_(path),
      frequency_(frequency),
      channels_(channels) {
    if (file_)
        writeHeader();
}

void WavSinkWriter::writeHeader() {
    unsigned char h[44];
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataBytes_);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);
    put16(h + 22, static_cast<uint16_t>(channels_));
    put32(h + 24, static_cast<uint32_t>(frequency_));
    put32(h + 28, static_cast<uint32_t>(frequency_ * channels_ * 2));
    put16(h + 32, static_cast<uint16_t>(channels_ * 2));
    put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes_);
    std::fseek(file_.get(), 0, SEEK_SET);
    std::fwrite(h, 1, sizeof h, file_.get());
    std::fseek(file_.get(), 0, SEEK_END);
}

void WavSinkWriter::write(const int16_t *samples, int frames) {
    if (!file_ || frames <= 0)
        return;
    // Little-endian host assumed, as on every platform we build for.
    const size_t count = static_cast<size_t>(frames) * channels_;
    const size_t written = std::fwrite(samples, sizeof(int16_t), count, file_.get());
    dataBytes_ += static_cast<uint32_t>(written * sizeof(int16_t));
    writeHeader();
    std::fflush(file_.get());
}
