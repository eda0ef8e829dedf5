// The sound of a journey: prepared files whose every second holds its own tone, made once
// per test run in each format the journey opens, and the reading of a tone from what the
// virtual card heard, which tells which second of which file was played.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace journey {

constexpr int kPreparedSeconds = 8;
constexpr int kPreparedRate = 44100;
// Second k of a prepared file holds a tone of kFirstToneHz + k * kToneStepHz on both
// channels; the virtual microphone's 440 Hz (left) lies below all of them.
constexpr double kFirstToneHz = 700;
constexpr double kToneStepHz = 250;
constexpr double kMicrophoneHz = 440;

// The prepared files (WAV, FLAC, MP3, Ogg Vorbis), made on first use in a folder that lives
// as long as the test program. Formats whose encoder is missing are left out.
const QStringList &preparedFiles();

// The frequency of the left channel over `frames` frames from `first`, by its zero
// crossings; 0 when there are not enough frames or no tone.
double toneHz(const std::vector<int16_t> &interleaved, int channels, int rate, int first,
              int frames);

// The second of a prepared file whose tone `hz` is, or -1 when it is none of them.
int preparedSecondOf(double hz);

// Every sample of a WAV written by the virtual card's sink.
std::vector<int16_t> readSink(const QString &path, int *channels, int *rate);

}  // namespace journey
