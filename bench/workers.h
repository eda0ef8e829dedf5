// What the benchmark runs in its child processes: our own recording and playback paths on
// TAudioFile2, without devices and as fast as the machine allows. Each returns the process
// exit status and prints its result, if any, on stdout.
#pragma once

#include <string>

namespace bench {

// "mp3" (128 kbps), "wma" (profile 38), "wav" (44100 Hz 16-bit stereo), "flac" (44100 Hz
// stereo), "opus" (128 kbps stereo, at 48000 Hz) or "ogg" (Vorbis q5, 44100 Hz stereo).
bool isOutputFormat(const std::string &format);

// Encodes a 16-bit stereo WAV at the format's rate (44100 Hz, Opus 48000 Hz) in 200 ms
// blocks, as a recording hands them to the file.
int encodeWav(const std::string &format, const std::string &input, const std::string &output);

// Reads a file to the end in 200 ms blocks, as playback does; prints the frames read.
int decodeFile(const std::string &path);

// Opens a file and asks for its length; prints the frames and the microseconds it took.
int fileLength(const std::string &path);

// Records `seconds` of the test signal into `output` in 200 ms blocks, generated on the fly.
int simulateRecording(const std::string &format, int seconds, const std::string &output);

}  // namespace bench
