#include "audio/codec/streamed_wav.h"

#include "audio/codec/posix_file.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta::codec {

namespace {

constexpr int64_t kChunkHeaderBytes = 8;
constexpr int64_t kRiffHeaderBytes = 12;
constexpr int64_t kMaxChunkSize = std::numeric_limits<uint32_t>::max();

uint32_t readLe32(const uint8_t *p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool readAt(int fd, int64_t offset, uint8_t *dst, size_t n) {
    return ::pread(fd, dst, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
}

bool writeLe32At(int fd, int64_t offset, int64_t value) {
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    }
    return ::pwrite(fd, bytes, sizeof bytes, static_cast<off_t>(offset)) ==
           static_cast<ssize_t>(sizeof bytes);
}

// The offset of the data chunk's header when its size runs past `fileSize`, or -1.
int64_t overlongDataChunk(int fd, int64_t fileSize) {
    for (int64_t at = kRiffHeaderBytes; at + kChunkHeaderBytes <= fileSize;) {
        uint8_t header[kChunkHeaderBytes];
        if (!readAt(fd, at, header, sizeof header)) {
            return -1;
        }
        const int64_t size = readLe32(header + 4);
        const int64_t end = at + kChunkHeaderBytes + size;
        if (end > fileSize) {
            return std::memcmp(header, "data", 4) == 0 ? at : -1;
        }
        at = end + (size & 1);
    }
    return -1;
}

}  // namespace

bool fixStreamedWavSizes(const QString &path, QString *errorText) {
    const UniqueFd fd(::open(nativePath(path).constData(), O_RDWR | O_CLOEXEC));
    struct stat st {};
    uint8_t riff[kRiffHeaderBytes];
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !readAt(fd.get(), 0, riff, sizeof riff)) {
        *errorText = QCoreApplication::translate("StreamedWav", "Cannot read %1").arg(path);
        return false;
    }
    if (std::memcmp(riff + 8, "WAVE", 4) == 0 &&
        (std::memcmp(riff, "RF64", 4) == 0 || std::memcmp(riff, "BW64", 4) == 0)) {
        // The tag writer knows only 32-bit sizes: it would take the placeholder sizes for true
        // ones and rewrite gigabytes into a file no reader understands.
        *errorText = QCoreApplication::translate(
                         "StreamedWav",
                         "%1 is a WAV file larger than 4 GB (RF64), into which tags can't be "
                         "written; no tags were written")
                         .arg(path);
        return false;
    }
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return true;  // not a plain RIFF WAV: nothing of ours to mend
    }
    const int64_t fileSize = st.st_size;
    const int64_t data = overlongDataChunk(fd.get(), fileSize);
    const bool riffOverlong = int64_t{readLe32(riff + 4)} + kChunkHeaderBytes > fileSize;
    if (data < 0 && !riffOverlong) {
        return true;
    }
    const int64_t dataSize = data < 0 ? 0 : fileSize - data - kChunkHeaderBytes;
    // An odd chunk is followed by a pad byte; the sound ends without one here.
    const int64_t padded = fileSize + (data >= 0 ? (dataSize & 1) : 0);
    if (padded - kChunkHeaderBytes > kMaxChunkSize) {
        *errorText = QCoreApplication::translate(
                         "StreamedWav",
                         "%1 is larger than a WAV file's header can describe (4 GB); no tags "
                         "were written")
                         .arg(path);
        return false;
    }
    const uint8_t pad = 0;
    const bool ok =
        (padded == fileSize || ::pwrite(fd.get(), &pad, 1, static_cast<off_t>(fileSize)) == 1) &&
        (data < 0 || writeLe32At(fd.get(), data + 4, dataSize)) &&
        writeLe32At(fd.get(), 4, padded - kChunkHeaderBytes);
    if (!ok) {
        *errorText = QCoreApplication::translate("StreamedWav", "Cannot write %1").arg(path);
    }
    return ok;
}

}  // namespace korvanta::codec
