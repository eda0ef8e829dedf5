#include "audio/codec/stream_repair.h"

#include "audio/codec/mpeg_audio_header.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace korvanta::codec {

namespace {

// ---- Checksums -------------------------------------------------------------------------

template <typename T, T Poly, int Bits>
struct MsbFirstCrc {
    std::array<T, 256> table{};
    MsbFirstCrc() {
        for (unsigned i = 0; i < 256; ++i) {
            T r = static_cast<T>(T(i) << (Bits - 8));
            for (int b = 0; b < 8; ++b) {
                const bool top = (r >> (Bits - 1)) & 1;
                r = static_cast<T>(r << 1);
                if (top) {
                    r = static_cast<T>(r ^ Poly);
                }
            }
            table[i] = r;
        }
    }
    T operator()(const uint8_t *p, size_t n, T crc = 0) const {
        for (size_t i = 0; i < n; ++i) {
            crc = static_cast<T>((crc << 8) ^ table[((crc >> (Bits - 8)) ^ p[i]) & 0xFF]);
        }
        return crc;
    }
};

const MsbFirstCrc<uint8_t, 0x07, 8> &crc8() {
    static const MsbFirstCrc<uint8_t, 0x07, 8> crc;
    return crc;
}
const MsbFirstCrc<uint16_t, 0x8005, 16> &crc16() {
    static const MsbFirstCrc<uint16_t, 0x8005, 16> crc;
    return crc;
}
const MsbFirstCrc<uint32_t, 0x04C11DB7, 32> &crc32Ogg() {
    static const MsbFirstCrc<uint32_t, 0x04C11DB7, 32> crc;
    return crc;
}

uint32_t be16(const uint8_t *p) {
    return uint32_t{p[0]} << 8 | p[1];
}
uint32_t be24(const uint8_t *p) {
    return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
}
void putBe32(uint8_t *p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
    }
}

// The file's bytes, mapped read-only for the scan.
class MappedFile {
public:
    explicit MappedFile(const QString &path) : file_(path) {
        if (file_.open(QIODevice::ReadOnly)) {
            size_ = file_.size();
            if (size_ > 0) {
                data_ = file_.map(0, size_);
            }
        }
    }
    bool ok() const { return data_ != nullptr; }
    const uint8_t *data() const { return data_; }
    int64_t size() const { return size_; }
    void close() {
        if (data_) {
            file_.unmap(data_);
            data_ = nullptr;
        }
        file_.close();
    }
    ~MappedFile() { close(); }

private:
    QFile file_;
    uint8_t *data_ = nullptr;
    int64_t size_ = 0;
};

// Writes `patches` (offset, bytes) and cuts the file at `newSize`.
bool rewrite(const QString &path, const std::vector<std::pair<int64_t, QByteArray>> &patches,
             int64_t newSize) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    for (const auto &[offset, bytes] : patches) {
        if (!file.seek(offset) || file.write(bytes) != bytes.size()) {
            return false;
        }
    }
    if (!file.flush()) {
        return false;
    }
    return file.size() == newSize || file.resize(newSize);
}

StreamRepairResult outcome(StreamRepair what, int64_t kept, int64_t size, int64_t frames) {
    StreamRepairResult r;
    r.outcome = what;
    r.bytesKept = kept;
    r.bytesDropped = size - kept;
    r.framesKept = frames;
    return r;
}

// ---- FLAC ------------------------------------------------------------------------------

constexpr int64_t kStreamInfoAt = 8;  // after "fLaC" and the block header
constexpr int64_t kStreamInfoEnd = kStreamInfoAt + 34;

struct FlacFrameHeader {
    bool variableBlocks = false;
    int64_t number = 0;  // frame number, or first sample with variable block sizes
    int blockSize = 0;
};

