// The entry point of the FFmpeg module (built only into korvanta-ffmpeg.so, or linked
// directly where a build has no use for loading it later).
#include "audio/codec/encoded_writer.h"
#include "audio/codec/ffmpeg_codec.h"
#include "audio/codec/source_factory.h"
#include "audio/codec/wma_writer.h"

using namespace korvanta::codec;

namespace {

std::unique_ptr<AudioWriter> createWma(const QString &path, const WmaProfile &profile,
                                       int *errorNum, QString *errorText) {
    return WmaWriter::create(path, profile, errorNum, errorText);
}

std::unique_ptr<AudioWriter> createEncoded(const QString &path, const EncodedFormat &format,
                                           int *errorNum, QString *errorText) {
    return EncodedWriter::create(path, format, errorNum, errorText);
}

constexpr FfmpegCodec kCodec{kFfmpegCodecVersion, &probeAndOpenAudioSource, &createWma,
                             &createEncoded};

}  // namespace

extern "C" __attribute__((visibility("default"))) const FfmpegCodec *korvanta_ffmpeg_codec() {
    return &kCodec;
}
