// MPEG audio (layers 1 to 3) frame headers and the tags encoders put into the first frame:
// Xing/Info with the LAME extension (frame count, encoder delay and padding) and VBRI.
// Pure parsing; no I/O.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace korvanta::codec {

struct MpegFrameHeader {
    enum Version { Mpeg1, Mpeg2, Mpeg25 };
    Version version = Mpeg1;
    int layer = 3;
    int bitrateKbps = 0;
    int sampleRate = 0;
    int channelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    bool padding = false;
    int frameBytes = 0;
    int samplesPerFrame = 0;

    int channels() const { return channelMode == 3 ? 1 : 2; }
    // "MPEG 1.0 layer-3" and the like.
    QString versionText() const;
    // Bytes of an average frame at this bitrate (frame lengths alternate with padding).
    double averageFrameBytes() const;
};

// Parses the 4 header bytes at `p`. Free-format and reserved values give nothing.
std::optional<MpegFrameHeader> parseMpegHeader(const uint8_t *p);

// Whether two headers belong to one stream (same version, layer and rate).
bool sameMpegStream(const MpegFrameHeader &a, const MpegFrameHeader &b);

struct MpegStreamTag {
    enum Kind { None, Xing, Info, Vbri };
    Kind kind = None;
    int64_t frames = -1;         // audio frames after the tag frame, -1 unknown
    int64_t bytes = -1;          // stream bytes as the encoder counted them, -1 unknown
    bool hasEncoderGap = false;  // LAME extension present: delay and padding are known
    int encoderDelay = 0;
    int encoderPadding = 0;
};

// Looks for a Xing/Info (with LAME extension) or VBRI tag in the frame at `frame`.
MpegStreamTag parseMpegStreamTag(const uint8_t *frame, size_t size, const MpegFrameHeader &h);

// Size of the ID3v2 tag at `p` (header included), or 0 when none begins there.
int64_t id3v2TagSize(const uint8_t *p, size_t size);

// The decoder's own delay in samples for MPEG layer 3, which gapless playback skips too.
constexpr int kMp3DecoderDelay = 529;

}  // namespace korvanta::codec
