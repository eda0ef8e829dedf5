#include "audio/codec/asf_header.h"

#include "audio/codec/posix_file.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cstdint>

#include <fcntl.h>
#include <unistd.h>

namespace korvanta::codec {

namespace {

// GUIDs as they are stored (the first three fields little-endian).
const QByteArray kHeaderObject = QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c");
const QByteArray kFilePropertiesObject = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
const QByteArray kDataObject = QByteArray::fromHex("3626b2758e66cf11a6d900aa0062ce6c");

constexpr int kGuidSize = 16;
constexpr int kObjectPrefix = kGuidSize + 8;            // GUID and 64-bit object size
constexpr int kHeaderObjectPrefix = kObjectPrefix + 6;  // object count and two reserved bytes
// Fields of the File Properties object, from its start.
constexpr int kFileSizeOffset = kObjectPrefix + kGuidSize;  // after the file ID
constexpr int kPacketCountOffset = kFileSizeOffset + 16;    // after the creation date
constexpr int kPlayDurationOffset = kPacketCountOffset + 8;
constexpr int kSendDurationOffset = kPlayDurationOffset + 8;
constexpr int kPrerollOffset = kSendDurationOffset + 8;
constexpr int kMinPacketSizeOffset = kPrerollOffset + 8 + 4;  // after the flags
constexpr int kFilePropertiesSize = kMinPacketSizeOffset + 12;
// The Data object: its size, file ID, packet count and two reserved bytes before the packets.
constexpr int kDataPacketCountOffset = kObjectPrefix + kGuidSize;
constexpr int kDataObjectPrefix = kDataPacketCountOffset + 10;
constexpr int64_t kHundredNsPerMs = 10000;

uint64_t readLe(const QByteArray &data, qint64 at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | static_cast<uint8_t>(data[at + i]);
    }
    return value;
}

uint64_t readLe64(const QByteArray &data, qint64 at) {
    return readLe(data, at, 8);
}

// Where the header's File Properties object starts in the file, and the header's size; -1
// when the file doesn't start with a well-formed ASF header that has one.
qint64 findFileProperties(QFile &file, uint64_t *headerSize) {
    if (!file.seek(0)) {
        return -1;
    }
    const QByteArray prefix = file.read(kHeaderObjectPrefix);
    if (prefix.size() != kHeaderObjectPrefix || !prefix.startsWith(kHeaderObject)) {
        return -1;
    }
    *headerSize = readLe64(prefix, kGuidSize);
    if (*headerSize < kHeaderObjectPrefix || *headerSize > static_cast<uint64_t>(file.size())) {
        return -1;
    }
    const QByteArray header = file.read(static_cast<qint64>(*headerSize) - kHeaderObjectPrefix);
    qint64 at = 0;
    while (at + kObjectPrefix <= header.size()) {
        const uint64_t objectSize = readLe64(header, at + kGuidSize);
        if (objectSize < kObjectPrefix || objectSize > static_cast<uint64_t>(header.size() - at)) {
            return -1;
        }
        if (header.mid(at, kGuidSize) == kFilePropertiesObject) {
            return objectSize < kFilePropertiesSize ? -1 : kHeaderObjectPrefix + at;
        }
        at += static_cast<qint64>(objectSize);
    }
    return -1;
}

// Send time and duration (ms) of the data packet at `at`, from its parsing information;
// false when it doesn't look like one.
bool packetTimes(QFile &file, qint64 at, uint32_t *sendTime, uint32_t *duration) {
    static const int kFieldSize[] = {0, 1, 2, 4};
    if (!file.seek(at)) {
        return false;
    }
    const QByteArray head = file.read(32);
    if (head.size() < 32) {
        return false;
    }
    int pos = 0;
    const auto errorCorrection = static_cast<uint8_t>(head[0]);
    if (errorCorrection & 0x80) {
        pos = 1 + (errorCorrection & 0x0F);
    }
    const auto lengthFlags = static_cast<uint8_t>(head[pos]);
    pos += 2;  // the length type flags and the property flags
    pos += kFieldSize[(lengthFlags >> 5) & 3] + kFieldSize[(lengthFlags >> 1) & 3] +
           kFieldSize[(lengthFlags >> 3) & 3];
    *sendTime = static_cast<uint32_t>(readLe(head, pos, 4));
    *duration = static_cast<uint32_t>(readLe(head, pos + 4, 2));
    return true;
}

QByteArray le64(uint64_t value) {
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
    return bytes;
}

bool writeLe64At(QFile &file, qint64 at, uint64_t value) {
    return file.seek(at) && file.write(le64(value)) == 8;
}

// Opens by the name as it is on disk, which need not be UTF-8.
bool openForUpdate(QFile &file, const QString &path) {
    const int fd = ::open(nativePath(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (!file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

}  // namespace

bool fixAsfFileSize(const QString &path) {
    QFile file;
    uint64_t headerSize = 0;
    if (!openForUpdate(file, path)) {
        return false;
    }
    const qint64 properties = findFileProperties(file, &headerSize);
    if (properties < 0 || !file.seek(properties + kFileSizeOffset)) {
        return false;
    }
    const uint64_t realSize = static_cast<uint64_t>(file.size());
    if (readLe64(file.read(8), 0) == realSize) {
        return true;
    }
    return writeLe64At(file, properties + kFileSizeOffset, realSize) && file.flush();
}

bool repairAsfHeader(const QString &path) {
    QFile file;
    uint64_t headerSize = 0;
    if (!openForUpdate(file, path)) {
        return false;
    }
    const qint64 properties = findFileProperties(file, &headerSize);
    if (properties < 0 || !file.seek(properties)) {
        return false;
    }
    const QByteArray fp = file.read(kFilePropertiesSize);
    const uint64_t packetSize = readLe(fp, kMinPacketSizeOffset, 4);
    const uint64_t preroll = readLe64(fp, kPrerollOffset);  // ms
    const auto dataStart = static_cast<qint64>(headerSize);
    if (packetSize == 0 || packetSize != readLe(fp, kMinPacketSizeOffset + 4, 4) ||
        !file.seek(dataStart) || !file.read(kGuidSize).startsWith(kDataObject)) {
        return false;
    }
    const qint64 packetsStart = dataStart + kDataObjectPrefix;
    const uint64_t packets =
        static_cast<uint64_t>(std::max<qint64>(file.size() - packetsStart, 0)) / packetSize;
    const qint64 end = packetsStart + static_cast<qint64>(packets * packetSize);
    // The last packet's send time and duration are the best measure of the length left:
    // within one packet of what a decoder plays.
    uint32_t sendTime = 0;
    uint32_t duration = 0;
    if (packets > 0 &&
        !packetTimes(file, end - static_cast<qint64>(packetSize), &sendTime, &duration)) {
        return false;
    }
    const uint64_t length = (uint64_t{sendTime} + duration) * kHundredNsPerMs;
    // Anything after the last whole packet is part of one that didn't fit (or the index,
    // which then can't be trusted either).
    return file.resize(end) &&
           writeLe64At(file, properties + kFileSizeOffset, static_cast<uint64_t>(end)) &&
           writeLe64At(file, properties + kPacketCountOffset, packets) &&
           writeLe64At(file, properties + kPlayDurationOffset,
                       length + preroll * kHundredNsPerMs) &&
           writeLe64At(file, properties + kSendDurationOffset, length) &&
           writeLe64At(file, dataStart + kGuidSize, kDataObjectPrefix + packets * packetSize) &&
           writeLe64At(file, dataStart + kDataPacketCountOffset, packets) && file.flush();
}

}  // namespace korvanta::codec
