#include "audio/codec/asf_header.h"

#include <QByteArray>
#include <QFile>

#include <cstdint>

namespace korvanta::codec {

namespace {

// GUIDs as they are stored (the first three fields little-endian).
const QByteArray kHeaderObject = QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c");
const QByteArray kFilePropertiesObject = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");

constexpr int kGuidSize = 16;
constexpr int kObjectPrefix = kGuidSize + 8;                // GUID and 64-bit object size
constexpr int kHeaderObjectPrefix = kObjectPrefix + 6;      // object count and two reserved bytes
constexpr int kFileSizeOffset = kObjectPrefix + kGuidSize;  // after the file ID

uint64_t readLe64(const QByteArray &data, qint64 at) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | static_cast<uint8_t>(data[at + i]);
    }
    return value;
}

QByteArray le64(uint64_t value) {
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
    return bytes;
}

}  // namespace

bool fixAsfFileSize(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    const QByteArray prefix = file.read(kHeaderObjectPrefix);
    if (prefix.size() != kHeaderObjectPrefix || !prefix.startsWith(kHeaderObject)) {
        return false;
    }
    const uint64_t headerSize = readLe64(prefix, kGuidSize);
    if (headerSize < kHeaderObjectPrefix || headerSize > static_cast<uint64_t>(file.size())) {
        return false;
    }
    const QByteArray header = file.read(static_cast<qint64>(headerSize) - kHeaderObjectPrefix);
    qint64 at = 0;
    while (at + kObjectPrefix <= header.size()) {
        const uint64_t objectSize = readLe64(header, at + kGuidSize);
        if (objectSize < kObjectPrefix || objectSize > static_cast<uint64_t>(header.size() - at)) {
            return false;
        }
        if (header.mid(at, kGuidSize) == kFilePropertiesObject) {
            if (objectSize < kFileSizeOffset + 8) {
                return false;
            }
            const uint64_t realSize = static_cast<uint64_t>(file.size());
            if (readLe64(header, at + kFileSizeOffset) == realSize) {
                return true;
            }
            return file.seek(kHeaderObjectPrefix + at + kFileSizeOffset) &&
                   file.write(le64(realSize)) == 8 && file.flush();
        }
        at += static_cast<qint64>(objectSize);
    }
    return false;
}

}  // namespace korvanta::codec
