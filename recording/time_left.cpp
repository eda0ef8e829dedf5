#include "recording/time_left.h"

#include "audio/codec/wma_profiles.h"
#include "settings/recording_settings.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

constexpr double kFallbackBytesPerSecond = 44100.0 * 2 * 2;

double kbpsToBytes(int kbps) {
    return kbps * 1000.0 / 8.0;
}

// The encoder's own nominal stereo rates for quality 0 to 10; mono needs less, so the
// stereo figure errs on the short side.
double vorbisStereoKbps(int quality) {
    static const int kKbps[] = {64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 500};
    return kKbps[std::clamp(quality, 0, 10)];
}

}  // namespace

ByteRate RecordingByteRate(const RecordingSettings &s) {
    const QString format = s.ext.toLower();
    if (format == QLatin1String(".wav") && s.WAVFreq > 0 && s.WAVCh > 0 && s.WAVBPS > 0)
        return {static_cast<double>(s.WAVFreq) * s.WAVCh * ((s.WAVBPS + 7) / 8), false};
    if (format == QLatin1String(".mp3") && s.MP3Bitrate > 0)
        return {kbpsToBytes(s.MP3Bitrate), false};
    if (format == QLatin1String(".wma"))
        return {kbpsToBytes(korvanta::codec::wmaProfileForEncoding(s.WMAProfile).bitrateKbps),
                false};
    if (format == QLatin1String(".opus") && s.OpusBitrate > 0)
        return {kbpsToBytes(s.OpusBitrate), true};  // variable rate around the chosen bitrate
    if (format == QLatin1String(".ogg"))
        return {kbpsToBytes(vorbisStereoKbps(s.VorbisQuality)), true};
    if (format == QLatin1String(".flac") && s.FLACFreq > 0 && s.FLACCh > 0) {
        // Lossless packing depends on the sound; music rarely packs below 60 % of its PCM size.
        return {0.6 * s.FLACFreq * s.FLACCh * 2, true};
    }
    return {kFallbackBytesPerSecond, true};
}

int64_t SecondsThatFit(int64_t freeBytes, const ByteRate &rate) {
    if (freeBytes < 0 || rate.bytesPerSecond <= 0.0)
        return -1;
    return static_cast<int64_t>(static_cast<double>(freeBytes) / rate.bytesPerSecond);
}

QString TimeLeftText(int64_t seconds, bool estimated) {
    if (seconds < 60)
        return QCoreApplication::translate("TimeLeft", "< 1 min left");
    const int64_t minutes = seconds / 60;
    const QString hours = QString::number(minutes / 60);
    const QString rest = QString::number(minutes % 60);
    if (minutes >= 60) {
        return estimated
                   ? QCoreApplication::translate("TimeLeft", "about %1 h %2 min left")
                         .arg(hours, rest)
                   : QCoreApplication::translate("TimeLeft", "%1 h %2 min left").arg(hours, rest);
    }
    return estimated ? QCoreApplication::translate("TimeLeft", "about %1 min left").arg(rest)
                     : QCoreApplication::translate("TimeLeft", "%1 min left").arg(rest);
}
