// Writes what the virtual card plays into a 16-bit PCM WAV file, so tests can check what
// was heard. The header is brought up to date on every write, so the file is always valid.
// Playback in another format starts the file afresh.
#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>
#include <memory>

class WavSinkWriter {
public:
    WavSinkWriter(const QString &path, int frequency, int channels);
    bool isOpen() const { return file_ != nullptr; }
    bool matches(const QString &path, int frequency, int channels) const {
        return path == path_ && frequency == frequency_ && channels == channels_;
    }
    void write(const int16_t *samples, int frames);

private:
    void writeHeader();

    struct FileCloser {
        void operator()(FILE *f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, FileCloser> file_;
    QString path_;
    int frequency_;
    int channels_;
    uint32_t dataBytes_ = 0;
};
