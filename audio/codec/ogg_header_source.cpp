#include "audio/codec/ogg_header_source.h"

#include <cstring>

namespace korvanta::codec {

namespace {

constexpr int kPageHeaderBytes = 27;

uint32_t readLe32(const uint8_t *p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

QString channelsText(int channels) {
    return channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo");
}

class HeaderOnlySource : public AudioSource {
public:
    HeaderOnlySource(int rate, int channels, const QString &text) {
        setStreamInfo(rate, channels, 0, text);
        setContainerName(QStringLiteral("ogg"));
    }

protected:
    bool decodeNext(Block & /*block*/) override { return false; }
    bool seekBefore(int64_t /*target*/) override { return false; }
    bool rewind() override { return true; }
};

}  // namespace

std::unique_ptr<AudioSource> openHeaderOnlyOgg(FileReader &file) {
    uint8_t page[kPageHeaderBytes + 255 + 64] = {};
    const size_t got = file.readAt(0, page, sizeof page);
    if (got < kPageHeaderBytes || std::memcmp(page, "OggS", 4) != 0) {
        return nullptr;
    }
    const size_t dataStart = kPageHeaderBytes + page[26];
    if (got < dataStart + 30) {
        return nullptr;
    }
    const uint8_t *packet = page + dataStart;
    if (std::memcmp(packet, "OpusHead", 8) == 0) {
        const int channels = packet[9];
        if (channels < 1 || channels > 2) {
            return nullptr;
        }
        // Opus always decodes at 48000 Hz, whatever input rate the header mentions.
        return std::make_unique<HeaderOnlySource>(
            48000, channels,
            QStringLiteral("Opus bitrate unknown, %1").arg(channelsText(channels)));
    }
    if (packet[0] == 1 && std::memcmp(packet + 1, "vorbis", 6) == 0) {
        const int channels = packet[11];
        const auto rate = static_cast<int>(readLe32(packet + 12));
        const auto nominal = static_cast<int32_t>(readLe32(packet + 20));
        if (channels < 1 || channels > 2 || rate < 1000 || rate > 192000) {
            return nullptr;
        }
        const QString quality = nominal > 0 ? QStringLiteral("%1 kbps").arg((nominal + 500) / 1000)
                                            : QStringLiteral("bitrate unknown");
        return std::make_unique<HeaderOnlySource>(rate, channels,
                                                  QStringLiteral("Ogg Vorbis: %1 Hz, %2, %3")
                                                      .arg(rate)
                                                      .arg(quality, channelsText(channels)));
    }
    return nullptr;
}

}  // namespace korvanta::codec
