#include "audio/dsp/spectrum_analyzer.h"

#include "tests/widgets/test_signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using testsignals::kRate;
using testsignals::sine;

namespace {

// Energy (as power sum, in dB) of the bins more than `distance` bins from the peak; how
// much a window lets a tone leak across the spectrum.
double leakageDb(const SpectrumAnalyzer &a, int distance) {
    const auto &m = a.magnitudes();
    const int peak = a.peakBin();
    double power = 0.0;
    for (int k = 1; k < static_cast<int>(m.size()); ++k) {
        if (std::abs(k - peak) > distance)
            power += static_cast<double>(m[static_cast<size_t>(k)]) * m[static_cast<size_t>(k)];
    }
    return 10.0 * std::log10(power + 1e-30);
}

}  // namespace

TEST(SpectrumAnalyzer, ToneAt1000HzPeaksAtItsBinForEverySize) {
    for (int size : {256, 1024, 4096}) {
        for (FftWindow w : {FftWindow::None, FftWindow::Welch, FftWindow::Barlett,
                            FftWindow::Hanning, FftWindow::Hamming}) {
            SpectrumAnalyzer a(size, w);
            ASSERT_TRUE(a.analyze(sine(1000.0, 2 * size)));
            EXPECT_EQ(a.binCount(), size / 2 + 1);
            EXPECT_EQ(a.peakBin(), std::lround(1000.0 * size / kRate))
                << "size " << size << " window " << static_cast<int>(w);
            const double hz = SpectrumAnalyzer::binFrequency(a.peakBin(), kRate, size);
            EXPECT_NEAR(hz, 1000.0, kRate / static_cast<double>(size) / 2.0);
        }
    }
}

TEST(SpectrumAnalyzer, LevelsAreRelativeToFullScale) {
    // A tone centred on a bin reads its amplitude exactly; -6 dBFS for half scale.
    const int size = 1024;
    const double hz = 40.0 * kRate / size;
    SpectrumAnalyzer rect(size, FftWindow::None);
    rect.analyze(sine(hz, size, 0.5));
    EXPECT_EQ(rect.peakBin(), 40);
    EXPECT_NEAR(rect.magnitudes()[40], 0.5, 0.01);
    EXPECT_NEAR(rect.magnitudesDb()[40], -6.02, 0.1);
    // The decibels follow each analysis, and a cleared one reads the floor.
    rect.analyze(sine(hz, size, 0.25));
    EXPECT_NEAR(rect.magnitudesDb()[40], -12.04, 0.1);
    rect.clear();
    EXPECT_EQ(rect.magnitudesDb()[40], SpectrumAnalyzer::kFloorDb);

    // Windows keep the level: a tapering window must not read the tone quieter.
    SpectrumAnalyzer hann(size, FftWindow::Hanning);
    hann.analyze(sine(hz, size, 1.0));
    EXPECT_NEAR(hann.magnitudesDb()[40], 0.0, 0.1);

    // Off-bin tones lose at most the window's scalloping loss (about 1.4 dB for Hanning).
    hann.analyze(sine(1000.0, 2 * size, 0.5));
    EXPECT_GT(hann.magnitudesDb()[static_cast<size_t>(hann.peakBin())], -6.02 - 1.5);
    EXPECT_LT(hann.magnitudesDb()[static_cast<size_t>(hann.peakBin())], -6.02 + 0.1);
}

TEST(SpectrumAnalyzer, MixesChannelsToMono) {
    const int size = 1024;
    SpectrumAnalyzer a(size, FftWindow::Hanning);
    SampleArray leftOnly = sine(1000.0, size, 0.5);
    for (size_t i = 1; i < leftOnly.samples().size(); i += 2)
        leftOnly.samples()[i] = 0;
    a.analyze(leftOnly);
    const float halfLevel = a.magnitudesDb()[static_cast<size_t>(a.peakBin())];
    a.analyze(sine(1000.0, size, 0.5));
    const float fullLevel = a.magnitudesDb()[static_cast<size_t>(a.peakBin())];
    EXPECT_NEAR(fullLevel - halfLevel, 6.02, 0.1);

    SampleArray mono = sine(1000.0, size, 0.5, 1);
    a.analyze(mono);
    EXPECT_NEAR(a.magnitudesDb()[static_cast<size_t>(a.peakBin())], fullLevel, 0.01);
}

