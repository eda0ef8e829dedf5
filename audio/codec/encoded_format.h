// The three compressed formats written through FFmpeg's encoders beside WMA: FLAC, Opus and
// Vorbis (both in Ogg). One value says which and with what settings; the engine and the
// codec module both read it, so it holds no FFmpeg types.
#pragma once

#include <QString>

namespace korvanta::codec {

enum class EncodedCodec { Flac, Opus, Vorbis };

struct EncodedFormat {
    EncodedCodec codec = EncodedCodec::Flac;
    int sampleRate = 44100;  // Opus always codes at 48000 Hz
    int channels = 2;
    int bitrateKbps = 128;  // Opus only
    int quality = 5;        // Vorbis only, 0 to 10
};

constexpr int kOpusSampleRate = 48000;
constexpr int kFlacCompressionLevel = 5;

// "FLAC 44100 Hz, 16 bit, stereo", "Opus 128 kbps, stereo", "Vorbis q5, 44100 Hz, stereo".
QString encodedFormatText(const EncodedFormat &format);

// Empty when the format can be written, else why not.
QString encodedFormatProblem(const EncodedFormat &format);

}  // namespace korvanta::codec
