#include "audio/codec/ffmpeg_codec.h"

#include "audio/codec/codec_error.h"

namespace korvanta::codec {

std::unique_ptr<AudioSource> openAudioSource(const QString &path, int *errorNum,
                                             QString *errorText) {
    const FfmpegCodec *codec = ffmpegCodec(errorText);
    if (codec == nullptr) {
        *errorNum = ErrCannotRead;
        return nullptr;
    }
    return codec->openSource(path, errorNum, errorText);
}

std::unique_ptr<AudioWriter> createWmaWriter(const QString &path, const WmaProfile &profile,
                                             int *errorNum, QString *errorText) {
    const FfmpegCodec *codec = ffmpegCodec(errorText);
    if (codec == nullptr) {
        *errorNum = ErrCannotCreate;
        return nullptr;
    }
    return codec->createWmaWriter(path, profile, errorNum, errorText);
}

std::unique_ptr<AudioWriter> createEncodedWriter(const QString &path, const EncodedFormat &format,
                                                 int *errorNum, QString *errorText) {
    const FfmpegCodec *codec = ffmpegCodec(errorText);
    if (codec == nullptr) {
        *errorNum = ErrCannotCreate;
        return nullptr;
    }
    return codec->createEncodedWriter(path, format, errorNum, errorText);
}

}  // namespace korvanta::codec