std::optional<FlacFrameHeader> parseFlacFrameHeader(const uint8_t *p, int64_t avail) {
    if (avail < 6 || p[0] != 0xFF || (p[1] & 0xFE) != 0xF8) {
        return std::nullopt;
    }
    const int sizeCode = p[2] >> 4;
    const int rateCode = p[2] & 0x0F;
    const int channelCode = p[3] >> 4;
    const int sampleSizeCode = (p[3] >> 1) & 7;
    if (sizeCode == 0 || rateCode == 15 || channelCode > 10 || sampleSizeCode == 3 ||
        (p[3] & 1) != 0) {
        return std::nullopt;
    }
    FlacFrameHeader h;
    h.variableBlocks = (p[1] & 1) != 0;
    // The frame or sample number, in the UTF-8 style coding of up to 36 bits.
    int64_t at = 4;
    const uint8_t lead = p[at];
    int extra = 0;
    if (lead < 0x80) {
        h.number = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        h.number = lead & 0x1F, extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
        h.number = lead & 0x0F, extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
        h.number = lead & 0x07, extra = 3;
    } else if ((lead & 0xFC) == 0xF8) {
        h.number = lead & 0x03, extra = 4;
    } else if ((lead & 0xFE) == 0xFC) {
        h.number = lead & 0x01, extra = 5;
    } else if (lead == 0xFE) {
        h.number = 0, extra = 6;
    } else {
        return std::nullopt;
    }
    ++at;
    for (int i = 0; i < extra; ++i, ++at) {
        if (at >= avail || (p[at] & 0xC0) != 0x80) {
            return std::nullopt;
        }
        h.number = h.number << 6 | (p[at] & 0x3F);
    }
    if (sizeCode == 1) {
        h.blockSize = 192;
    } else if (sizeCode <= 5) {
        h.blockSize = 576 << (sizeCode - 2);
    } else if (sizeCode == 6) {
        if (at + 1 > avail) {
            return std::nullopt;
        }
        h.blockSize = p[at] + 1;
        at += 1;
    } else if (sizeCode == 7) {
        if (at + 2 > avail) {
            return std::nullopt;
        }
        h.blockSize = static_cast<int>(be16(p + at)) + 1;
        at += 2;
    } else {
        h.blockSize = 256 << (sizeCode - 8);
    }
    at += rateCode == 12 ? 1 : (rateCode == 13 || rateCode == 14 ? 2 : 0);
    if (at + 1 > avail || crc8()(p, static_cast<size_t>(at)) != p[at]) {
        return std::nullopt;
    }
    return h;
}

bool flacFrameValid(const uint8_t *data, int64_t start, int64_t end) {
    if (end - start < 8) {
        return false;
    }
    const uint16_t stored = static_cast<uint16_t>(be16(data + end - 2));
    return crc16()(data + start, static_cast<size_t>(end - start - 2)) == stored;
}

}  // namespace

