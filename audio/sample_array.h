// The block of samples every component hands on: interleaved signed 16-bit PCM.
//
// Ownership rule: whoever receives a SampleArray owns it and drops it when done (it is a
// value type, so leaving scope is the release). A component that is handed one (SendArray,
// WriteFile, ...) takes it by const reference and copies what it keeps before returning.
// A default-constructed array is the "null" array, e.g. to clear the spectrum view.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class SampleArray {
public:
    SampleArray() = default;
    SampleArray(int channels, std::vector<int16_t> samples)
        : channels_(channels > 0 ? channels : 1), samples_(std::move(samples)) {}

    int channels() const { return channels_; }
    // Sample frames (one sample per channel); what the components call "samples".
    int frames() const { return static_cast<int>(samples_.size()) / channels_; }
    bool isEmpty() const { return samples_.empty(); }

    const int16_t *data() const { return samples_.data(); }
    int16_t *data() { return samples_.data(); }
    const std::vector<int16_t> &samples() const { return samples_; }
    std::vector<int16_t> &samples() { return samples_; }

private:
    int channels_ = 2;
    std::vector<int16_t> samples_;
};
