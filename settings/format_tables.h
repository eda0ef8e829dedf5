// The rows of the Options dialog's format lists and the values each row stands for.
// A row's values come from its position alone; the texts are only shown, never parsed.
#pragma once

#include <QStringList>

inline constexpr int kMp3RowCount = 10;
inline constexpr int kWavRowCount = 16;
inline constexpr int kFlacRowCount = 10;    // 5 rates x stereo/mono
inline constexpr int kOpusRowCount = 18;    // 9 bitrates x stereo/mono
inline constexpr int kVorbisRowCount = 44;  // 11 qualities x 2 rates x stereo/mono

QStringList Mp3RowTexts();
QStringList WavRowTexts();
QStringList FlacRowTexts();
QStringList OpusRowTexts();
QStringList VorbisRowTexts();

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

// Rows of the FLAC, Opus and Vorbis lists, stereo before mono at each step. A row outside its
// list (no selection) changes nothing.
// FLAC: row / 2 picks 44100, 48000, 22050, 16000 or 8000 Hz.
void GetFlacValue(int row, int &freq, int &channels);
// Opus: row / 2 picks 24, 32, 48, 64, 96, 128, 160, 192 or 256 kbps.
void GetOpusValue(int row, int &bitrate, int &channels);
// Vorbis: row / 4 is the quality, (row / 2) % 2 picks 44100 or 48000 Hz.
void GetVorbisValue(int row, int &quality, int &freq, int &channels);