StreamRepairResult repairFlacFile(const QString &path) {
    MappedFile map(path);
    if (!map.ok() || map.size() < 4 || std::memcmp(map.data(), "fLaC", 4) != 0) {
        return {};
    }
    const uint8_t *d = map.data();
    const int64_t size = map.size();
    if (size < kStreamInfoEnd || (d[4] & 0x7F) != 0 || be24(d + 5) != 34) {
        return outcome(StreamRepair::Failed, size, size, -1);
    }
    // The metadata blocks; one cut short leaves only STREAMINFO, marked as the last.
    int64_t audioStart = 4;
    bool metadataWhole = true;
    for (;;) {
        if (audioStart + 4 > size) {
            metadataWhole = false;
            break;
        }
        const bool last = (d[audioStart] & 0x80) != 0;
        const int64_t next = audioStart + 4 + be24(d + audioStart + 1);
        if (next > size) {
            metadataWhole = false;
            break;
        }
        audioStart = next;
        if (last) {
            break;
        }
    }
    const int nominalBlock = static_cast<int>(be16(d + kStreamInfoAt + 2));
    const uint8_t *totalAt = d + kStreamInfoAt + 13;
    const int64_t storedTotal = int64_t{totalAt[0] & 0x0F} << 32 | int64_t{totalAt[1]} << 24 |
                                int64_t{totalAt[2]} << 16 | int64_t{totalAt[3]} << 8 | totalAt[4];

    int64_t keepEnd = metadataWhole ? audioStart : kStreamInfoEnd;
    int64_t total = 0;
    if (metadataWhole) {
        // The last frame whose checksum holds, found from the end: candidates are headers
        // whose own checksum holds; a frame runs to the next such header or to the end.
        std::vector<int64_t> laterStarts{size};
        constexpr size_t kMaxCandidates = 256;
        for (int64_t at = size - 2; at >= audioStart && laterStarts.size() < kMaxCandidates; --at) {
            if (d[at] != 0xFF || (d[at + 1] & 0xFE) != 0xF8) {
                continue;
            }
            const std::optional<FlacFrameHeader> h = parseFlacFrameHeader(d + at, size - at);
            if (!h) {
                continue;
            }
            const auto end = std::find_if(laterStarts.rbegin(), laterStarts.rend(),
                                          [&](int64_t e) { return flacFrameValid(d, at, e); });
            if (end != laterStarts.rend()) {
                keepEnd = *end;
                total = h->variableBlocks ? h->number + h->blockSize
                                          : h->number * nominalBlock + h->blockSize;
                break;
            }
            laterStarts.push_back(at);
        }
    }
    if (keepEnd == size && total == storedTotal) {
        return outcome(StreamRepair::Intact, size, size, total);
    }

    QByteArray info(reinterpret_cast<const char *>(d + kStreamInfoAt), 34);
    map.close();
    auto *u = reinterpret_cast<uint8_t *>(info.data());
    u[13] = static_cast<uint8_t>((u[13] & 0xF0) | ((total >> 32) & 0x0F));
    putBe32(u + 14, static_cast<uint32_t>(total));
    if (total != storedTotal) {
        std::fill(u + 18, u + 34, 0);  // MD5 of samples no longer all there: "not known"
    }
    std::vector<std::pair<int64_t, QByteArray>> patches{{kStreamInfoAt, info}};
    if (!metadataWhole) {
        patches.push_back({4, QByteArray(1, '\x80')});  // STREAMINFO, last block, type 0
    }
    if (!rewrite(path, patches, keepEnd)) {
        return outcome(StreamRepair::Failed, size, size, -1);
    }
    return outcome(StreamRepair::Repaired, keepEnd, size, total);
}

// ---- Ogg -------------------------------------------------------------------------------

namespace {

constexpr int64_t kOggHeaderBytes = 27;
constexpr uint8_t kOggEndOfStream = 0x04;

struct OggPage {
    int64_t start = 0;
    int segments = 0;
    int64_t end = 0;
};

bool oggPageChecksumHolds(const uint8_t *p, int64_t bytes) {
    uint32_t crc = crc32Ogg()(p, 22);
    static constexpr uint8_t kZero[4] = {0, 0, 0, 0};
    crc = crc32Ogg()(kZero, 4, crc);
    crc = crc32Ogg()(p + 26, static_cast<size_t>(bytes - 26), crc);
    const uint32_t stored =
        uint32_t{p[22]} | uint32_t{p[23]} << 8 | uint32_t{p[24]} << 16 | uint32_t{p[25]} << 24;
    return crc == stored;
}

}  // namespace

