// How much recording still fits on a disk: the rate at which the chosen recording format fills
// it, and the text the status bar shows for the time that is left.
#pragma once

#include <QString>

#include <cstdint>

struct RecordingSettings;

struct ByteRate {
    double bytesPerSecond = 0.0;
    bool estimated = false;  // the format has no fixed rate; this is a fair guess
};

// The rate of the format in `s`: exact for WAV (its PCM data) and for MP3 and WMA (their
// constant bitrates); estimates for FLAC, Opus and Vorbis, whose rates follow the sound. A
// format this table does not know is taken as uncompressed 44.1 kHz stereo 16-bit and marked
// as an estimate, which errs on the short side.
ByteRate RecordingByteRate(const RecordingSettings &s);

// Whole seconds of recording that `freeBytes` hold at `rate`; -1 when either is unknown.
int64_t SecondsThatFit(int64_t freeBytes, const ByteRate &rate);

// "3 h 12 min left", "45 min left", "< 1 min left"; an estimate reads "about 45 min left".
QString TimeLeftText(int64_t seconds, bool estimated);
