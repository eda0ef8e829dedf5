#include "settings/format_tables.h"

#include <array>

#include <QCoreApplication>

namespace {

constexpr std::array<Mp3Value, kMp3RowCount> kMp3Rows = {{
    {22050, 40},
    {22050, 48},
    {22050, 64},
    {22050, 80},
    {44100, 112},
    {44100, 128},
    {44100, 160},
    {44100, 192},
    {44100, 256},
    {44100, 320},
}};
constexpr Mp3Value kMp3NoRow{44100, 128};

constexpr std::array<int, 4> kWavRates = {8000, 11025, 22050, 44100};

struct WavSampleFormat {
    int bitsPerSample;
    int channels;
};
constexpr std::array<WavSampleFormat, 4> kWavSampleFormats = {{{8, 1}, {16, 1}, {8, 2}, {16, 2}}};

constexpr std::array<int, 5> kFlacRates = {44100, 48000, 22050, 16000, 8000};
constexpr std::array<int, 9> kOpusBitrates = {24, 32, 48, 64, 96, 128, 160, 192, 256};
constexpr std::array<int, 2> kVorbisRates = {44100, 48000};
constexpr int kVorbisQualities = 11;
// The bitrate libvorbis aims at for each quality (the same at 44100 and 48000 Hz).
constexpr std::array<int, kVorbisQualities> kVorbisStereoKbps = {64,  80,  96,  112, 128, 160,
                                                                 192, 224, 256, 320, 500};
constexpr std::array<int, kVorbisQualities> kVorbisMonoKbps = {48,  60,  70,  80,  86, 96,
                                                               110, 120, 140, 160, 240};

QString channelsName(int row) {
    return row % 2 == 0 ? QCoreApplication::translate("FormatTables", "Stereo")
                        : QCoreApplication::translate("FormatTables", "Mono");
}

int channelsOfRow(int row) {
    return row % 2 == 0 ? 2 : 1;
}

QString wavRowText(int rate, const WavSampleFormat &format) {
    return QCoreApplication::translate("FormatTables", "%1 Hz - %2 bit,%3")
        .arg(rate)
        .arg(format.bitsPerSample)
        .arg(format.channels == 1 ? QCoreApplication::translate("FormatTables", "Mono")
                                  : QCoreApplication::translate("FormatTables", "Stereo"));
}

bool inTable(int index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) < size;
}

}  // namespace

QStringList Mp3RowTexts() {
    QStringList texts;
    for (const Mp3Value &row : kMp3Rows)
        texts << QCoreApplication::translate("FormatTables", "%1 Hz, %2 kbps")
                     .arg(row.freq)
                     .arg(row.bitrate);
    return texts;
}

QStringList WavRowTexts() {
    QStringList texts;
    for (int rate : kWavRates) {
        for (const WavSampleFormat &format : kWavSampleFormats)
            texts << wavRowText(rate, format);
    }
    return texts;
}

QStringList FlacRowTexts() {
    QStringList texts;
    for (int row = 0; row < kFlacRowCount; ++row) {
        texts << QCoreApplication::translate("FormatTables", "%1 Hz - %2 bit,%3")
                     .arg(kFlacRates[static_cast<size_t>(row / 2)])
                     .arg(16)
                     .arg(channelsName(row));
    }
    return texts;
}

QStringList OpusRowTexts() {
    QStringList texts;
    for (int row = 0; row < kOpusRowCount; ++row) {
        texts << QCoreApplication::translate("FormatTables", "%1 kbps,%2")
                     .arg(kOpusBitrates[static_cast<size_t>(row / 2)])
                     .arg(channelsName(row));
    }
    return texts;
}

QStringList VorbisRowTexts() {
    QStringList texts;
    for (int row = 0; row < kVorbisRowCount; ++row) {
        const int quality = row / 4;
        const QString rate = QString::number(kVorbisRates[static_cast<size_t>(row / 2 % 2)]);
        texts << QCoreApplication::translate("FormatTables", "q%1 (~%2 kbps) - %3 Hz,%4")
                     .arg(quality)
                     .arg(channelsOfRow(row) == 2 ? kVorbisStereoKbps[static_cast<size_t>(quality)]
                                                  : kVorbisMonoKbps[static_cast<size_t>(quality)])
                     .arg(rate, channelsName(row));
    }
    return texts;
}

void GetFlacValue(int row, int &freq, int &channels) {
    if (!inTable(row, kFlacRowCount))
        return;
    freq = kFlacRates[static_cast<size_t>(row / 2)];
    channels = channelsOfRow(row);
}

void GetOpusValue(int row, int &bitrate, int &channels) {
    if (!inTable(row, kOpusRowCount))
        return;
    bitrate = kOpusBitrates[static_cast<size_t>(row / 2)];
    channels = channelsOfRow(row);
}

void GetVorbisValue(int row, int &quality, int &freq, int &channels) {
    if (!inTable(row, kVorbisRowCount))
        return;
    quality = row / 4;
    freq = kVorbisRates[static_cast<size_t>(row / 2 % 2)];
    channels = channelsOfRow(row);
}

Mp3Value GetMP3Value(int row) {
    return inTable(row, kMp3Rows.size()) ? kMp3Rows[static_cast<size_t>(row)] : kMp3NoRow;
}

void GetWavValue(int row, int &freq, int &bitsPerSample, int &channels) {
    const int rateIndex = row / 4;
    const int formatIndex = row % 4;
    if (inTable(rateIndex, kWavRates.size()))
        freq = kWavRates[static_cast<size_t>(rateIndex)];
    if (inTable(formatIndex, kWavSampleFormats.size())) {
        bitsPerSample = kWavSampleFormats[static_cast<size_t>(formatIndex)].bitsPerSample;
        channels = kWavSampleFormats[static_cast<size_t>(formatIndex)].channels;
    }
}
