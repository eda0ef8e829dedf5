// The benchmarks' input: a deterministic mix of tones and noise at 44100 Hz, 16-bit stereo.
// Every run and every encoder gets exactly the same samples; a melody of changing notes and
// a noise floor keep the encoders as busy as music would, unlike a single steady tone.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
// The recording and playback paths move 200 ms blocks.
constexpr int kBlockFrames = kRate / 5;

class TestSignal {
public:
    TestSignal();
    // Writes `frames` interleaved stereo frames, continuing where the last call ended.
    void fill(int16_t *out, int frames);

private:
    void startNote();

    uint32_t noise_ = 0x2545F491u;
    uint32_t phase_[4] = {};
    uint32_t step_[4] = {};
    int noteFramesLeft_ = 0;
    int note_ = 0;
};

// Writes `seconds` of the signal as a canonical 44-byte-header WAV; false on any failure.
bool writeTestWav(const std::string &path, int seconds, std::string *error);

}  // namespace bench
