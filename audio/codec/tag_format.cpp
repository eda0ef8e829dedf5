// Which tags a file can hold, from its container; needs no tag library.
#include "audio/codec/tag_access.h"

namespace korvanta::codec {

TagFormat tagFormatForContainer(const QString &containerName) {
    if (containerName == QLatin1String("mp3")) {
        return TagFormat::Mpeg;
    }
    if (containerName == QLatin1String("wav")) {
        return TagFormat::Wav;
    }
    if (containerName == QLatin1String("asf")) {
        return TagFormat::Asf;
    }
    if (containerName == QLatin1String("ogg")) {
        return TagFormat::Ogg;
    }
    if (containerName == QLatin1String("flac")) {
        return TagFormat::Flac;
    }
    if (containerName == QLatin1String("mpc") || containerName == QLatin1String("mpc8")) {
        return TagFormat::Musepack;
    }
    // FFmpeg's one demuxer for MP4, M4A and QuickTime names them all.
    if (containerName.contains(QLatin1String("mp4"))) {
        return TagFormat::Mp4;
    }
    return TagFormat::None;
}

}  // namespace korvanta::codec