TEST(SpectrumAnalyzer, UsesTheNewestFramesOfTheBlock) {
    const int size = 1024;
    SampleArray block = sine(5000.0, 2 * size);
    const SampleArray older = sine(1000.0, size);
    std::copy(older.samples().begin(), older.samples().end(), block.samples().begin());
    SpectrumAnalyzer a(size, FftWindow::Hanning);
    a.analyze(block);
    EXPECT_EQ(a.peakBin(), std::lround(5000.0 * size / kRate));
}

TEST(SpectrumAnalyzer, EmptyBlockClearsAndShortBlocksStillWork) {
    SpectrumAnalyzer a(1024, FftWindow::Hamming);
    ASSERT_TRUE(a.analyze(sine(1000.0, 2048)));
    EXPECT_TRUE(a.hasResult());

    EXPECT_FALSE(a.analyze(SampleArray()));
    EXPECT_FALSE(a.hasResult());
    EXPECT_EQ(a.peakBin(), -1);
    for (float v : a.magnitudes())
        EXPECT_EQ(v, 0.0f);
    for (float v : a.magnitudesDb())
        EXPECT_EQ(v, SpectrumAnalyzer::kFloorDb);

    // Fewer frames than the window: zero-padded, the tone is still found.
    ASSERT_TRUE(a.analyze(sine(1000.0, 300)));
    EXPECT_NEAR(a.peakBin(), std::lround(1000.0 * 1024 / kRate), 1);
    // One frame, or digital silence, must not produce anything but the floor or a DC value.
    ASSERT_TRUE(a.analyze(sine(1000.0, 1)));
    ASSERT_TRUE(a.analyze(testsignals::silence(2048)));
    for (float v : a.magnitudesDb())
        EXPECT_EQ(v, SpectrumAnalyzer::kFloorDb);
}

TEST(SpectrumAnalyzer, WindowsReduceLeakageOfAnOffBinTone) {
    const int size = 1024;
    SpectrumAnalyzer a(size, FftWindow::None);
    a.analyze(sine(1000.0, 2 * size));
    const double none = leakageDb(a, 10);
    for (FftWindow w :
         {FftWindow::Welch, FftWindow::Barlett, FftWindow::Hanning, FftWindow::Hamming}) {
        a.setWindow(w);
        a.analyze(sine(1000.0, 2 * size));
        EXPECT_LT(leakageDb(a, 10), none - 15.0) << "window " << static_cast<int>(w);
    }
    a.setWindow(FftWindow::Hanning);
    a.analyze(sine(1000.0, 2 * size));
    const double hanning = leakageDb(a, 10);
    a.setWindow(FftWindow::Barlett);
    a.analyze(sine(1000.0, 2 * size));
    EXPECT_LT(hanning, leakageDb(a, 10)) << "Hanning's side lobes fall faster than Bartlett's";
}

TEST(SpectrumAnalyzer, SizesSnapToSupportedPowersOfTwo) {
    EXPECT_EQ(SpectrumAnalyzer::supportedSize(256), 256);
    EXPECT_EQ(SpectrumAnalyzer::supportedSize(1000), 1024);
    EXPECT_EQ(SpectrumAnalyzer::supportedSize(0), SpectrumAnalyzer::kMinSize);
    EXPECT_EQ(SpectrumAnalyzer::supportedSize(-5), SpectrumAnalyzer::kMinSize);
    EXPECT_EQ(SpectrumAnalyzer::supportedSize(1 << 30), SpectrumAnalyzer::kMaxSize);

    SpectrumAnalyzer a(1024, FftWindow::None);
    a.analyze(sine(1000.0, 2048));
    a.setWindowSize(4096);
    EXPECT_FALSE(a.hasResult()) << "a result of another size must not linger";
    EXPECT_EQ(a.binCount(), 2049);
    EXPECT_EQ(a.magnitudes().size(), 2049u);
    // Switching back and forth reuses the plans made before.
    for (int size : {256, 4096, 1024, 256}) {
        a.setWindowSize(size);
        ASSERT_TRUE(a.analyze(sine(1000.0, 2 * size)));
        EXPECT_EQ(a.peakBin(), std::lround(1000.0 * size / kRate));
    }
}