StreamRepairResult repairOggFile(const QString &path) {
    MappedFile map(path);
    if (!map.ok() || map.size() < 4 || std::memcmp(map.data(), "OggS", 4) != 0) {
        return {};
    }
    const uint8_t *d = map.data();
    const int64_t size = map.size();
    std::vector<OggPage> pages;
    int64_t at = 0;
    while (at + kOggHeaderBytes <= size && std::memcmp(d + at, "OggS", 4) == 0 && d[at + 4] == 0) {
        OggPage page;
        page.start = at;
        page.segments = d[at + 26];
        const int64_t bodyAt = at + kOggHeaderBytes + page.segments;
        if (bodyAt > size) {
            break;
        }
        int64_t body = 0;
        for (int i = 0; i < page.segments; ++i) {
            body += d[at + kOggHeaderBytes + i];
        }
        page.end = bodyAt + body;
        if (page.end > size || !oggPageChecksumHolds(d + at, page.end - at)) {
            break;
        }
        pages.push_back(page);
        at = page.end;
    }
    // The last page on which a packet ends; a packet begun but not finished is taken off it.
    while (!pages.empty()) {
        const OggPage &page = pages.back();
        const uint8_t *lacing = d + page.start + kOggHeaderBytes;
        int keep = page.segments;
        while (keep > 0 && lacing[keep - 1] == 255) {
            --keep;
        }
        if (keep > 0) {
            break;
        }
        pages.pop_back();
    }
    if (pages.empty()) {
        return outcome(StreamRepair::Failed, size, size, -1);
    }
    const OggPage last = pages.back();
    const uint8_t *lacing = d + last.start + kOggHeaderBytes;
    int keep = last.segments;
    while (lacing[keep - 1] == 255) {
        --keep;
    }
    const bool markedEnd = (d[last.start + 5] & kOggEndOfStream) != 0;
    if (last.end == size && keep == last.segments && markedEnd) {
        return outcome(StreamRepair::Intact, size, size, -1);
    }

    int64_t body = 0;
    for (int i = 0; i < keep; ++i) {
        body += lacing[i];
    }
    QByteArray page;
    page.append(reinterpret_cast<const char *>(d + last.start), kOggHeaderBytes);
    page.append(reinterpret_cast<const char *>(lacing), keep);
    page.append(reinterpret_cast<const char *>(lacing + last.segments), body);
    map.close();
    auto *u = reinterpret_cast<uint8_t *>(page.data());
    u[5] = static_cast<uint8_t>(u[5] | kOggEndOfStream);
    u[26] = static_cast<uint8_t>(keep);
    std::fill(u + 22, u + 26, 0);
    const uint32_t crc = crc32Ogg()(u, static_cast<size_t>(page.size()));
    for (int i = 0; i < 4; ++i) {
        u[22 + i] = static_cast<uint8_t>(crc >> (8 * i));
    }
    const int64_t keepEnd = last.start + page.size();
    if (!rewrite(path, {{last.start, page}}, keepEnd)) {
        return outcome(StreamRepair::Failed, size, size, -1);
    }
    return outcome(StreamRepair::Repaired, keepEnd, size, -1);
}

// ---- MP3 -------------------------------------------------------------------------------

namespace {

size_t sideInfoEnd(const MpegFrameHeader &h) {
    const bool mono = h.channelMode == 3;
    return 4 + (h.version == MpegFrameHeader::Mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
}

// The LAME extension's checksum (CRC-16 with the reflected polynomial 0xA001).
uint16_t lameTagCrc(const uint8_t *p, size_t n) {
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc = static_cast<uint16_t>(crc ^ p[i]);
        for (int b = 0; b < 8; ++b) {
            crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
        }
    }
    return crc;
}

// Writes the frame and byte counts into the first frame: a new Info tag into the encoder's
// empty placeholder, or the counts of an existing Xing/Info tag, whose LAME extension then
// gets its checksum again. False when there is nothing to write.
bool setMpegTagCounts(uint8_t *frame, size_t size, const MpegFrameHeader &h, bool placeholder,
                      int64_t frames, int64_t bytes) {
    const size_t xingAt = sideInfoEnd(h);
    if (xingAt + 16 > size) {
        return false;
    }
    if (placeholder) {
        std::memcpy(frame + xingAt, "Info", 4);
        putBe32(frame + xingAt + 4, 3);  // frame and byte counts follow
    }
    const uint32_t flags = uint32_t{frame[xingAt + 4]} << 24 | uint32_t{frame[xingAt + 5]} << 16 |
                           uint32_t{frame[xingAt + 6]} << 8 | frame[xingAt + 7];
    size_t at = xingAt + 8;
    const size_t framesAt = (flags & 1) ? at : 0;
    at += (flags & 1) ? 4 : 0;
    const size_t bytesAt = (flags & 2) ? at : 0;
    at += (flags & 2) ? 4 : 0;
    at += (flags & 4) ? 100 : 0;
    at += (flags & 8) ? 4 : 0;
    const size_t crcAt = at + 34;  // the LAME extension's last two bytes
    const bool lameCrc = crcAt + 2 <= size && lameTagCrc(frame, crcAt) == be16(frame + crcAt);
    if (framesAt == 0 && bytesAt == 0) {
        return false;
    }
    if (framesAt != 0) {
        putBe32(frame + framesAt, static_cast<uint32_t>(frames));
    }
    if (bytesAt != 0) {
        putBe32(frame + bytesAt, static_cast<uint32_t>(bytes));
    }
    if (lameCrc) {
        const uint16_t crc = lameTagCrc(frame, crcAt);
        frame[crcAt] = static_cast<uint8_t>(crc >> 8);
        frame[crcAt + 1] = static_cast<uint8_t>(crc);
    }
    return true;
}

bool tagStartsAt(const uint8_t *p, int64_t avail) {
    return (avail >= 3 && (std::memcmp(p, "TAG", 3) == 0 || std::memcmp(p, "ID3", 3) == 0)) ||
           (avail >= 8 && std::memcmp(p, "APETAGEX", 8) == 0);
}

}  // namespace

