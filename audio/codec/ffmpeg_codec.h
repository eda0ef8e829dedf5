// The FFmpeg-based readers and the WMA, FLAC, Opus and Vorbis writers, which live in a module of
// their own (korvanta-ffmpeg.so next to the program) loaded on first use. FFmpeg's Debian build
// links about a hundred further libraries; loading them at start-up would triple the time until the
// window shows, and a session that only records WAV or MP3 never needs them.
#pragma once

#include "audio/codec/audio_source.h"
#include "audio/codec/audio_writer.h"
#include "audio/codec/encoded_format.h"
#include "audio/codec/wma_profiles.h"

#include <memory>

namespace korvanta::codec {

// What the module offers. Failures return null and set `errorNum` (codec_error.h) and
// `errorText`.
struct FfmpegCodec {
    int version;  // kFfmpegCodecVersion of the build that made the module
    std::unique_ptr<AudioSource> (*openSource)(const QString &path, int *errorNum,
                                               QString *errorText);
    std::unique_ptr<AudioWriter> (*createWmaWriter)(const QString &path, const WmaProfile &profile,
                                                    int *errorNum, QString *errorText);
    std::unique_ptr<AudioWriter> (*createEncodedWriter)(const QString &path,
                                                        const EncodedFormat &format, int *errorNum,
                                                        QString *errorText);
};

// Raised whenever FfmpegCodec changes, so that a stale module is refused rather than called.
constexpr int kFfmpegCodecVersion = 2;

// The module's functions, loading it on the first call; null when it can't be loaded, with
// the reason in `errorText`. Safe to call from any thread.
const FfmpegCodec *ffmpegCodec(QString *errorText);

// Opens any audio file the program reads, detecting its format from the content.
std::unique_ptr<AudioSource> openAudioSource(const QString &path, int *errorNum,
                                             QString *errorText);
// Creates a WMA file written with `profile`.
std::unique_ptr<AudioWriter> createWmaWriter(const QString &path, const WmaProfile &profile,
                                             int *errorNum, QString *errorText);
// Creates a FLAC, Ogg Opus or Ogg Vorbis file written as `format` says.
std::unique_ptr<AudioWriter> createEncodedWriter(const QString &path, const EncodedFormat &format,
                                                 int *errorNum, QString *errorText);

}  // namespace korvanta::codec

// The module's only exported symbol.
extern "C" const korvanta::codec::FfmpegCodec *korvanta_ffmpeg_codec();
