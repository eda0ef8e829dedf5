// Magnitude spectrum of the latest sound for the spectrum view.
//
// Each analyze() call takes the most recent windowSize() frames of an interleaved 16-bit
// block, mixes them down to mono, applies the chosen window and runs a real FFT. The result
// has windowSize()/2 + 1 bins from DC to Nyquist, as amplitudes relative to a full-scale
// sine (1.0 = 0 dBFS) and in dBFS.
//
// Threads: GUI thread only. FFTW's planner is not thread-safe, and plans are made here, on
// first use of each size, never on an audio thread. Later calls with a known size only
// execute the stored plan, so analyzing every timer tick stays cheap.
#pragma once

#include "audio/sample_array.h"

#include <map>
#include <memory>
#include <vector>

enum class FftWindow { None, Welch, Barlett, Hanning, Hamming };

class SpectrumAnalyzer {
public:
    static constexpr int kDefaultSize = 1024;
    static constexpr int kMinSize = 64;
    static constexpr int kMaxSize = 16384;
    // Bins quieter than this (and silence) read as the floor.
    static constexpr float kFloorDb = -120.0f;

    explicit SpectrumAnalyzer(int windowSize = kDefaultSize, FftWindow window = FftWindow::None);
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer &) = delete;
    SpectrumAnalyzer &operator=(const SpectrumAnalyzer &) = delete;

    // Sizes are powers of two; anything else is rounded to the nearest one in
    // [kMinSize, kMaxSize]. Changing the size drops the current result.
    void setWindowSize(int size);
    int windowSize() const { return size_; }
    static int supportedSize(int size);

    void setWindow(FftWindow window);
    FftWindow window() const { return window_; }

    // Analyses the block; an empty block clears the result and returns false. A block
    // shorter than windowSize() frames is zero-padded (its own frames still windowed).
    bool analyze(const SampleArray &block);
    void clear();
    bool hasResult() const { return hasResult_; }

    int binCount() const { return size_ / 2 + 1; }
    // Amplitude per bin relative to full scale: a full-scale sine reads about 1.0.
    const std::vector<float> &magnitudes() const { return magnitudes_; }
    // The same in dBFS, never below kFloorDb; worked out when first asked for.
    const std::vector<float> &magnitudesDb() const;
    static float toDb(float amplitude);
    // The loudest bin above DC, or -1 without a result.
    int peakBin() const;

    static double binFrequency(int bin, int sampleRate, int windowSize) {
        return static_cast<double>(bin) * sampleRate / windowSize;
    }
    // Window coefficients of the given length (DFT-even form, as used for spectra).
    static std::vector<float> windowCoefficients(FftWindow window, int length);

private:
    struct Plan;
    Plan &planFor(int size);

    int size_ = kDefaultSize;
    FftWindow window_ = FftWindow::None;
    std::map<int, std::unique_ptr<Plan>> plans_;
    // Window of the last used length and type, kept since blocks mostly repeat both.
    std::vector<float> coefficients_;
    int coefficientsLength_ = 0;
    FftWindow coefficientsWindow_ = FftWindow::None;
    float coefficientsSum_ = 0.0f;

    std::vector<float> magnitudes_;
    mutable std::vector<float> magnitudesDb_;
    mutable bool dbStale_ = false;
    bool hasResult_ = false;
};
