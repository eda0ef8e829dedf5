// The rows of the Options dialog's MP3 and WAV lists and the values each row stands for.
// A row's values come from its position alone; the texts are only shown, never parsed.
#pragma once

#include <QStringList>

inline constexpr int kMp3RowCount = 10;
inline constexpr int kWavRowCount = 16;

QStringList Mp3RowTexts();
QStringList WavRowTexts();

struct Mp3Value {
    int freq;     // Hz
    int bitrate;  // kbps
};

// Any row outside the list, including no selection (-1), stands for 44100 Hz, 128 kbps.
Mp3Value GetMP3Value(int row);

// The rate comes from row / 4, the (bits, channels) pair from row % 4, both truncating towards
// zero; a part whose index falls outside its table is left as it was. So no selection (-1)
// gives 8000 Hz and keeps the bits and channels.
void GetWavValue(int row, int &freq, int &bitsPerSample, int &channels);
