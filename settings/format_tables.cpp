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
