#include "audio/codec/mpeg_audio_header.h"

#include <cstring>

namespace korvanta::codec {

namespace {

// Bitrates in kbps by [table][index]; tables: MPEG-1 layers 1, 2, 3; MPEG-2/2.5 layer 1; layers
// 2/3.
constexpr int kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};

constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

uint32_t readBe32(const uint8_t *p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

int frameBytesFor(const MpegFrameHeader &h, int bitrateKbps, int pad) {
    const int64_t bps = int64_t{bitrateKbps} * 1000;
    if (h.layer == 1) {
        return static_cast<int>((12 * bps / h.sampleRate + pad) * 4);
    }
    const int factor = (h.layer == 3 && h.version != MpegFrameHeader::Mpeg1) ? 72 : 144;
    return static_cast<int>(factor * bps / h.sampleRate + pad);
}

}  // namespace

QString MpegFrameHeader::versionText() const {
    const char *v = version == Mpeg1 ? "1.0" : version == Mpeg2 ? "2.0" : "2.5";
    return QStringLiteral("MPEG %1 layer-%2").arg(QLatin1String(v)).arg(layer);
}

double MpegFrameHeader::averageFrameBytes() const {
    const double bps = bitrateKbps * 1000.0;
    if (layer == 1) {
        return 48.0 * bps / sampleRate;
    }
    const int factor = (layer == 3 && version != Mpeg1) ? 72 : 144;
    return factor * bps / sampleRate;
}

std::optional<MpegFrameHeader> parseMpegHeader(const uint8_t *p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) {
        return std::nullopt;
    }
    const int versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (p[3] & 3) == 2) {
        return std::nullopt;
    }
    MpegFrameHeader h;
    h.version = versionBits == 3   ? MpegFrameHeader::Mpeg1
                : versionBits == 2 ? MpegFrameHeader::Mpeg2
                                   : MpegFrameHeader::Mpeg25;
    h.layer = 4 - layerBits;
    const int table = h.version == MpegFrameHeader::Mpeg1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4);
    h.bitrateKbps = kBitrates[table][bitrateIndex];
    h.sampleRate = kRates[h.version][rateIndex];
    h.padding = (p[2] >> 1) & 1;
    h.channelMode = p[3] >> 6;
    h.frameBytes = frameBytesFor(h, h.bitrateKbps, h.padding ? 1 : 0);
    h.samplesPerFrame =
        h.layer == 1 ? 384 : (h.layer == 3 && h.version != MpegFrameHeader::Mpeg1 ? 576 : 1152);
    return h;
}

bool sameMpegStream(const MpegFrameHeader &a, const MpegFrameHeader &b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

MpegStreamTag parseMpegStreamTag(const uint8_t *frame, size_t size, const MpegFrameHeader &h) {
    MpegStreamTag tag;
    const bool mono = h.channelMode == 3;
    const size_t xingAt =
        4 + (h.version == MpegFrameHeader::Mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (h.layer == 3 && xingAt + 8 <= size &&
        (std::memcmp(frame + xingAt, "Xing", 4) == 0 ||
         std::memcmp(frame + xingAt, "Info", 4) == 0)) {
        tag.kind = frame[xingAt] == 'X' ? MpegStreamTag::Xing : MpegStreamTag::Info;
        const uint32_t flags = readBe32(frame + xingAt + 4);
        size_t at = xingAt + 8;
        if ((flags & 1) && at + 4 <= size) {
            tag.frames = readBe32(frame + at);
            at += 4;
        }
        if ((flags & 2) && at + 4 <= size) {
            tag.bytes = readBe32(frame + at);
            at += 4;
        }
        if (flags & 4) {
            at += 100;
        }
        if (flags & 8) {
            at += 4;
        }
        // The LAME extension: encoder name, then 12 bits of delay and 12 of padding at +21.
        if (at + 24 <= size) {
            const uint8_t *lame = frame + at;
            const bool known =
                std::memcmp(lame, "LAME", 4) == 0 || std::memcmp(lame, "Lavf", 4) == 0 ||
                std::memcmp(lame, "Lavc", 4) == 0 || std::memcmp(lame, "L3.9", 4) == 0;
            if (known) {
                const uint8_t *gap = lame + 21;
                tag.hasEncoderGap = true;
                tag.encoderDelay = (gap[0] << 4) | (gap[1] >> 4);
                tag.encoderPadding = ((gap[1] & 0x0F) << 8) | gap[2];
            }
        }
        return tag;
    }
    const size_t vbriAt = 4 + 32;
    if (vbriAt + 18 <= size && std::memcmp(frame + vbriAt, "VBRI", 4) == 0) {
        tag.kind = MpegStreamTag::Vbri;
        tag.bytes = readBe32(frame + vbriAt + 10);
        tag.frames = readBe32(frame + vbriAt + 14);
    }
    return tag;
}

int64_t id3v2TagSize(const uint8_t *p, size_t size) {
    if (size < 10 || std::memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF ||
        ((p[6] | p[7] | p[8] | p[9]) & 0x80) != 0) {
        return 0;
    }
    const int64_t body =
        (int64_t{p[6]} << 21) | (int64_t{p[7]} << 14) | (int64_t{p[8]} << 7) | p[9];
    const bool footer = (p[5] & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

}  // namespace korvanta::codec
