#include "recording/wav_recovery.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int64_t kRiffHeaderBytes = 12;
constexpr int64_t kChunkHeaderBytes = 8;
constexpr int64_t kMaxChunkBytes = 0xFFFFFFFFLL;

uint32_t le32(const char *p) {
    const auto *u = reinterpret_cast<const uchar *>(p);
    return uint32_t{u[0]} | uint32_t{u[1]} << 8 | uint32_t{u[2]} << 16 | uint32_t{u[3]} << 24;
}

QByteArray le32Bytes(uint32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<char>(v >> (8 * i));
    }
    return b;
}

QByteArray readAt(QFile &file, int64_t offset, int64_t n) {
    if (!file.seek(offset)) {
        return QByteArray();
    }
    return file.read(n);
}

// Whether a chunk header that fits the file starts at `offset`: four printable characters
// and a size that doesn't run past the end. Audio samples rarely pass for one.
bool chunkStartsAt(QFile &file, int64_t offset, int64_t fileSize) {
    if (offset + kChunkHeaderBytes > fileSize) {
        return false;
    }
    const QByteArray head = readAt(file, offset, kChunkHeaderBytes);
    if (head.size() != kChunkHeaderBytes) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (head[i] < 0x20 || head[i] > 0x7E) {
            return false;
        }
    }
    return le32(head.constData() + 4) <= fileSize - offset - kChunkHeaderBytes;
}

// Taggers append ID3 tags to WAV files outside any chunk; those bytes are not samples.
bool tagStartsAt(QFile &file, int64_t offset) {
    const QByteArray head = readAt(file, offset, 3);
    return head == "ID3" || head == "TAG";
}

struct Layout {
    int64_t dataOffset = -1;  // first byte of the samples
    int64_t declaredData = 0;
    int64_t declaredRiff = 0;
    int blockAlign = 1;
};

bool readLayout(QFile &file, int64_t fileSize, Layout *layout) {
    const QByteArray riff = readAt(file, 0, kRiffHeaderBytes);
    if (riff.size() != kRiffHeaderBytes || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE") {
        return false;
    }
    layout->declaredRiff = le32(riff.constData() + 4);
    int64_t offset = kRiffHeaderBytes;
    while (offset + kChunkHeaderBytes <= fileSize) {
        const QByteArray head = readAt(file, offset, kChunkHeaderBytes);
        if (head.size() != kChunkHeaderBytes) {
            return false;
        }
        const int64_t size = le32(head.constData() + 4);
        if (head.startsWith("data")) {
            layout->dataOffset = offset + kChunkHeaderBytes;
            layout->declaredData = size;
            return true;
        }
        if (head.startsWith("fmt ")) {
            const QByteArray fmt = readAt(file, offset + kChunkHeaderBytes, 16);
            if (fmt.size() == 16) {
                const auto *u = reinterpret_cast<const uchar *>(fmt.constData());
                layout->blockAlign = std::max(1, u[12] | u[13] << 8);
            }
        }
        offset += kChunkHeaderBytes + size + (size & 1);
    }
    return false;
}

}  // namespace

WavRepair RepairWavHeader(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WavRepair::NotWav;
    }
    const int64_t fileSize = file.size();
    Layout layout;
    if (!readLayout(file, fileSize, &layout)) {
        return WavRepair::NotWav;
    }
    const int64_t available = fileSize - layout.dataOffset;
    const int64_t declaredEnd = layout.dataOffset + layout.declaredData + (layout.declaredData & 1);
    const bool runsPastEnd = layout.declaredData > available;
    if (!runsPastEnd &&
        (chunkStartsAt(file, declaredEnd, fileSize) || tagStartsAt(file, declaredEnd))) {
        return WavRepair::Intact;  // something follows the samples: a finished file
    }

    // The frames that are wholly on disk, within what a RIFF size can describe.
    const int64_t limit = kMaxChunkBytes - (layout.dataOffset - 8) - 1;
    int64_t whole = std::min(available, limit);
    whole -= whole % layout.blockAlign;
    // One byte more than an odd chunk is its pad byte, not a sample.
    const bool dataBeyond = whole > layout.declaredData + (layout.declaredData & 1);
    const int64_t data = runsPastEnd || dataBeyond ? whole : layout.declaredData;
    const int64_t riffEnd = std::min(layout.dataOffset + data + (data & 1), fileSize);
    const int64_t riff = riffEnd - 8;
    if (data == layout.declaredData && riff == layout.declaredRiff) {
        return WavRepair::Intact;
    }

    file.close();
    if (!file.open(QIODevice::ReadWrite)) {
        return WavRepair::Failed;
    }
    const QByteArray riffBytes = le32Bytes(static_cast<uint32_t>(riff));
    const QByteArray dataBytes = le32Bytes(static_cast<uint32_t>(data));
    const bool written = file.seek(4) && file.write(riffBytes) == 4 &&
                         file.seek(layout.dataOffset - 4) && file.write(dataBytes) == 4;
    return written && file.flush() ? WavRepair::Repaired : WavRepair::Failed;
}

QStringList RepairUnfinishedRecordings(const QString &folder) {
    QStringList repaired;
    if (folder.isEmpty()) {
        return repaired;
    }
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*.wav")}, QDir::Files | QDir::Readable | QDir::Hidden,
                      QDir::Name | QDir::IgnoreCase);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (RepairWavHeader(path) == WavRepair::Repaired) {
            repaired << path;
        }
    }
    return repaired;
}
