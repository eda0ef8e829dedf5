#include "bench/test_signal.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace bench {

namespace {

constexpr int kTableBits = 12;
constexpr double kTwoPi = 6.283185307179586;

// A sine table read with 32-bit phase accumulators: cheap enough that generating an hour
// of input costs little next to encoding it.
const std::array<float, 1 << kTableBits> &sineTable() {
    static const auto table = [] {
        std::array<float, 1 << kTableBits> t{};
        for (size_t i = 0; i < t.size(); ++i) {
            t[i] = static_cast<float>(std::sin(kTwoPi * static_cast<double>(i) / t.size()));
        }
        return t;
    }();
    return table;
}

float sine(uint32_t phase) {
    return sineTable()[phase >> (32 - kTableBits)];
}

uint32_t stepFor(double hz) {
    return static_cast<uint32_t>(hz / kRate * 4294967296.0);
}

// A-minor arpeggio over three octaves; a new note every 250 ms.
constexpr std::array<double, 8> kNotes = {220.0,  261.63, 329.63, 440.0,
                                          523.25, 659.25, 880.0,  1318.5};
constexpr int kNoteFrames = kRate / 4;

int16_t clamp16(float v) {
    if (v > 32767.0f) {
        return 32767;
    }
    if (v < -32768.0f) {
        return -32768;
    }
    return static_cast<int16_t>(std::lrint(v));
}

void putLe(uint8_t *p, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

}  // namespace

TestSignal::TestSignal() {
    step_[2] = stepFor(55.0);  // a bass drone under the melody
    step_[3] = stepFor(0.5);   // slow swell of the noise floor
    startNote();
}

void TestSignal::startNote() {
    step_[0] = stepFor(kNotes[static_cast<size_t>(note_) % kNotes.size()]);
    step_[1] = stepFor(kNotes[static_cast<size_t>(note_ * 3 + 2) % kNotes.size()] * 1.5);
    ++note_;
    noteFramesLeft_ = kNoteFrames;
}

void TestSignal::fill(int16_t *out, int frames) {
    for (int i = 0; i < frames; ++i) {
        if (noteFramesLeft_-- == 0) {
            startNote();
        }
        // Each note decays, so the spectrum changes all the time.
        const float envelope = static_cast<float>(noteFramesLeft_) / kNoteFrames;
        const float melody = 9000.0f * envelope * sine(phase_[0]);
        const float harmony = 5000.0f * envelope * sine(phase_[1]);
        const float bass = 4000.0f * sine(phase_[2]);
        const float swell = 0.6f + 0.4f * sine(phase_[3]);
        for (int c = 0; c < kChannels; ++c) {
            noise_ ^= noise_ << 13;
            noise_ ^= noise_ >> 17;
            noise_ ^= noise_ << 5;
            const float noise = swell * 1200.0f * (static_cast<int32_t>(noise_) / 2147483648.0f);
            const float tone = c == 0 ? melody + 0.5f * harmony : harmony + 0.5f * melody;
            out[i * kChannels + c] = clamp16(tone + bass + noise);
        }
        for (int k = 0; k < 4; ++k) {
            phase_[k] += step_[k];
        }
    }
}

bool writeTestWav(const std::string &path, int seconds, std::string *error) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const uint32_t dataBytes = static_cast<uint32_t>(seconds) * kRate * kChannels * 2;
    uint8_t h[44] = {};
    std::memcpy(h, "RIFF", 4);
    putLe(h + 4, 36 + dataBytes, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    putLe(h + 16, 16, 4);
    putLe(h + 20, 1, 2);
    putLe(h + 22, kChannels, 2);
    putLe(h + 24, kRate, 4);
    putLe(h + 28, kRate * kChannels * 2, 4);
    putLe(h + 32, kChannels * 2, 2);
    putLe(h + 34, 16, 2);
    std::memcpy(h + 36, "data", 4);
    putLe(h + 40, dataBytes, 4);
    bool ok = std::fwrite(h, sizeof h, 1, f.get()) == 1;
    TestSignal signal;
    std::vector<int16_t> block(static_cast<size_t>(kBlockFrames) * kChannels);
    for (int s = 0; ok && s < seconds * 5; ++s) {
        // The samples are written as the machine holds them: this only runs on little-endian.
        signal.fill(block.data(), kBlockFrames);
        ok = std::fwrite(block.data(), sizeof(int16_t), block.size(), f.get()) == block.size();
    }
    if (std::fclose(f.release()) != 0) {
        ok = false;
    }
    if (!ok) {
        *error = "cannot write " + path;
    }
    return ok;
}

}  // namespace bench
