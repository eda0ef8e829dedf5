#include "audio/codec/encoded_format.h"

#include <QCoreApplication>

namespace korvanta::codec {

namespace {

QString channelsName(int channels) {
    return channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo");
}

}  // namespace

QString encodedFormatText(const EncodedFormat &format) {
    switch (format.codec) {
        case EncodedCodec::Flac:
            return QStringLiteral("FLAC %1 Hz, 16 bit, %2")
                .arg(format.sampleRate)
                .arg(channelsName(format.channels));
        case EncodedCodec::Opus:
            return QStringLiteral("Opus %1 kbps, %2")
                .arg(format.bitrateKbps)
                .arg(channelsName(format.channels));
        case EncodedCodec::Vorbis:
            return QStringLiteral("Vorbis q%1, %2 Hz, %3")
                .arg(format.quality)
                .arg(format.sampleRate)
                .arg(channelsName(format.channels));
    }
    return QString();
}

QString encodedFormatProblem(const EncodedFormat &format) {
    if (format.channels != 1 && format.channels != 2) {
        return QStringLiteral("%1 channels can't be written").arg(format.channels);
    }
    switch (format.codec) {
        case EncodedCodec::Flac:
            if (format.sampleRate < 8000 || format.sampleRate > 48000) {
                return QStringLiteral("FLAC can't be written at %1 Hz").arg(format.sampleRate);
            }
            break;
        case EncodedCodec::Opus:
            // libopus takes 6 to 256 kbps per channel.
            if (format.sampleRate != kOpusSampleRate || format.bitrateKbps < 6 ||
                format.bitrateKbps > 256 * format.channels) {
                return QCoreApplication::translate("EncodedFormat",
                                                   "Opus can't be written at %1 kbps")
                    .arg(format.bitrateKbps);
            }
            break;
        case EncodedCodec::Vorbis:
            if (format.sampleRate < 8000 || format.sampleRate > 48000 || format.quality < 0 ||
                format.quality > 10) {
                return QCoreApplication::translate("EncodedFormat",
                                                   "Vorbis can't be written at quality %1, %2 Hz")
                    .arg(format.quality)
                    .arg(format.sampleRate);
            }
            break;
    }
    return QString();
}

}  // namespace korvanta::codec
