#include "audio/codec/source_factory.h"

#include "audio/codec/codec_error.h"
#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/ffmpeg_source.h"
#include "audio/codec/mpeg_audio_header.h"
#include "audio/codec/mpeg_audio_source.h"
#include "audio/codec/posix_file.h"

#include <cerrno>
#include <cstring>

namespace korvanta::codec {

namespace {

enum class Content { MpegAudio, Other, Unknown };

// Asks FFmpeg's probes what the content is, past any ID3v2 tags (which may be large).
Content probeContent(FileReader &file) {
    int64_t start = 0;
    for (;;) {
        uint8_t head[10];
        if (file.readAt(start, head, sizeof head) != sizeof head) {
            break;
        }
        const int64_t tag = id3v2TagSize(head, sizeof head);
        if (tag == 0) {
            break;
        }
        start += tag;
    }
    std::vector<uint8_t> buf(256 * 1024 + AVPROBE_PADDING_SIZE, 0);
    const size_t got = file.readAt(start, buf.data(), buf.size() - AVPROBE_PADDING_SIZE);
    AVProbeData pd{};
    pd.filename = "";
    pd.buf = buf.data();
    pd.buf_size = static_cast<int>(got);
    int score = 0;
    const AVInputFormat *format = av_probe_input_format3(&pd, 1, &score);
    if (format == nullptr || score <= 0) {
        return Content::Unknown;
    }
    return std::strcmp(format->name, "mp3") == 0 ? Content::MpegAudio : Content::Other;
}

}  // namespace

std::unique_ptr<AudioSource> openAudioSource(const QString &path, int *errorNum,
                                             QString *errorText) {
    quietFfmpegLog();
    FileReader file;
    if (const int err = file.open(path); err != 0) {
        *errorNum = err == ENOENT ? ErrFileNotFound : ErrCannotRead;
        *errorText = QStringLiteral("Cannot open %1: %2").arg(path, systemErrorText(err));
        return nullptr;
    }
    if (file.size() == 0) {
        *errorNum = ErrNotAudio;
        *errorText = QStringLiteral("The file is empty");
        return nullptr;
    }
    const Content content = probeContent(file);
    if (content == Content::MpegAudio ||
        (content == Content::Unknown && MpegAudioSource::looksLikeMpegAudio(path))) {
        return MpegAudioSource::open(path, errorNum, errorText);
    }
    return FfmpegSource::open(path, errorNum, errorText);
}

}  // namespace korvanta::codec
