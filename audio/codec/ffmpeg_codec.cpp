#include "audio/codec/ffmpeg_codec.h"

#include "audio/codec/codec_error.h"
#include "audio/codec/mpeg_audio_source.h"
#include "audio/codec/mpg123_decoder.h"

namespace korvanta::codec {

std::unique_ptr<AudioSource> openAudioSource(const QString &path, int *errorNum,
                                             QString *errorText) {
    // MP3, the most common file by far, is read without loading FFmpeg when it plainly is MPEG
    // audio; anything in doubt, and a stream libmpg123 can't decode, goes the general way.
    if (MpegAudioSource::startsWithMpegAudio(path)) {
        int mpegError = 0;
        QString mpegText;
        if (auto source = MpegAudioSource::open(path, &makeMpg123Decoder, &mpegError, &mpegText))
            return source;
    }
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
