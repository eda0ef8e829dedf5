#include "recording/time_left.h"

#include "audio/codec/wma_profiles.h"
#include "settings/recording_settings.h"

#include <QCoreApplication>

namespace {

constexpr double kFallbackBytesPerSecond = 44100.0 * 2 * 2;

double kbpsToBytes(int kbps) {
    return kbps * 1000.0 / 8.0;
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