StreamRepairResult repairMp3File(const QString &path) {
    MappedFile map(path);
    if (!map.ok()) {
        return {};
    }
    const uint8_t *d = map.data();
    const int64_t size = map.size();
    const int64_t first = id3v2TagSize(d, static_cast<size_t>(size));
    if (first + 4 > size) {
        return {};
    }
    const std::optional<MpegFrameHeader> head = parseMpegHeader(d + first);
    if (!head || head->layer != 3) {
        return {};
    }
    int64_t at = first;
    int64_t frames = 0;
    while (at + 4 <= size) {
        const std::optional<MpegFrameHeader> h = parseMpegHeader(d + at);
        if (!h || !sameMpegStream(*h, *head) || at + h->frameBytes > size) {
            break;
        }
        at += h->frameBytes;
        ++frames;
    }
    if (frames == 0) {
        return outcome(StreamRepair::Failed, size, size, -1);
    }
    const int64_t keepEnd = at;
    const bool finished = keepEnd < size && tagStartsAt(d + keepEnd, size - keepEnd);
    const MpegStreamTag tag =
        parseMpegStreamTag(d + first, static_cast<size_t>(head->frameBytes), *head);
    // An empty first frame is the room the encoder keeps for its Info frame.
    const bool placeholder =
        tag.kind == MpegStreamTag::None && frames > 1 &&
        std::all_of(d + first + 4, d + first + head->frameBytes, [](uint8_t b) { return b == 0; });
    const bool tagged = tag.kind == MpegStreamTag::Xing || tag.kind == MpegStreamTag::Info;
    const int64_t audioFrames =
        tag.kind != MpegStreamTag::None || placeholder ? frames - 1 : frames;
    const int64_t samples = audioFrames * head->samplesPerFrame;
    if (finished || (keepEnd == size && !placeholder)) {
        return outcome(StreamRepair::Intact, size, size, samples);
    }
    QByteArray infoFrame(reinterpret_cast<const char *>(d + first), head->frameBytes);
    map.close();
    std::vector<std::pair<int64_t, QByteArray>> patches;
    if (placeholder || tagged) {
        auto *u = reinterpret_cast<uint8_t *>(infoFrame.data());
        if (setMpegTagCounts(u, static_cast<size_t>(infoFrame.size()), *head, placeholder,
                             audioFrames, keepEnd - first)) {
            patches.push_back({first, infoFrame});
        }
    }
    if (!rewrite(path, patches, keepEnd)) {
        return outcome(StreamRepair::Failed, size, size, -1);
    }
    return outcome(StreamRepair::Repaired, keepEnd, size, samples);
}

StreamRepairResult repairStreamFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray magic = file.read(4);
    file.close();
    if (magic == "fLaC") {
        return repairFlacFile(path);
    }
    if (magic == "OggS") {
        return repairOggFile(path);
    }
    if (magic.startsWith("RIFF") || magic.startsWith("\x30\x26\xB2\x75")) {
        return {};
    }
    return repairMp3File(path);
}

}  // namespace korvanta::codec
