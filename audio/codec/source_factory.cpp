#include "audio/codec/source_factory.h"

#include "audio/codec/chained_ogg_source.h"
#include "audio/codec/codec_error.h"
#include "audio/codec/ffmpeg_handles.h"
#include "audio/codec/ffmpeg_mpeg_decoder.h"
#include "audio/codec/ffmpeg_source.h"
#include "audio/codec/mpeg_audio_header.h"
#include "audio/codec/mpeg_audio_source.h"
#include "audio/codec/ogg_header_source.h"
#include "audio/codec/posix_file.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace korvanta::codec {

namespace {

// Below this FFmpeg is guessing; a headerless G.721 file often draws such a guess.
constexpr int kConfidentScore = AVPROBE_SCORE_MAX / 2;

struct Probe {
    const AVInputFormat *format = nullptr;
    int score = 0;
};

// Asks FFmpeg's probes what the content is, past any ID3v2 tags (which may be large).
Probe probeContent(FileReader &file) {
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
    Probe probe;
    probe.format = av_probe_input_format3(&pd, 1, &probe.score);
    return probe;
}

bool hasG721Extension(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("g721") || suffix == QLatin1String("g726");
}

}  // namespace

std::unique_ptr<AudioSource> probeAndOpenAudioSource(const QString &path, int *errorNum,
                                                     QString *errorText) {
    quietFfmpegLog();
    FileReader file;
    if (const int err = file.open(path); err != 0) {
        *errorNum = err == ENOENT ? ErrFileNotFound : ErrCannotRead;
        *errorText = openErrorText(path, err);
        return nullptr;
    }
    if (file.size() == 0) {
        *errorNum = ErrNotAudio;
        *errorText = QCoreApplication::translate("SourceFactory", "The file is empty");
        return nullptr;
    }
    const Probe probe = probeContent(file);
    if (hasG721Extension(path) && probe.score < kConfidentScore) {
        // Raw G.721 has no header to recognise; it is known by its extension alone.
        return FfmpegSource::open(path, true, errorNum, errorText);
    }
    const bool mpeg = probe.format != nullptr && std::strcmp(probe.format->name, "mp3") == 0;
    if (mpeg || (probe.score == 0 && MpegAudioSource::looksLikeMpegAudio(path))) {
        return MpegAudioSource::open(path, &makeFfmpegMpegDecoder, errorNum, errorText);
    }
    const bool ogg = probe.format != nullptr && std::strcmp(probe.format->name, "ogg") == 0;
    if (ogg) {
        // FFmpeg plays the first link of a chain only, or garbles the next at another rate.
        if (const std::vector<OggLink> links = findOggLinks(file); links.size() > 1) {
            if (std::unique_ptr<AudioSource> chain =
                    openChainedOgg(path, links, errorNum, errorText)) {
                return chain;
            }
        }
    }
    std::unique_ptr<AudioSource> source = FfmpegSource::open(path, false, errorNum, errorText);
    if (!source && ogg) {
        // FFmpeg wants a page of sound after the headers; a file without one is empty.
        source = openHeaderOnlyOgg(file);
        if (source) {
            *errorNum = 0;
            errorText->clear();
        }
    }
    return source;
}

}  // namespace korvanta::codec
